// The button bar: key codes at the buttons' places, the sets of the modes, slides, the
// search keyboard and the rating pictures.
#include <gtest/gtest.h>

#include <set>

#include "display/Rating_images.h"
#include "display/VxButton.h"
#include "tests/display/display_fixture.h"

using DisplayTest::Count_boxes;

namespace {
class Buttons : public DisplayTest::Display {
protected:
    void SetUp() override {
        Display::SetUp();
        // The button images: light caps with a keyed rim, as the theme paints them.
        for (const char* name :
             {"IMAGE_button_1.jpg", "IMAGE_button_2b.jpg", "IMAGE_button_3b.jpg", "IMAGE_button_frame.jpg",
              "IMAGE_button_quit.jpg", "IMAGE_button_uparrow.jpg", "IMAGE_button_downarrow.jpg",
              "IMAGE_button_leftarrow.jpg", "IMAGE_button_rightarrow.jpg"})
            DisplayTest::Write_jpeg(Pics() + name, 60, 60, [](int x, int y) {
                return (x < 3 || y < 3 || x > 56 || y > 56) ? VxRgb{0, 0, 255} : VxRgb{230, 230, 235};
            });
    }
    static void Rest_shown(VxButton_set& set) {
        for (auto* row : {&set.main_row, &set.transport_row})
            for (VxClickBitmap* b : *row) b->Set_position(b->Get_shown_position().x, b->Get_shown_position().y);
        for (auto& b : set.own) b->Set_position(b->Get_shown_position().x, b->Get_shown_position().y);
    }
    // The pixel centre of a button, for a click.
    static std::pair<int, int> Centre(VxClickBitmap& b) {
        const VxPoint p = b.Get_absolute_position();
        const VxPoint s = b.Get_size();
        return {static_cast<int>((p.x + s.x / 2) * 8), static_cast<int>((p.y + s.y / 2) * 6)};
    }
};
}  // namespace

TEST_F(Buttons, AClickAtAButtonGivesItsKeyCode) {
    VxButton& bar = VxButton::Instance();
    auto main = bar.Make_button_set(VxButton_mode::Main);
    Rest_shown(*main);
    auto [x, y] = Centre(*bar.Shared("Pause"));
    EXPECT_EQ(bar.Hit_test(*main, x, y), 32);
    std::tie(x, y) = Centre(*bar.Shared("Quit"));
    EXPECT_EQ(bar.Hit_test(*main, x, y), 81);
    EXPECT_EQ(bar.Hit_test(*main, 400, 590), VxButton::No_button);
    // A button that is not in the set is not hit.
    std::tie(x, y) = Centre(*bar.Shared("Back"));
    EXPECT_EQ(bar.Hit_test(*main, x, y), VxButton::No_button);
    // The generic set's title-bar buttons.
    auto generic = bar.Make_button_set(VxButton_mode::Generic);
    std::tie(x, y) = Centre(*bar.Image_button(0));
    EXPECT_EQ(bar.Hit_test(*generic, x, y), 507);
    std::tie(x, y) = Centre(*bar.Image_button(1));
    EXPECT_EQ(bar.Hit_test(*generic, x, y), 508);
    EXPECT_EQ(Count_boxes("VxBitmap", ""), 0) << "every button image was found";
}

