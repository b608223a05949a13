// Cover art lookup. The search terms are percent-encoded, so that "&" or "#" in an album name
// stays part of the name; the rest of the request is the one the image search expects. Without an
// image search the pass asks MusicBrainz, skipping the albums it recently found nothing for.
#include "net/VxCover_lookup.h"

#include <algorithm>
#include <cmath>

#include "net/Cover_misses.h"
#include "net/Music_brainz_covers.h"
#include "net/Net_servers.h"
#include "net/Net_text.h"
#include "net/VxInternet.h"
#include "platform/window.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Search_path = "images?imgsz=small%7Cmedium%7Clarge%7Cxlarge&as_st=y&gbv=2&svnum=10&hl=nl&q=";
constexpr const char* Search_tail = "&btnG=Afbeeldingen+zoeken";

// Result pages put their links first; what lies beyond this much is not searched.
constexpr std::size_t Max_parsed_page = 256u << 10;

// Whether expression n can match at all, found in one pass. The lazy expressions take the earliest
// "imgurl" at every step, and whenever any choice leads to a match the earliest ones do too; so this
// is exact. Where it fails the expression engine would backtrack through every choice, for seconds
// on a long page, before failing or giving up; where it holds the engine's first attempt succeeds.
bool Expression_can_match(const std::string& text, int n) {
    std::size_t at = 0;
    for (int i = 1; i < n; ++i) {
        at = text.find("imgurl", at);
        if (at == std::string::npos) return false;
        at += 6;
    }
    std::size_t link = text.find("imgurl=http", at);
    if (link == std::string::npos) return false;
    std::size_t after = link + 11;  // "http" then at least nothing, then ".jpg" or ".JPG"
    return text.find(".jpg", after) != std::string::npos || text.find(".JPG", after) != std::string::npos;
}

// Where the next pass begins: the first album a pass out of time did not finish (UI thread only).
int g_resume_at = 0;

void Show_progress() {
    Platform::Message_queue::Instance().Send({Platform::WM_TIMER, Timer_progress_download_covers, 0});
}

// The time a pass has left and the request limits that keep within it.
class Pass_clock {
public:
    explicit Pass_clock(double budget_s)
        : budget_(budget_s > 0),
          end_ms_(VxTrace::Time_ms() + budget_s * 1000),
          limits_(VxInternet::Instance().Limits()) {}
    ~Pass_clock() { VxInternet::Instance().Set_limits(limits_); }
    Pass_clock(const Pass_clock&) = delete;
    Pass_clock& operator=(const Pass_clock&) = delete;

    bool Budgeted() const { return budget_; }
    // Less than this is no time for a request: one that the end of the budget cut off ends just inside it.
    static constexpr double Margin_ms = 250;
    bool Up() const { return budget_ && Left_ms() <= Margin_ms; }
    int Seconds_left() const { return budget_ ? static_cast<int>(std::ceil(std::max(0.0, Left_ms()) / 1000)) : -1; }
    // Before each request: false when the pass has no time left for one.
    bool Fit_request() {
        if (!budget_) return true;
        if (Up()) return false;
        const long left = static_cast<long>(Left_ms());
        Platform::Http_limits fitted = limits_;
        fitted.overall_ms = std::min(fitted.overall_ms, left);
        fitted.stall_ms = std::min(fitted.stall_ms, left);
        fitted.connect_ms = std::min(fitted.connect_ms, left);
        VxInternet::Instance().Set_limits(fitted);
        return true;
    }

private:
    double Left_ms() const { return end_ms_ - VxTrace::Time_ms(); }
    bool budget_;
    double end_ms_;
    Platform::Http_limits limits_;
};

Cover_cacher& Cacher() {
    static Cover_cacher cacher;
    return cacher;
}
}  // namespace

void Set_cover_cacher(Cover_cacher cacher) { Cacher() = std::move(cacher); }

std::string Fetch_search_page(const std::string& terms) {
    VxInternet& internet = VxInternet::Instance();
    const std::string url =
        Net_servers::Image_search() + Search_path + Net_text::Encode_query_value(terms) + Search_tail;
    internet.Open_url_here(url);
    // Only the start of a page is searched, so only that much is read.
    std::string page = internet.Read_text(Max_parsed_page, VxInternet::Beyond_limit::cut, url);
    internet.Close_handles();
    return page;
}

