// The playlist's panel: album headers and covers, where pages end, which page is in front with
// which role after queueing and moving, the scroll targets, the current row's colour.
#include "playback/Playlist_panel.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "display/Rating_images.h"
#include "display/VxDirectX.h"
#include "display/VxRaster.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "playback/VxPlaylist.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using Platform::Make_pixel;

namespace {

const Platform::Pixel Cover_colour = Make_pixel(30, 60, 200);
const Platform::Pixel Placeholder_colour = Make_pixel(200, 120, 30);

void Write_solid_bmp(const std::string& path, Platform::Pixel p) {
    VxRaster raster;
    raster.Resize(16, 16);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c) raster.Set_pixel(r, c, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    ASSERT_EQ(raster.Save_bmp(path), 0);
}

int Count_lines(const std::string& file, const std::string& start) {
    if (!fs::exists(file)) return 0;
    std::istringstream in(TestSupport::Read_trace(file));
    std::string line;
    int n = 0;
    while (std::getline(in, line))
        if (line.rfind(start, 0) == 0) ++n;
    return n;
}

// A jukebox home with the generated theme (its placeholder repainted in one colour), an 800x600
// window on the dummy driver, and albums "A" (with a cached cover), "B" and "C" (without).
class Panel : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::Set_env("SDL_VIDEODRIVER", "dummy");
        Platform::Set_headless(true);
        const std::string home = scratch_.Path();
        for (const char* d : {"/run", "/music", "/covers"}) TestSupport::Make_dirs(home + d);
        ASSERT_EQ(chdir((home + "/run").c_str()), 0);
        TestSupport::Open_trace_here();
        fs::copy(TestSupport::Theme_pics_folder(), home + "/pics", fs::copy_options::recursive);
        Write_solid_bmp(home + "/pics/IMAGE_no_cover.bmp", Placeholder_colour);
        Write_solid_bmp(home + "/covers/A.bmp", Cover_colour);

        std::string error;
        ASSERT_TRUE(Platform::Window::Instance().Open("test", 0, 0, 800, 600, error)) << error;
        VxDisplay_config config;
        config.pics_folder = home + "/pics/";
        VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, 800, 600, config);
        std::vector<std::string> marks;
        for (const char* f : Rating_image_files) marks.push_back(home + "/pics/" + f);
        Load_shared_rating_images(marks);

        VX_FileSystem_musiclist list;
        const char* names[] = {"A", "B", "C"};
        for (int c = 0; c < 3; ++c) {
            VX_FileSystem_cd cd;
            cd.path = "/nowhere/" + std::string(names[c]) + "/";
            cd.name = cd.artist = names[c];
            cd.title = "Title";
            for (int s = 0; s < 100; ++s)
                cd.songs.push_back(VX_FileSystem_song{"s.mp3", "Song " + std::to_string(s), "", "", 80});
            list.cds.push_back(cd);
        }
        VxDatabase::Instance().Set_musiclist(list);
        Platform::Message_queue::Instance().Reset();
    }

    // The process's one playlist; its audio worker may write to the trace before SetUp opens it.
    VxPlaylist& list() { return VxPlaylist::Instance(); }
    void Queue(int album, int songs) {
        for (int s = 0; s < songs; ++s) list().Insert_item(album, s);
    }
    VxPlaylist_panel& panel() { return *list().Panel(); }
    double Row(int i) { return list().Get_item(i).row_y; }
    // Items whose row has a header above it on the page filled from first: a header pushes the
    // row down by its two lines of names.
    std::vector<int> Headers(int first, int last) {
        std::vector<int> found;
        for (int i = first; i <= last; ++i) {
            const double gap = i == first ? Row(i) - 2.0 : Row(i) - Row(i - 1);
            if (gap > 2.0) found.push_back(i);
        }
        return found;
    }
    Platform::Surface& Page_surface(int page) { return *panel().Get_page(page).bitmap.Get_surface(); }
    // The pixel at the middle of the cover that a header above item i's row would show.
    Platform::Pixel Cover_pixel(int page, int i) {
        Platform::Surface& s = Page_surface(page);
        const double header_y = Row(i) - 2.84;  // the header's two lines and the row gaps
        return s.Get_pixel(static_cast<int>(0.10 * s.Width()) + 15,
                           static_cast<int>((header_y + 0.3 + 1.25) * 0.01 * s.Height())) &
               0x00FFFFFF;
    }
    // Whether item i's row on the page holds text in the current item's dark red (antialiased
    // small text seldom reaches the exact colour; black text and the grey frame stay grey).
    bool Row_in_current_colour(int page, int i) {
        Platform::Surface& s = Page_surface(page);
        const int top = static_cast<int>(Row(i) * 0.01 * s.Height()) + 1;
        for (int y = top; y < top + 12; ++y)
            for (int x = static_cast<int>(0.13 * s.Width()); x < s.Width(); ++x) {
                const Platform::Pixel p = s.Get_pixel(x, y);
                const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (r >= 100 && r <= 160 && g < 60 && b < 60) return true;
            }
        return false;
    }
    int Log_lines(const std::string& start) { return Count_lines("log.txt", start); }
    int Boxes() { return Count_lines("dialogs.txt", "Playlist\tpanel not initialized"); }

    TestSupport::Scratch_dir scratch_;
};