TEST_F(Buttons, SharedButtonsHaveTheirSizesLabelsAndPlaces) {
    VxButton& bar = VxButton::Instance();
    bar.Build_buttons();
    const int digit_ids[] = {49, 50, 51, 52, 53, 54, 55, 56, 57, 48};
    for (int d = 0; d < 10; ++d) {
        VxClickBitmap* b = bar.Shared(std::string(1, static_cast<char>(digit_ids[d])));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->Get_id(), digit_ids[d]);
        EXPECT_DOUBLE_EQ(b->Get_shown_position().x, 2.5 + 4 * d);
    }
    EXPECT_DOUBLE_EQ(bar.Shared("-")->Get_shown_position().x, 42.5);
    EXPECT_DOUBLE_EQ(bar.Shared("+")->Get_shown_position().x, 46.5);
    VxClickBitmap* pause = bar.Shared("Pause");
    EXPECT_NEAR(pause->Get_size().x, 5 * 600.0 / 800 * 2.1, 1e-9);
    EXPECT_DOUBLE_EQ(pause->Get_size().y, 5);
    EXPECT_EQ(pause->Surface_width(), 63);
    EXPECT_EQ(pause->Surface_height(), 30);
    EXPECT_TRUE(pause->Get_colour_key());
    // The label is written on the cap: dark pixels in its middle.
    int dark = 0;
    for (int x = 0; x < pause->Surface_width(); ++x)
        for (int y = 0; y < pause->Surface_height(); ++y) dark += (pause->Get_surface()->Get_pixel(x, y) & 0xFF) < 100;
    EXPECT_GT(dark, 20);
    // Back and Enter share a place, and no mode shows both.
    EXPECT_DOUBLE_EQ(bar.Shared("Back")->Get_shown_position().x, bar.Shared("Enter")->Get_shown_position().x);
    for (auto mode : {VxButton_mode::Browse, VxButton_mode::Generic, VxButton_mode::Main, VxButton_mode::Options,
                      VxButton_mode::Rating, VxButton_mode::Search, VxButton_mode::Select, VxButton_mode::Volume}) {
        auto set = bar.Make_button_set(mode);
        std::set<VxClickBitmap*> all(set->main_row.begin(), set->main_row.end());
        all.insert(set->transport_row.begin(), set->transport_row.end());
        EXPECT_FALSE(all.count(bar.Shared("Back")) && all.count(bar.Shared("Enter")));
    }
}

TEST_F(Buttons, SetsSlideBetweenShownAndHidden) {
    VxButton& bar = VxButton::Instance();
    auto browse = bar.Make_button_set(VxButton_mode::Browse);
    ASSERT_EQ(browse->main_row.size(), 5u);
    ASSERT_EQ(browse->transport_row.size(), 3u);
    EXPECT_EQ(browse->extras.size(), 4u);
    bar.Show_set(*browse);
    EXPECT_DOUBLE_EQ(browse->main_row[0]->Get_target().y, 38);
    EXPECT_DOUBLE_EQ(browse->transport_row[0]->Get_target().y, 41.5);
    bar.Hide_set(*browse);
    EXPECT_DOUBLE_EQ(browse->main_row[0]->Get_target().y, 34);       // 4 up
    EXPECT_DOUBLE_EQ(browse->transport_row[0]->Get_target().y, 46);  // 4.5 down
    // Buttons resting at their hidden places are not drawn: those lie only 4 % above the bar and
    // would peek into its band. On the way they are cut at the band's edge (36.5 %).
    auto main = bar.Make_button_set(VxButton_mode::Main);
    dx().Back_buffer().Fill(0);
    bar.Draw_main_row(*main);  // they rest hidden at y = 34
    for (int y = 0; y < 600; y += 2)
        for (int x = 0; x < 800; x += 3) ASSERT_EQ(dx().Back_buffer().Get_pixel(x, y), 0u) << x << "," << y;
    main->main_row[0]->Set_position(4, 35);  // "Quit", part of the way in
    bar.Draw_main_row(*main);
    for (int y = 0; y < 219; ++y)
        for (int x = 0; x < 800; x += 3) ASSERT_EQ(dx().Back_buffer().Get_pixel(x, y), 0u) << x << "," << y;
    EXPECT_NE(dx().Back_buffer().Get_pixel(static_cast<int>((4 + 1) * 8), 221), 0u);
}

