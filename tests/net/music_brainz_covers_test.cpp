// Covers from MusicBrainz and the Cover Art Archive against the loopback server answering as they
// do: the release search and its answer, the redirect to the image host, the one-a-second rule on
// a clock of the test's own, the albums not asked again, and every hostile answer ending in an
// error line and no file.
#include "net/Music_brainz_covers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "Tavrix_version.h"
#include "net/Cover_misses.h"
#include "net/Rate_limiter.h"
#include "net/VxCover_lookup.h"
#include "net/VxInternet.h"
#include "tests/net/Fake_albums.h"
#include "tests/net/Net_home.h"
#include "tests/net/Test_http_server.h"

using TestSupport::Exists;
using TestSupport::Fake_albums;
using TestSupport::Http_reply;
using TestSupport::Net_home;
using TestSupport::Read_file;
using TestSupport::Test_http_server;

namespace {
constexpr const char* Id_one = "0b3c6b6e-1c0f-4a5e-9a43-3c4b0f1d2e3f";
constexpr const char* Id_two = "a89e1d92-5381-4dab-ba51-733137d0e431";
constexpr const char* Id_three = "fed37cfc-2a6d-4569-9ac0-501a7c7598eb";
constexpr const char* Id_four = "65f4f0c5-ef9e-490c-aee3-909e7ae6b2ab";

// One release as the search lists it (the fields the jukebox does not read abridged).
std::string Release(const std::string& id, int score, const std::string& title, const std::string& artist) {
    return R"({"id":")" + id + R"(","score":)" + std::to_string(score) + R"(,"count":1,"title":")" + title +
           R"(","status":"Official","artist-credit":[{"name":")" + artist + R"(","artist":{"id":")" + Id_four +
           R"(","name":")" + artist + R"("}}],"release-group":{"id":")" + Id_four +
           R"(","primary-type":"Album"},"date":"1999-03-01","country":"GB","media":[{"format":"CD","track-count":10}]})";
}

std::string Answer(const std::vector<std::string>& releases) {
    std::string list;
    for (const std::string& release : releases) list += (list.empty() ? "" : ",") + release;
    return R"({"created":"2026-12-09T16:00:00.000Z","count":)" + std::to_string(releases.size()) +
           R"(,"offset":0,"releases":[)" + list + "]}";
}

Http_reply Json(const std::string& body) {
    Http_reply reply = Test_http_server::Page(body);
    reply.content_type = "application/json";
    return reply;
}

// The Cover Art Archive sends a temporary redirect to the image host.
Http_reply Redirect(const std::string& location, int status = 307) {
    Http_reply reply = Test_http_server::Redirect(location);
    reply.status = status;
    return reply;
}

// The loopback server as both services, the limiter on a clock of the test's own, and a pass over albums.
class Music_brainz_pass : public ::testing::Test {
protected:
    Music_brainz_pass() {
        TestSupport::Unset_env("TAVRIX_IMAGE_SEARCH");
        TestSupport::Set_env("TAVRIX_MUSICBRAINZ_SERVER", (server.Base() + "ws/2/").c_str());
        TestSupport::Set_env("TAVRIX_COVER_ART_SERVER", (server.Base() + "caa/").c_str());
        Music_brainz_limiter().Set_clock({[this] { return now_ms; },
                                          [this](double ms) {
                                              sleeps.push_back(ms);
                                              now_ms += ms;
                                          }});
    }
    ~Music_brainz_pass() override {
        Music_brainz_limiter().Set_clock(Rate_limiter::Steady_clock());
        TestSupport::Unset_env("TAVRIX_MUSICBRAINZ_SERVER");
        TestSupport::Unset_env("TAVRIX_COVER_ART_SERVER");
    }
    void Add(const std::string& name) {
        TestSupport::Make_dirs("../music/" + name);
        albums.albums.push_back({name, "../music/" + name + "/", ""});
    }
    std::string Plain_http_image() { return "http://localhost:" + std::to_string(server.Port()) + "/img/plain.jpg"; }
    std::string Cover(const std::string& name) { return "../music/" + name + "/VxCover.jpg"; }
    // The release search the pass sends for an album.
    std::string Search(const std::string& name) {
        return "/ws/2/" + Music_brainz::Search_url("", Music_brainz::Terms_of(name));
    }
    void Serve_image(const std::string& id, const Http_reply& image) {
        server.Serve("/caa/release/" + std::string(id) + "/front-500",
                     Redirect(server.Base() + "img/" + id + "-500.jpg"));
        server.Serve("/img/" + std::string(id) + "-500.jpg", image);
    }
    // Runs a pass over the single album "Alpha - One"; true when it wrote nothing.
    bool Nothing_written_for_alpha() {
        albums.albums.clear();
        Add("Alpha - One");
        return !Download_missing_covers(albums) && !Exists(Cover("Alpha - One")) && albums.albums[0].cover.empty();
    }