TEST_F(Panel, UntilBuildPanelTheQueueWorksAlone) {
    Queue(0, 3);
    list().Set_current_index(2);
    EXPECT_EQ(list().Panel(), nullptr);
    EXPECT_EQ(list().Get_frame_image(), nullptr);
    list().Draw_pages();
    list().Refresh_current_page();
    EXPECT_EQ(list().Get_current_index(), 2);
    EXPECT_EQ(Boxes(), 0);
}

TEST_F(Panel, HeadersAtAlbumChangesAfterTheCurrentItemOnly) {
    Queue(0, 3);  // A A A B B C
    Queue(1, 2);
    Queue(2, 1);
    list().Build_panel();
    ASSERT_NE(list().Panel(), nullptr);
    EXPECT_EQ(Headers(0, 5), (std::vector<int>{0, 3, 5}));
    EXPECT_EQ(Cover_pixel(0, 0), Cover_colour);        // A has a cached cover
    EXPECT_EQ(Cover_pixel(0, 3), Placeholder_colour);  // B has none
    EXPECT_EQ(Cover_pixel(0, 5), Placeholder_colour);
    EXPECT_TRUE(Row_in_current_colour(0, 0));
    EXPECT_FALSE(Row_in_current_colour(0, 1));

    // Songs already played get one header, at the end of their first album.
    list().Set_current_index(3);
    const int page = panel().Visible_page();
    EXPECT_EQ(Headers(0, 5), (std::vector<int>{2, 3, 5}));
    EXPECT_EQ(Cover_pixel(page, 2), Cover_colour);
    EXPECT_TRUE(Row_in_current_colour(page, 3));
    EXPECT_FALSE(Row_in_current_colour(page, 0));
}

TEST_F(Panel, AFullPageEndsAndTheNextItemStartsANewOne) {
    list().Build_panel();
    EXPECT_EQ(list().Get_frame_image(), &panel().Get_frame_image());
    Queue(0, 100);
    ASSERT_EQ(panel().Page_starts().size(), 2u);
    const int next = panel().Page_starts()[1];
    EXPECT_GT(Row(next - 1), VxPlaylist_panel::Page_full_y);
    EXPECT_LE(Row(next - 2), VxPlaylist_panel::Page_full_y);
    EXPECT_LT(Row(next), 5.0);  // at the top of the new page, under its album header
    EXPECT_EQ(panel().Page_start_of(next - 1), 0);
    EXPECT_EQ(panel().Page_start_of(next), next);
    EXPECT_EQ(panel().Page_start_of(99), next);
    // Rows follow one another at one line plus the gap.
    EXPECT_NEAR(Row(2) - Row(1), 0.3 + 0.8 * 2.24 * 600 / 1200, 1e-9);
}

TEST_F(Panel, PagesOfAQueueMadeBeforeThePanelAreKnownAtOnce) {
    Queue(0, 100);
    Queue(1, 100);
    list().Build_panel();
    ASSERT_EQ(panel().Page_starts().size(), 3u);
    const int last_start = panel().Page_starts()[2];
    list().Set_current_index(last_start + 10);
    EXPECT_EQ(panel().Page_starts().size(), 3u);
    EXPECT_TRUE(Row_in_current_colour(panel().Visible_page(), last_start + 10));
}

TEST_F(Panel, PagesAndRolesSwapAsTheListGrowsAndMoves) {
    list().Build_panel();
    EXPECT_EQ(panel().Visible_page(), 0);
    EXPECT_EQ(panel().Role(0), 1);
    EXPECT_EQ(panel().Role(1), 2);
    EXPECT_EQ(panel().Get_page(1).bitmap.Get_target().x, VxPlaylist_panel::Hidden_x);
    EXPECT_DOUBLE_EQ(panel().Get_page(0).scroll_scale, 2.0);

    Queue(0, 3);
    list().Set_current_index(1);  // role 1, same page: no swap
    EXPECT_EQ(panel().Visible_page(), 0);

    const int swaps_before = Log_lines("show xpos.y");
    Queue(1, 80);  // crosses into a second page: it comes to the front showing the end
    const int next = panel().Page_starts().at(1);
    EXPECT_EQ(panel().Visible_page(), 1);
    EXPECT_EQ(panel().Role(1), 2);
    EXPECT_EQ(panel().Role(0), 1);
    EXPECT_EQ(panel().Get_page(1).bitmap.Get_target().x, VxPlaylist_panel::Shown_x);
    EXPECT_EQ(panel().Get_page(0).bitmap.Get_target().x, VxPlaylist_panel::Hidden_x);
    EXPECT_EQ(Log_lines("show xpos.y"), swaps_before + 1);
    EXPECT_EQ(Log_lines("hide xpos.y"), swaps_before + 1);  // Build_panel wrote one of each

    list().Set_current_index(2);  // role 2: always to the other page, now showing the current item
    EXPECT_EQ(panel().Visible_page(), 0);
    EXPECT_EQ(panel().Role(0), 1);
    EXPECT_EQ(panel().Role(1), 2);

    list().Set_current_index(next + 1);  // role 1, another page: swap
    EXPECT_EQ(panel().Visible_page(), 1);
    EXPECT_EQ(panel().Role(1), 1);
    EXPECT_EQ(panel().Role(0), 2);
    EXPECT_TRUE(Row_in_current_colour(1, next + 1));
    // The page comes to the front already heading for the current row.
    EXPECT_NEAR(panel().Get_page(1).bitmap.Get_target().y, 55 - Row(next + 1) * 2, 1e-9);

    list().Set_current_index(next + 2);  // same page
    list().Insert_item(2, 0);            // lands on the current item's page
    EXPECT_EQ(panel().Visible_page(), 1);
    EXPECT_EQ(panel().Role(1), 1);
}