TEST_F(Buttons, ModesOwnDigitsAndTheSearchKeyboard) {
    VxButton& bar = VxButton::Instance();
    auto select = bar.Make_button_set(VxButton_mode::Select);
    ASSERT_EQ(select->own.size(), 10u);
    EXPECT_DOUBLE_EQ(select->own[0]->Get_size().y, 4.5);
    EXPECT_EQ(select->extras.size(), 12u);
    auto options = bar.Make_button_set(VxButton_mode::Options);
    EXPECT_DOUBLE_EQ(options->own[0]->Get_size().y, 5);
    EXPECT_EQ(options->own.size(), 7u);  // one per menu line
    // No own digit sits under a button of its mode's rows, where the row would take its clicks.
    for (auto* set : {select.get(), options.get()}) {
        Rest_shown(*set);
        for (auto& digit : set->own) {
            const auto [x, y] = Centre(*digit);
            EXPECT_EQ(bar.Hit_test(*set, x, y), digit->Get_id()) << digit->Get_label();
            EXPECT_GE(digit->Get_shown_position().x, 2) << digit->Get_label();  // whole inside the digits' clip
        }
    }

    auto search = bar.Make_button_set(VxButton_mode::Search);
    ASSERT_EQ(search->main_row.size(), 39u);
    EXPECT_TRUE(search->transport_row.empty());
    Rest_shown(*search);
    auto hit = [&](double x, double y) {
        return bar.Hit_test(*search, static_cast<int>(x * 8), static_cast<int>(y * 6));
    };
    EXPECT_EQ(hit(4 + 1, 50 + 2.5), '1');
    EXPECT_EQ(hit(20 + 1, 55 + 2.5), '0');
    EXPECT_EQ(hit(8 + 1, 60 + 15 + 2.5), 'q');  // letter 16: column 1, row 3
    EXPECT_EQ(hit(4 + 1, 85 + 2.5), 'z');
    EXPECT_EQ(hit(8 + 1, 85 + 2.5), 8);
    EXPECT_EQ(hit(12.6 + 3, 85 + 2.5), 13);  // on a 4:3 window " << " overlaps its left end
    EXPECT_EQ(hit(20 + 1, 85 + 2.5), 32);
    VxClickBitmap* a = search->main_row[10];
    EXPECT_EQ(a->Get_label(), "a");
    EXPECT_DOUBLE_EQ(a->Get_hidden_position().x, 4 + 27);
    EXPECT_DOUBLE_EQ(a->Get_hidden_position().y, 50);
}

TEST_F(Buttons, RatingPicturesLoadInOrderAndMatchTheirRatings) {
    const VxRgb colours[] = {{240, 190, 40}, {60, 190, 80}, {245, 140, 30}, {220, 50, 40}, {30, 30, 34}};
    for (int i = 0; i < 4; ++i)
        DisplayTest::Write_jpeg(Pics() + Rating_image_files[i], 20, 20, [&](int, int) { return colours[i]; });
    VxRating_images images = Load_rating_images(Pics());
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(images[i]->Get_surface()) << i;
        EXPECT_NEAR(static_cast<int>(images[i]->Get_surface()->Get_pixel(2, 2) >> 16), colours[i].r, 3);
        EXPECT_TRUE(images[i]->Get_colour_key());
        EXPECT_DOUBLE_EQ(images[i]->Get_size().y, Rating_image_height);
    }
    EXPECT_EQ(images[4]->Get_surface(), nullptr);
    EXPECT_EQ(Count_boxes("VxBitmap", Pics() + "IMAGE_black.jpg NOT found"), 1);
    // The loader that VxRating calls with full paths fills the shared set.
    EXPECT_FALSE(Shared_rating_images()[0]);
    std::vector<std::string> paths;
    for (const char* name : Rating_image_files) paths.push_back(Pics() + name);
    Load_shared_rating_images(paths);
    ASSERT_TRUE(Shared_rating_images()[1]);
    EXPECT_TRUE(Shared_rating_images()[1]->Get_surface());
    EXPECT_EQ(Rating_image_index(100), 0);
    EXPECT_EQ(Rating_image_index(95), 0);
    EXPECT_EQ(Rating_image_index(94), 1);
    EXPECT_EQ(Rating_image_index(70), 1);
    EXPECT_EQ(Rating_image_index(69), 2);
    EXPECT_EQ(Rating_image_index(50), 2);
    EXPECT_EQ(Rating_image_index(49), 3);
    EXPECT_EQ(Rating_image_index(0), 3);
    EXPECT_EQ(Rating_image_index(-1), 4);
    EXPECT_EQ(Rating_image_index(101), 4);
}
