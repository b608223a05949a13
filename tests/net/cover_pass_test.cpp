// The whole missing-cover pass as a person starts it: the options mode's "Download missing Cover"
// line in the running jukebox, against the loopback image search, ending in the browse panel, and
// against the loopback server answering as MusicBrainz and the Cover Art Archive.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Tavrix_version.h"
#include "platform/surface.h"
#include "tests/app/jukebox_fixture.h"
#include "tests/net/Test_http_server.h"
#include "tests/support/jpeg_file.h"

namespace {

using JukeboxTest::fs::exists;
using TestSupport::Read_file;
using TestSupport::Test_http_server;

class Cover_pass : public JukeboxTest::Home {
protected:
    // The search answers every album with one link to a solid orange cover.
    void SetUp() override {
        Add_album("Alpha - One");
        Add_album("Beta - Two");
        ASSERT_TRUE(TestSupport::Write_jpeg(scratch.Path() + "/orange.jpg", 200, 200, 250, 140, 20));
        TestSupport::Http_reply jpeg;
        jpeg.content_type = "image/jpeg";
        jpeg.body = Read_file(scratch.Path() + "/orange.jpg");
        server.Serve("/orange.jpg", jpeg);
        server.Serve("/images", Test_http_server::Page("<a href=\"/imgres?imgurl=" + server.Base() +
                                                       "orange.jpg&amp;w=200\">cover</a>"));
    }
    std::string Env() { return "TAVRIX_IMAGE_SEARCH=" + server.Base(); }

    Test_http_server server;
};

TEST_F(Cover_pass, OptionFourFetchesCachesAndShowsTheCoversAndTheLibraryKeepsThem) {
    // The first start scans with no search service configured: its download step finds nothing.
    ASSERT_EQ(Start("wait 200\nkey q\n"), 0);
    ASSERT_FALSE(exists(home + "/covers/Alpha - One.bmp"));

    ASSERT_EQ(Start("wait 300\nkey o\nwait 300\nkey 4\nwait 300\nkey b\nwait 1500\nshot browse.bmp\n"
                    "key Escape\nwait 300\nkey q\n",
                    Env()),
              0);
    EXPECT_EQ(server.Requests("/images"), 2);  // one search per album without a cover
    EXPECT_EQ(server.Requests("/orange.jpg"), 2);
    for (const char* album : {"Alpha - One", "Beta - Two"}) {
        EXPECT_TRUE(exists(home + "/music/" + album + "/VxCover.jpg")) << album;
        EXPECT_TRUE(exists(home + "/covers/" + album + ".bmp")) << album;
    }
    // The new cover names reach the library file, so the next start knows them.
    EXPECT_NE(Read_file(run + "/MusicDataBase.dat").find("VxCover.jpg"), std::string::npos);

    // Cover 1 of the browse panel (Alpha, the only album under "A") shows the orange cover: at
    // 1024x768 the panel sits at (26, 47) per cent, the place at (10, 13) per cent of it, 123 px square.
    std::string error;
    auto shot = Platform::Surface::Load_bmp(run + "/browse.bmp", error);
    ASSERT_TRUE(shot) << error;
    const Platform::Pixel p = shot->Get_pixel(341 + 70, 410 + 50);
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    EXPECT_GT(r, 200);
    EXPECT_GT(g, 100);
    EXPECT_LT(g, 180);
    EXPECT_LT(b, 70);
}

}  // namespace

namespace {
// The loopback server as MusicBrainz and the Cover Art Archive, each album with one release.
class Cover_pass_music_brainz : public Cover_pass {
protected:
    void SetUp() override {
        Cover_pass::SetUp();
        int n = 1;
        for (const auto& [artist, title] : {std::pair{"Alpha", "One"}, std::pair{"Beta", "Two"}}) {
            const std::string id = "00000000-0000-4000-8000-00000000000" + std::to_string(n++);
            TestSupport::Http_reply answer = Test_http_server::Page(
                R"({"created":"2026-12-09T16:00:00.000Z","count":1,"offset":0,"releases":[{"id":")" + id +
                R"(","score":100,"title":")" + title + R"("}]})");
            answer.content_type = "application/json";
            server.Serve(Search(artist, title), answer);
            server.Serve("/caa/release/" + id + "/front-500", Test_http_server::Redirect(server.Base() + "orange.jpg"));
        }
    }
    static std::string Search(const std::string& artist, const std::string& title) {
        return "/ws/2/release/?query=release%3A%22" + title + "%22+AND+artist%3A%22" + artist + "%22&fmt=json&limit=9";
    }
    std::string Env() {
        return "TAVRIX_MUSICBRAINZ_SERVER=" + server.Base() + "ws/2/ TAVRIX_COVER_ART_SERVER=" + server.Base() + "caa/";
    }
};
}  // namespace

TEST_F(Cover_pass_music_brainz, WithoutAnImageSearchTheProgramAsksMusicBrainzAsItsRulesAsk) {
    ASSERT_EQ(Start("wait 200\nkey q\n"), 0);  // the cover services are off in the tests unless named
    EXPECT_EQ(server.Total_requests(), 0);

    ASSERT_EQ(
        Start("wait 300\nkey o\nwait 300\nkey 4\nwait 300\nkey b\nwait 1500\nkey Escape\nwait 300\nkey q\n", Env()), 0)
        << Log();
    EXPECT_EQ(
        server.Targets(),
        (std::vector<std::string>{Search("Alpha", "One"), "/caa/release/00000000-0000-4000-8000-000000000001/front-500",
                                  "/orange.jpg", Search("Beta", "Two"),
                                  "/caa/release/00000000-0000-4000-8000-000000000002/front-500", "/orange.jpg"}));
    EXPECT_EQ(server.Last_header("User-Agent"), std::string("TavrixJukebox/") + TAVRIX_VERSION_TEXT);
    for (const char* album : {"Alpha - One", "Beta - Two"}) {
        EXPECT_TRUE(exists(home + "/music/" + album + "/VxCover.jpg")) << album;
        EXPECT_TRUE(exists(home + "/covers/" + album + ".bmp")) << album;
    }
}