TEST_F(Panel, ScrollTargets) {
    Queue(0, 100);
    list().Build_panel();
    VxBitmap& page0 = panel().Get_page(0).bitmap;

    list().Set_current_index(1);  // a short scroll starts at once
    EXPECT_NEAR(page0.Get_target().y, 55 - Row(1) * 2, 1e-9);
    EXPECT_EQ(page0.Get_target().x, 1);
    EXPECT_TRUE(page0.Is_moving());

    list().Set_current_index(60);  // a long one waits for the refresh
    EXPECT_NEAR(page0.Get_target().y, 55 - Row(60) * 2, 1e-9);
    EXPECT_FALSE(page0.Is_moving());
    list().Refresh_current_page();
    EXPECT_TRUE(page0.Is_moving());

    list().Set_current_index(74);  // near the bottom: no higher than -100
    EXPECT_EQ(page0.Get_target().y, -100);
}

TEST_F(Panel, ScrollToTheEndOnlyWhenTheLastRowLeavesItsBand) {
    Queue(0, 1);
    list().Build_panel();
    VxBitmap& page0 = panel().Get_page(0).bitmap;
    list().Insert_item(0, 1);  // the last row stays between 55 and 90 % of the window
    EXPECT_EQ(page0.Get_target().y, VxPlaylist_panel::Page_top);
    Queue(0, 30);
    // The list grew past the band: each insert scrolls the last row back to 55 %.
    EXPECT_NEAR(page0.Get_target().y, 55 - Row(31) * 2, 0.01);
}

TEST_F(Panel, PageWithABadRoleRefusesUpdatesButKeepsTheQueue) {
    list().Build_panel();
    panel().Set_role(panel().Visible_page(), 0);
    list().Insert_item(0, 0);
    list().Set_current_index(0);
    EXPECT_EQ(Boxes(), 2);
    EXPECT_EQ(list().Get_nof_items(), 1);
    EXPECT_EQ(list().Get_current_index(), 0);
}

TEST_F(Panel, DrawPagesShowsTheFrontPageInsideThePanelOnly) {
    Queue(0, 3);
    list().Build_panel();
    Platform::Surface& screen = VxDirectX::Instance().Back_buffer();
    screen.Fill(Make_pixel(0, 0, 0));
    list().Draw_pages();
    // The first row's rating mark sits at x = 1 + 7 % of the page, y = 48 + its row.
    const int x = static_cast<int>((1 + 0.07 * 26 + 0.5) * 8);
    const int y = static_cast<int>((48 + (Row(0) + 0.2 + 0.45) * 2) * 6);
    EXPECT_NE(screen.Get_pixel(x, y) & 0x00FFFFFF, 0u);
    EXPECT_EQ(screen.Get_pixel(static_cast<int>(28 * 8), 400) & 0x00FFFFFF, 0u);  // right of the clip
    EXPECT_EQ(screen.Get_pixel(4, 200) & 0x00FFFFFF, 0u);                         // above it
}

}  // namespace

TEST_F(Panel, ARedrawShowsANewRatingInPlace) {
    Queue(0, 3);
    list().Build_panel();
    const int page = panel().Visible_page();
    const double y_before = panel().Get_page(page).bitmap.Get_position().y;
    // The mark left of row 1: x 7 %, its row's y + 0.2 %, 1.8 % of the window high.
    auto mark = [&] {
        Platform::Surface& s = Page_surface(page);
        std::vector<Platform::Pixel> pixels;
        const int top = static_cast<int>((Row(1) + 0.2) * 0.01 * s.Height());
        for (int y = top; y < top + 8; ++y)
            for (int x = static_cast<int>(0.07 * s.Width()); x < static_cast<int>(0.12 * s.Width()); ++x)
                pixels.push_back(s.Get_pixel(x, y));
        return pixels;
    };
    const auto before = mark();
    VxDatabase::Instance().Set_song_score(0, 1, 100);  // 80 -> 100: another mark
    list().Redraw_visible_page();
    EXPECT_NE(mark(), before);
    EXPECT_EQ(panel().Visible_page(), page);  // in place: no page change, no move
    EXPECT_EQ(panel().Get_page(page).bitmap.Get_position().y, y_before);
}