    Net_home home;
    Test_http_server server;
    Fake_albums albums;
    double now_ms = 0;
    std::vector<double> sleeps;
};
}  // namespace

TEST(Music_brainz, TheSearchAsksForTheTitleAndTheArtistAsPhrases) {
    EXPECT_EQ(Music_brainz::Terms_of("Simon & Garfunkel - Bridge Over Troubled Water").artist, "Simon & Garfunkel");
    EXPECT_EQ(Music_brainz::Terms_of("Kosheen - Kokopelli - Deluxe").title, "Kokopelli - Deluxe");
    EXPECT_EQ(Music_brainz::Terms_of("  Kokopelli ").artist, "");
    EXPECT_EQ(Music_brainz::Terms_of("  Kokopelli ").title, "Kokopelli");
    // "&" and "#" cannot split the query; a quote or backslash cannot end the phrase.
    EXPECT_EQ(Music_brainz::Search_url("https://musicbrainz.org/ws/2/", {"Simon & Garfunkel", "Say \"Hi\" #1\\"}),
              "https://musicbrainz.org/ws/2/release/?query=release%3A%22Say+%5C%22Hi%5C%22+%231%5C%5C%22+AND+"
              "artist%3A%22Simon+%26+Garfunkel%22&fmt=json&limit=9");
    EXPECT_EQ(Music_brainz::Search_url("https://musicbrainz.org/ws/2/", {"", "Kokopelli"}),
              "https://musicbrainz.org/ws/2/release/?query=release%3A%22Kokopelli%22&fmt=json&limit=9");
}

TEST(Music_brainz, TheAnswerGivesTheBestScoredReleaseIdsOnly) {
    const auto releases = Music_brainz::Parse_search_answer(
        Answer({Release(Id_two, 85, "One", "Alpha"), Release(Id_one, 100, "One", "Alpha"),
                Release("../../etc/passwd-aaaa-bbbb-cccc-dddddddddddd", 100, "One", "Alpha"),
                R"({"id":")" + std::string(Id_three) + R"(","score":"95"})", Release(Id_four, 40, "Other", "Beta"),
                R"({"id":12,"score":100})", R"({"score":100})", R"("not an object")",
                R"({"id":")" + std::string(Id_two) + R"(","score":1e300})", Release(Id_two, 99, "One", "Alpha")}));
    EXPECT_TRUE(releases.valid);
    // Best first; the one scored 40 is another album; an id that is no release id never becomes a path.
    EXPECT_EQ(releases.ids, (std::vector<std::string>{Id_one, Id_two, Id_three}));

    EXPECT_TRUE(Music_brainz::Parse_search_answer(Answer({})).valid);
    EXPECT_TRUE(Music_brainz::Parse_search_answer(Answer({})).ids.empty());
    for (const std::string& text :
         {std::string(), std::string("<html>503 Service Unavailable</html>"), std::string("{\"releases\":[{\"id\":"),
          std::string("[1,2,3]"), std::string("{\"count\":0}"), std::string("{\"releases\":{}}"),
          std::string("\"releases\""), std::string(200000, '[') + std::string(200000, ']') + "x",
          std::string(500000, '[')})
        EXPECT_FALSE(Music_brainz::Parse_search_answer(text).valid) << text.substr(0, 40);
}

