// Cover art lookup. The search terms are percent-encoded, so that "&" or "#" in an album name
// stays part of the name; the rest of the request is the one the image search expects.
#include "net/VxCover_lookup.h"

#include "net/Net_servers.h"
#include "net/Net_text.h"
#include "net/VxInternet.h"
#include "platform/window.h"

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

Cover_cacher& Cacher() {
    static Cover_cacher cacher;
    return cacher;
}
}  // namespace

void Set_cover_cacher(Cover_cacher cacher) { Cacher() = std::move(cacher); }

std::string Fetch_search_page(const std::string& terms) {
    VxInternet& internet = VxInternet::Instance();
    internet.Open_url_here(Net_servers::Image_search() + Search_path + Net_text::Encode_query_value(terms) + Search_tail);
    std::string page = internet.Read_text();
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

bool Download_missing_covers(VxCover_albums& albums) {
    bool downloaded_any = false;
    const int count = albums.Get_nof_cds();
    for (int c = 0; c < count; ++c) {
        const std::string cover = albums.Get_cd_cover(c);
        const std::string folder = albums.Get_cd_path(c);
        albums.Set_cover_index(c);
        Platform::Message_queue::Instance().Send({Platform::WM_TIMER, Timer_progress_download_covers, 0});
        if (!cover.empty()) continue;

        const std::string target = folder + Downloaded_cover_name;
        for (const std::string& url : Parse_image_urls(Fetch_search_page(albums.Get_cd_name(c)))) {
            if (url == Net_text::No_match) continue;
            if (!VxInternet::Instance().Download_image(url, target)) continue;
            albums.Set_download_count(albums.Get_download_count() + 1);
            albums.Set_cd_cover(c, Downloaded_cover_name);
            if (Cacher()) Cacher()(target, albums.Get_cd_cached_cover(c));
            downloaded_any = true;
            break;
        }
    }
    return downloaded_any;
}