std::vector<std::string> Parse_image_urls(const std::string& page) {
    const std::string text = page.substr(0, Max_parsed_page);
    std::vector<std::string> urls;
    for (int n = 1; n <= 4; ++n) {
        std::string address =
            Expression_can_match(text, n) ? Net_text::Extract(text, Link_expressions[n - 1]) : Net_text::No_match;
        if (address != Net_text::No_match) {
            std::string inner = Net_text::Extract(address, Cleanup_expression);
            if (inner != Net_text::No_match) address = inner;
        }
        urls.push_back(address);
    }
    return urls;
}

bool Download_missing_covers(VxCover_albums& albums, double budget_s) {
    const bool image_search = !Net_servers::Image_search().empty();
    const bool music_brainz =
        !image_search && !Net_servers::Music_brainz().empty() && !Net_servers::Cover_art_archive().empty();
    if (!image_search && !music_brainz) {
        // Nothing to ask: no search per album, no failure for each in error.txt.
        VxTrace::Instance().Write("Connection SKIPPED...");
        return false;
    }
    Pass_clock clock(budget_s);
    // What the lookups found nothing for is written once, however the pass ends.
    struct Misses_keeper {
        Cover_misses misses;
        long long now_s = Cover_misses::Now_s();
        ~Misses_keeper() {
            if (misses.Changed()) misses.Save(now_s);
        }
    } kept{music_brainz ? Cover_misses::Load() : Cover_misses()};
    bool downloaded_any = false;
    const int count = albums.Get_nof_cds();
    const int start = count > 0 && clock.Budgeted() ? g_resume_at % count : 0;
    albums.Set_postponed_count(0);
    // The albums from the k-th of this pass on that still have no cover wait for the next pass.
    auto postpone_from = [&](int k) {
        int waiting = 0;
        for (int j = k; j < count; ++j)
            if (albums.Get_cd_cover((start + j) % count).empty()) ++waiting;
        if (waiting == 0) {
            g_resume_at = 0;
            return;
        }
        g_resume_at = (start + k) % count;
        albums.Set_postponed_count(waiting);
        albums.Set_pass_seconds_left(0);
        VxTrace::Instance().Write_error("Download_missing_covers: the time of the pass is up, " +
                                        std::to_string(waiting) + " albums without cover wait for the next pass");
        Show_progress();
    };
    for (int k = 0; k < count; ++k) {
        const int c = (start + k) % count;
        if (clock.Up()) {
            postpone_from(k);
            return downloaded_any;
        }
        const std::string cover = albums.Get_cd_cover(c);
        const std::string folder = albums.Get_cd_path(c);
        albums.Set_cover_index(c);
        albums.Set_pass_seconds_left(clock.Seconds_left());
        Show_progress();
        if (!cover.empty() || !clock.Fit_request()) continue;

        const std::string target = folder + Downloaded_cover_name;
        auto keep = [&] {
            albums.Set_download_count(albums.Get_download_count() + 1);
            albums.Set_cd_cover(c, Downloaded_cover_name);
            if (Cacher()) Cacher()(target, albums.Get_cd_cached_cover(c));
            downloaded_any = true;
        };
        if (music_brainz) {
            const std::string name = albums.Get_cd_name(c);
            if (kept.misses.Recent(name, kept.now_s)) continue;
            Music_brainz::Album_terms terms{albums.Get_cd_artist(c), albums.Get_cd_title(c)};
            if (terms.title.empty()) terms = Music_brainz::Terms_of(name);
            switch (Music_brainz::Fetch_cover(name, terms, target, [&] { return clock.Fit_request(); })) {
                case Music_brainz::Outcome::found:
                    kept.misses.Remove(name);
                    keep();
                    break;
                case Music_brainz::Outcome::nothing:
                    kept.misses.Add(name, kept.now_s);
                    break;
                case Music_brainz::Outcome::failed:
                case Music_brainz::Outcome::out_of_time:
                    break;
            }
        } else {
            for (const std::string& url : Parse_image_urls(Fetch_search_page(albums.Get_cd_name(c)))) {
                if (url == Net_text::No_match) continue;
                if (!clock.Fit_request()) break;
                if (!VxInternet::Instance().Download_image(url, target)) continue;
                keep();
                break;
            }
        }
        // An album whose requests the end of the budget cut short is tried again first next time.
        if (clock.Up() && albums.Get_cd_cover(c).empty()) {
            postpone_from(k);
            return downloaded_any;
        }
    }
    g_resume_at = 0;
    return downloaded_any;
}