TEST_F(Music_brainz_pass, FetchesTheFrontImageOfTheBestReleaseWithOneAndNamesTheProgramAndItsVersion) {
    Add("Alpha - One");
    Add("Beta - Two");
    albums.albums.push_back({"Gamma - Three", "../music/Gamma - Three/", "cover.jpg"});  // has a cover
    // Alpha's best release has no front image (404), the second has one behind a redirect.
    server.Serve(Search("Alpha - One"),
                 Json(Answer({Release(Id_one, 100, "One", "Alpha"), Release(Id_two, 90, "One", "Alpha")})));
    const Http_reply jpeg = Test_http_server::Jpeg(3000);
    Serve_image(Id_two, jpeg);
    server.Serve(Search("Beta - Two"), Json(Answer({Release(Id_three, 100, "Two", "Beta")})));
    Serve_image(Id_three, Test_http_server::Jpeg(2000));

    EXPECT_TRUE(Download_missing_covers(albums));
    EXPECT_EQ(Read_file(Cover("Alpha - One")), jpeg.body);
    EXPECT_TRUE(Exists(Cover("Beta - Two")));
    EXPECT_EQ(albums.albums[0].cover, "VxCover.jpg");
    EXPECT_EQ(albums.albums[1].cover, "VxCover.jpg");
    EXPECT_EQ(albums.download_count, 2);
    EXPECT_EQ(server.Targets(),
              (std::vector<std::string>{Search("Alpha - One"), "/caa/release/" + std::string(Id_one) + "/front-500",
                                        "/caa/release/" + std::string(Id_two) + "/front-500",
                                        "/img/" + std::string(Id_two) + "-500.jpg", Search("Beta - Two"),
                                        "/caa/release/" + std::string(Id_three) + "/front-500",
                                        "/img/" + std::string(Id_three) + "-500.jpg"}));
    EXPECT_EQ(server.Last_header("User-Agent"), std::string("TavrixJukebox/") + TAVRIX_VERSION_TEXT);
    // The second search waited its second; nothing else waited.
    EXPECT_EQ(sleeps, (std::vector<double>{1000}));
    EXPECT_EQ(home.Log().find("Connection SKIPPED"), std::string::npos);
}

TEST_F(Music_brainz_pass, TheArtistAndTitleTheLibraryReadAreTheSearchAndTheNameKeepsTheMiss) {
    TestSupport::Make_dirs("../music/Delta Quartet/Four Seasons (Disc 1)");
    albums.albums.push_back(
        {"Delta Quartet - Four Seasons (Disc 1)", "../music/Delta Quartet/Four Seasons (Disc 1)/", ""});
    albums.artist_title = {{"Delta Quartet ", " Four Seasons"}};
    server.Serve("/ws/2/" + Music_brainz::Search_url("", {"Delta Quartet", "Four Seasons"}), Json(Answer({})));
    EXPECT_FALSE(Download_missing_covers(albums));
    EXPECT_EQ(server.Targets(),
              (std::vector<std::string>{"/ws/2/" + Music_brainz::Search_url("", {"Delta Quartet", "Four Seasons"})}));
    // The miss is kept under the album's name.
    EXPECT_TRUE(Cover_misses::Load().Recent("Delta Quartet - Four Seasons (Disc 1)", Cover_misses::Now_s()));
}

TEST_F(Music_brainz_pass, AnAlbumFoundNowhereIsNotAskedAgainFor30DaysButOneThatFailedIs) {
    Add("Alpha - One");    // no release
    Add("Beta - Two");     // releases without a front image
    Add("Gamma - Three");  // the service is down
    server.Serve(Search("Alpha - One"), Json(Answer({})));
    server.Serve(Search("Beta - Two"), Json(Answer({Release(Id_one, 100, "Two", "Beta")})));
    server.Serve(Search("Gamma - Three"), Test_http_server::Page("<html>busy</html>", 503));

    EXPECT_FALSE(Download_missing_covers(albums));
    EXPECT_NE(home.Errors().find("MusicBrainz knows no release of 'Alpha - One'"), std::string::npos);
    EXPECT_NE(home.Errors().find("the Cover Art Archive has no front image of 'Beta - Two'"), std::string::npos);
    EXPECT_NE(home.Errors().find("MusicBrainz answered 503 on url: " + server.Base() + "ws/2/release/"),
              std::string::npos)
        << home.Errors();
    const Cover_misses misses = Cover_misses::Load();
    const long long now_s = Cover_misses::Now_s();
    EXPECT_TRUE(misses.Recent("Alpha - One", now_s));
    EXPECT_TRUE(misses.Recent("Beta - Two", now_s));
    EXPECT_FALSE(misses.Recent("Gamma - Three", now_s));

    // The next pass asks only for Gamma, which now has a cover.
    server.Serve(Search("Gamma - Three"), Json(Answer({Release(Id_two, 100, "Three", "Gamma")})));
    Serve_image(Id_two, Test_http_server::Jpeg(2000));
    const std::size_t asked = server.Targets().size();
    EXPECT_TRUE(Download_missing_covers(albums));
    const std::vector<std::string> targets = server.Targets();
    EXPECT_EQ(std::vector<std::string>(targets.begin() + static_cast<long>(asked), targets.end()),
              (std::vector<std::string>{Search("Gamma - Three"), "/caa/release/" + std::string(Id_two) + "/front-500",
                                        "/img/" + std::string(Id_two) + "-500.jpg"}));

    // 31 days later Alpha and Beta are asked again (the side file as a start a month on finds it).
    TestSupport::Write_file(Cover_misses::File_name, "TavrixCoverMisses 1\n" + std::to_string(now_s - 31 * 86400) +
                                                         " Alpha - One\n" + std::to_string(now_s - 29 * 86400) +
                                                         " Beta - Two\nend\n");
    EXPECT_FALSE(Download_missing_covers(albums));
    EXPECT_EQ(server.Requests("/ws/2/release/"), 5);  // Alpha once more, Beta not
    EXPECT_EQ(server.Targets().back(), Search("Alpha - One"));

    // A corrupt side file means every album without cover is asked again, and a new one is written.
    TestSupport::Write_file(Cover_misses::File_name, "\x01\x02 garbage");
    EXPECT_FALSE(Download_missing_covers(albums));
    EXPECT_EQ(server.Requests("/ws/2/release/"), 7);
    EXPECT_TRUE(Cover_misses::Load().Recent("Beta - Two", Cover_misses::Now_s()));
}

