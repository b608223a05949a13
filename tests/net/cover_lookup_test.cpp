// Cover lookup: the four link expressions and the clean-up of redirect links, hostile pages,
// and a whole pass over a small album list against the loopback search service.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "net/Net_text.h"
#include "net/VxCover_lookup.h"
#include "platform/window.h"
#include "tests/net/Fake_albums.h"
#include "tests/net/Net_home.h"
#include "tests/net/Test_http_server.h"

using TestSupport::Exists;
using TestSupport::Fake_albums;
using TestSupport::Net_home;
using TestSupport::Test_http_server;

namespace {
const std::vector<std::string> Four_no_match{"no match", "no match", "no match", "no match"};

std::string Search_target(const std::string& encoded_terms) {
    return "/images?imgsz=small%7Cmedium%7Clarge%7Cxlarge&as_st=y&gbv=2&svnum=10&hl=nl&q=" + encoded_terms +
           "&btnG=Afbeeldingen+zoeken";
}
}  // namespace

TEST(Parse_image_urls, TakesTheAddressAfterEachOfTheFirstFourImgurl) {
    std::string page =
        "<a href=\"/imgres?imgurl=http://a.example/one.jpg&amp;w=1\">x</a>"
        "<a href=\"/imgres?imgurl=http://b.example/two.JPG&amp;w=2\">y</a></html>";
    EXPECT_EQ(Parse_image_urls(page), (std::vector<std::string>{"http://a.example/one.jpg", "http://b.example/two.JPG",
                                                                "no match", "no match"}));
    EXPECT_EQ(Parse_image_urls(""), Four_no_match);
    EXPECT_EQ(Parse_image_urls("<html>no pictures here</html>"), Four_no_match);
}

TEST(Parse_image_urls, ARedirectLinkYieldsTheInnerAddress) {
    std::string page =
        "imgurl=http://www.redirect.example/url?q=http://img.example/cover.jpg&sa=U "
        "imgurl=http://img.example/plain.jpg";
    auto urls = Parse_image_urls(page);
    EXPECT_EQ(urls[0], "http://img.example/cover.jpg");
    EXPECT_EQ(urls[1], "http://img.example/plain.jpg");
}

TEST(Parse_image_urls, AgreesWithTheBareExpressionsOnRandomPages) {
    // The one-pass test in front of each expression must never change an answer.
    const char* const expressions[] = {R"(.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
                                       R"(.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
                                       R"(.*?imgurl.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
                                       R"(.*?imgurl.*?imgurl.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)"};
    const char* const tokens[] = {"imgurl", "imgurl=", "http", "://x/", ".jpg", ".JPG", ".png", " ", "a", "\n"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string page;
        int length = 1 + static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) page += tokens[random() % 10];
        std::vector<std::string> expected;
        for (const char* expression : expressions) {
            std::string address = Net_text::Extract(page, expression);
            if (address != "no match") {
                std::string inner = Net_text::Extract(address, R"(http.*(http.*\.(?:jpg|JPG)))");
                if (inner != "no match") address = inner;
            }
            expected.push_back(address);
        }
        ASSERT_EQ(Parse_image_urls(page), expected) << page;
    }
}

TEST(Parse_image_urls, ALongPageFullOfImgurlKeepsItsOneLink) {
    // On this page expressions 2 to 4 fail only after the engine has tried every way to split it.
    std::string page = "imgurl=http://a.example/1.jpg ";
    for (int i = 0; i < 30000; ++i) page += "imgurl ";
    page += "b.jpg";
    EXPECT_EQ(Parse_image_urls(page),
              (std::vector<std::string>{"http://a.example/1.jpg", "no match", "no match", "no match"}));
}

