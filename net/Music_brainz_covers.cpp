// The search is one Lucene query on the title and the artist as phrases; the answer is parsed by
// nlohmann-json without exceptions, and only release ids of the UUID form ever become part of a path.
#include "net/Music_brainz_covers.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

#include "net/Net_servers.h"
#include "net/Net_text.h"
#include "net/Rate_limiter.h"
#include "net/VxInternet.h"
#include "trace/VxTrace.h"

namespace Music_brainz {
namespace {
constexpr const char* Label = "Download_missing_covers: ";

// A phrase of the query language: within quotes only the quote and the backslash are special.
std::string Phrase(const std::string& text) {
    std::string phrase = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') phrase += '\\';
        phrase += c;
    }
    return phrase + "\"";
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// 8-4-4-4-12 hexadecimal digits.
bool Is_release_id(const std::string& id) {
    if (id.size() != 36) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? id[i] != '-' : !std::isxdigit(static_cast<unsigned char>(id[i]))) return false;
    }
    return true;
}

// The score is a number in the JSON answers, a text in older ones.
int Score_of(const nlohmann::json& release) {
    const auto score = release.find("score");
    if (score == release.end()) return -1;
    if (score->is_number()) {
        const double value = score->get<double>();
        return value >= 0 && value <= 100 ? static_cast<int>(value) : -1;
    }
    if (score->is_string()) {
        const std::string text = score->get<std::string>();
        if (!text.empty() && text.size() <= 3 &&
            std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
            return std::stoi(text);
    }
    return -1;
}
}  // namespace

Album_terms Terms_of(const std::string& album_name) {
    const std::size_t dash = album_name.find(" - ");
    if (dash == std::string::npos) return {"", Trim(album_name)};
    return {Trim(album_name.substr(0, dash)), Trim(album_name.substr(dash + 3))};
}

std::string Search_url(const std::string& base, const Album_terms& terms) {
    // The library's artist may keep the space before the " - " of the folder name.
    const std::string artist = Trim(terms.artist);
    std::string query = "release:" + Phrase(Trim(terms.title));
    if (!artist.empty()) query += " AND artist:" + Phrase(artist);
    return base + "release/?query=" + Net_text::Encode_query_value(query) +
           "&fmt=json&limit=" + std::to_string(Max_candidates * 3);
}

Releases Parse_search_answer(const std::string& text) {
    Releases result;
    const nlohmann::json answer = nlohmann::json::parse(text, nullptr, false);
    if (answer.is_discarded()) {
        result.why = "not JSON";
        return result;
    }
    const auto releases = answer.is_object() ? answer.find("releases") : answer.end();
    if (!answer.is_object() || releases == answer.end() || !releases->is_array()) {
        result.why = "no release list";
        return result;
    }
    result.valid = true;
    std::vector<std::pair<int, std::string>> scored;
    for (const nlohmann::json& release : *releases) {
        if (!release.is_object()) continue;
        const auto id = release.find("id");
        if (id == release.end() || !id->is_string() || !Is_release_id(id->get<std::string>())) continue;
        const int score = Score_of(release);
        if (score >= Min_score) scored.emplace_back(score, id->get<std::string>());
    }
    // The service lists best first already; a stable sort keeps its order among equal scores.
    std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [score, id] : scored) {
        if (static_cast<int>(result.ids.size()) == Max_candidates) break;
        if (std::find(result.ids.begin(), result.ids.end(), id) == result.ids.end()) result.ids.push_back(id);
    }
    return result;
}

Outcome Fetch_cover(const std::string& album_name, const Album_terms& terms, const std::string& target,
                    const std::function<bool()>& fit_request) {
    VxTrace& trace = VxTrace::Instance();
    if (Trim(terms.title).empty()) return Outcome::nothing;
    if (!fit_request()) return Outcome::out_of_time;
    Music_brainz_limiter().Wait_turn();
    // The wait took some of the pass's time.
    if (!fit_request()) return Outcome::out_of_time;

    VxInternet& internet = VxInternet::Instance();
    const std::string url = Search_url(Net_servers::Music_brainz(), terms);
    if (!internet.Open_secure(url)) return Outcome::failed;
    const int status = internet.Status();
    if (status != 200) {
        internet.Close_handles();
        trace.Write_error(std::string(Label) + "MusicBrainz answered " + std::to_string(status) + " on url: " + url);
        return Outcome::failed;
    }
    const std::string text = internet.Read_text(VxInternet::Max_service_text, VxInternet::Beyond_limit::refuse, url);
    internet.Close_handles();
    const Releases releases = Parse_search_answer(text);
    if (!releases.valid) {
        trace.Write_error(std::string(Label) + "MusicBrainz gave no search answer (" +
                          (text.empty() ? std::string("nothing read") : releases.why) + ") on url: " + url);
        return Outcome::failed;
    }
    if (releases.ids.empty()) {
        trace.Write_error(std::string(Label) + "MusicBrainz knows no release of '" + album_name + "'");
        return Outcome::nothing;
    }

    bool any_failed = false;
    for (const std::string& id : releases.ids) {
        if (!fit_request()) return Outcome::out_of_time;
        const std::string image = Net_servers::Cover_art_archive() + "release/" + id + "/front-500";
        switch (internet.Download_cover(image, target)) {
            case VxInternet::Cover_fetch::written:
                return Outcome::found;
            case VxInternet::Cover_fetch::absent:
                break;
            case VxInternet::Cover_fetch::failed:
                any_failed = true;
                break;
        }
    }
    if (any_failed) return Outcome::failed;
    trace.Write_error(std::string(Label) + "the Cover Art Archive has no front image of '" + album_name + "'");
    return Outcome::nothing;
}

}  // namespace Music_brainz