TEST_F(Music_brainz_pass, EveryHostileAnswerGivesAnErrorLineNoFileAndIsAskedAgain) {
    const std::string caa = "/caa/release/" + std::string(Id_one) + "/front-500";
    const Http_reply one_release = Json(Answer({Release(Id_one, 100, "One", "Alpha")}));
    struct Case {
        const char* what;
        std::function<void()> serve;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"malformed JSON", [&] { server.Serve(Search("Alpha - One"), Json("{\"releases\":[{\"id\":")); },
         "MusicBrainz gave no search answer (not JSON)"},
        {"huge JSON",
         [&] {
             Http_reply huge = Json("{\"releases\":[");
             huge.filler = 64LL << 20;
             server.Serve(Search("Alpha - One"), huge);
         },
         "Refused an answer of more than 1048576 bytes"},
        {"huge JSON without a length",
         [&] {
             Http_reply huge = Json("{\"releases\":[");
             huge.filler = 64LL << 20;
             huge.announced_length = -2;
             server.Serve(Search("Alpha - One"), huge);
         },
         "Refused an answer of more than 1048576 bytes"},
        // A host name for the loopback server: were it followed, the image would arrive.
        {"a redirect to http:",
         [&] {
             server.Serve(Search("Alpha - One"), one_release);
             server.Serve(caa, Redirect(Plain_http_image()));
             server.Serve("/img/plain.jpg", Test_http_server::Jpeg(2000));
         },
         "Refused redirect without HTTPS to: " + Plain_http_image() + " from url: " + server.Base() + caa.substr(1)},
        {"a loop of redirects",
         [&] {
             server.Serve(Search("Alpha - One"), one_release);
             server.Serve(caa, Redirect(server.Base() + "loop"));
             server.Serve("/loop", Redirect(server.Base() + "loop", 302));
         },
         "Refused more than 5 redirects from url: " + server.Base() + caa.substr(1)},
        {"a non-image body",
         [&] {
             server.Serve(Search("Alpha - One"), one_release);
             Serve_image(Id_one, Test_http_server::Page("<html>not a picture</html>"));
         },
         "Not a JPEG image from url: " + server.Base() + caa.substr(1)},
        {"an image over the ceiling",
         [&] {
             server.Serve(Search("Alpha - One"), one_release);
             Http_reply huge = Test_http_server::Jpeg(100);
             huge.filler = VxInternet::Max_cover_size;
             huge.announced_length = -2;
             Serve_image(Id_one, huge);
         },
         "Refused download of"},
        {"a redirect to an address that is no web address",
         [&] {
             server.Serve(Search("Alpha - One"), one_release);
             server.Serve(caa, Redirect("file:///etc/passwd"));
         },
         "Refused redirect without HTTPS to: file:///etc/passwd"},
    };
    for (const Case& c : cases) {
        c.serve();
        ASSERT_TRUE(Nothing_written_for_alpha()) << c.what;
        EXPECT_NE(home.Errors().find(c.error), std::string::npos) << c.what << "\n" << home.Errors();
        EXPECT_FALSE(Cover_misses::Load().Recent("Alpha - One", Cover_misses::Now_s())) << c.what;
    }
    EXPECT_EQ(server.Requests("/loop"), 5);  // the hops the rule allows, and not one more
    EXPECT_EQ(server.Requests("/img/plain.jpg"), 0);
}