TEST(Download_missing_covers, SearchesOnlyAlbumsWithoutCoverAndKeepsTheFirstJpeg) {
    Net_home home;
    Test_http_server server;
    TestSupport::Set_env("TAVRIX_IMAGE_SEARCH", server.Base().c_str());
    for (const char* folder : {"../music/Abba - Gold", "../music/Simon & Garfunkel", "../music/Kosheen"})
        TestSupport::Make_dirs(folder);

    auto picture = Test_http_server::Jpeg(3000);
    server.Serve("/error.jpg", Test_http_server::Page("<html>gone</html>", 404));
    server.Serve("/cover.jpg", picture);
    server.Serve(Search_target("Simon+%26+Garfunkel"),
                 Test_http_server::Page("<a href=\"/imgres?imgurl=" + server.Base() + "error.jpg&amp;w=1\"></a>" +
                                        "<a href=\"/imgres?imgurl=" + server.Base() + "cover.jpg&amp;w=1\"></a>" +
                                        "<a href=\"/imgres?imgurl=" + server.Base() + "never.jpg&amp;w=1\"></a>"));
    server.Serve(Search_target("Kosheen"), Test_http_server::Page("<html>nothing found</html>"));

    Fake_albums albums;
    albums.albums = {{"Abba - Gold", "../music/Abba - Gold/", "cover.jpg"},
                     {"Simon & Garfunkel", "../music/Simon & Garfunkel/", ""},
                     {"Kosheen", "../music/Kosheen/", ""}};
    std::vector<int> screens;  // the cover index each redraw of the progress screen saw
    Platform::Message_queue::Instance().Set_window_procedure([&](const Platform::Message& message) {
        if (message.kind == Platform::WM_TIMER && message.wparam == Timer_progress_download_covers) {
            screens.push_back(albums.cover_index);
        }
    });
    std::vector<std::pair<std::string, std::string>> cached;
    Set_cover_cacher(
        [&](const std::string& source, const std::string& target) { cached.emplace_back(source, target); });

    EXPECT_TRUE(Download_missing_covers(albums));

    EXPECT_EQ(screens, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(albums.download_count, 1);
    EXPECT_EQ(albums.albums[0].cover, "cover.jpg");
    EXPECT_EQ(albums.albums[1].cover, "VxCover.jpg");
    EXPECT_EQ(albums.albums[2].cover, "");
    EXPECT_EQ(TestSupport::Read_file("../music/Simon & Garfunkel/VxCover.jpg"), picture.body);
    EXPECT_FALSE(Exists("../music/Kosheen/VxCover.jpg"));
    EXPECT_EQ(cached, (std::vector<std::pair<std::string, std::string>>{
                          {"../music/Simon & Garfunkel/VxCover.jpg", "../covers/Simon & Garfunkel.bmp"}}));
    // The "&" of the name stays inside the query; the album with a cover cost no request;
    // the third link was not needed.
    EXPECT_EQ(server.Targets(), (std::vector<std::string>{Search_target("Simon+%26+Garfunkel"), "/error.jpg",
                                                          "/cover.jpg", Search_target("Kosheen")}));
    Platform::Message_queue::Instance().Set_window_procedure(nullptr);
}

TEST(Download_missing_covers, WithoutASearchServiceNothingLeavesTheMachine) {
    Net_home home;
    TestSupport::Unset_env("TAVRIX_IMAGE_SEARCH");
    TestSupport::Set_env("TAVRIX_MUSICBRAINZ_SERVER", "off");  // the cover services switched off as well
    Fake_albums albums;
    albums.albums = {{"Abba - Gold", "../music/Abba - Gold/", ""}};
    EXPECT_FALSE(Download_missing_covers(albums));
    EXPECT_EQ(albums.albums[0].cover, "");
    EXPECT_EQ(albums.download_count, 0);
    // Skipped quietly: no failure per album, and no progress screen for a pass that asks nothing.
    EXPECT_EQ(home.Errors().find("Can't open url"), std::string::npos) << home.Errors();
    EXPECT_NE(home.Log().find("Connection SKIPPED..."), std::string::npos);
    EXPECT_EQ(albums.cover_index, -1);
}

namespace {
// The albums with the pass's clock as the progress screen sees it.
class Clocked_albums : public Fake_albums {
public:
    void Set_pass_seconds_left(int seconds) override { seconds_left.push_back(seconds); }
    void Set_postponed_count(int n) override { postponed = n; }
    std::vector<int> seconds_left;
    int postponed = -1;
};
}  // namespace

TEST(Download_missing_covers, APassOutOfTimeLeavesTheRestForTheNextPassWhichBeginsWithThem) {
    Net_home home;
    Test_http_server server;
    TestSupport::Set_env("TAVRIX_IMAGE_SEARCH", server.Base().c_str());
    Clocked_albums albums;
    for (const char* name : {"A", "B", "C", "D"}) {
        TestSupport::Make_dirs(std::string("../music/") + name);
        albums.albums.push_back({name, std::string("../music/") + name + "/", ""});
    }
    // A answers at once without pictures; B's search never answers, so the budget ends on B.
    server.Serve(Search_target("A"), Test_http_server::Page("<html>nothing</html>"));
    auto silent = Test_http_server::Page("<html>late</html>");
    silent.delay_ms = 600000;
    server.Serve(Search_target("B"), silent);
    std::vector<int> screens;
    Platform::Message_queue::Instance().Set_window_procedure([&](const Platform::Message& message) {
        if (message.kind == Platform::WM_TIMER && message.wparam == Timer_progress_download_covers)
            screens.push_back(albums.cover_index);
    });

    EXPECT_FALSE(Download_missing_covers(albums, 3));
    EXPECT_EQ(albums.postponed, 3);                   // B, C and D
    EXPECT_EQ(screens, (std::vector<int>{0, 1, 1}));  // the last redraw says the time is up
    ASSERT_FALSE(albums.seconds_left.empty());
    EXPECT_EQ(albums.seconds_left.back(), 0);
    EXPECT_EQ(server.Requests("/images"), 2);  // C and D were not asked for
    EXPECT_NE(home.Errors().find("the time of the pass is up, 3 albums without cover wait for the next pass"),
              std::string::npos);

    // The next pass begins with B and goes round the whole list.
    server.Serve(Search_target("B"), Test_http_server::Page("<a href=\"/imgres?imgurl=" + server.Base() + "b.jpg\">"));
    server.Serve("/b.jpg", Test_http_server::Jpeg(2000));
    const std::size_t asked = server.Targets().size();
    screens.clear();
    EXPECT_TRUE(Download_missing_covers(albums, 60));
    EXPECT_EQ(albums.postponed, 0);
    EXPECT_EQ(screens, (std::vector<int>{1, 2, 3, 0}));
    EXPECT_EQ(server.Targets()[asked], Search_target("B"));
    EXPECT_EQ(albums.albums[1].cover, "VxCover.jpg");
    Platform::Message_queue::Instance().Set_window_procedure(nullptr);
    TestSupport::Unset_env("TAVRIX_IMAGE_SEARCH");
}
