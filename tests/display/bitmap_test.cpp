// Bitmaps: loading and stretching, drawing onto parents, text at its cursor, saving as BMP,
// hit tests and motion.
#include <gtest/gtest.h>

#include "display/Bmp_file.h"
#include "display/VxBitmap.h"
#include "display/VxDirectX.h"
#include "platform/surface.h"
#include "tests/display/display_fixture.h"
#include "trace/Profile_registry.h"

using DisplayTest::Count_boxes;
using DisplayTest::Write_jpeg;
using Platform::Make_pixel;

namespace {
class Bitmap : public DisplayTest::Display {
protected:
    // A bitmap of w x h per cent with a fresh surface of one colour.
    std::unique_ptr<VxBitmap> Plain(double w, double h, Platform::Pixel colour) {
        auto b = std::make_unique<VxBitmap>();
        b->Set_size(w, h);
        b->Make_surface();
        b->Get_surface()->Fill(colour);
        return b;
    }
    // The box around every pixel that differs from the background.
    static Platform::Rect Ink(const Platform::Surface& s, Platform::Pixel background) {
        Platform::Rect r{s.Width(), s.Height(), -1, -1};
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                if (s.Get_pixel(x, y) != background) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r;
    }
};
const Platform::Pixel White = Make_pixel(255, 255, 255);
}  // namespace

TEST_F(Bitmap, LoadingStretchesTheFileToThePerCentSize) {
    Write_jpeg(Path("wide.jpg"), 1000, 500, [](int x, int) { return x < 500 ? VxRgb{250, 0, 0} : VxRgb{0, 0, 200}; });
    VxBitmap b;
    b.Set_size(50, 25);
    b.Loading_surface(Path("wide.jpg"));
    ASSERT_TRUE(b.Get_surface());
    EXPECT_TRUE(b.Is_loaded());
    EXPECT_EQ(b.Surface_width(), 400);
    EXPECT_EQ(b.Surface_height(), 150);
    EXPECT_EQ(b.Loaded_width(), 1000);
    EXPECT_EQ(b.Loaded_height(), 500);
    EXPECT_GT(b.Get_surface()->Get_pixel(100, 75) >> 16, 240u);   // left half red
    EXPECT_GT(b.Get_surface()->Get_pixel(300, 75) & 0xFF, 190u);  // right half blue
    // Key areas stay exactly key through the stretch, so they stay transparent.
    Write_jpeg(Path("keyed.jpg"), 300, 300, [](int x, int) {
        return x < 150 ? VxRgb{0, 0, 255} : VxRgb{200, 200, 200};
    });
    VxBitmap k;
    k.Set_size(10, 10);
    k.Loading_surface(Path("keyed.jpg"));
    ASSERT_TRUE(k.Get_surface());
    for (int x = 0; x < k.Surface_width() / 2 - 1; ++x)
        EXPECT_TRUE(Platform::Is_key(k.Get_surface()->Get_pixel(x, 20))) << x;
    EXPECT_FALSE(Platform::Is_key(k.Get_surface()->Get_pixel(k.Surface_width() - 2, 20)));
}

namespace {
int Header_lines() {
    const std::string log = TestSupport::Read_trace("log.txt");
    int n = 0;
    for (std::size_t at = log.find("trying to read jpg header"); at != std::string::npos;
         at = log.find("trying to read jpg header", at + 1))
        ++n;
    return n;
}
}  // namespace

TEST_F(Bitmap, LargeThemePicturesDecodeWhenFirstShownAsAtTheirLoad) {
    // Over the size that decodes at once; painted-in blue keys a corner, so the stretch picks pixels.
    const std::string path = Path("panel.jpg");
    Write_jpeg(path, 600, 400, [](int x, int y) {
        if (x < 100 && y < 100) return VxRgb{10, 20, 250};
        return VxRgb{(x * 7) % 256, (y * 5) % 256, (x + y) % 200};
    });
    int w = 0, h = 0;
    auto image = dx().bitmap_surface(path, w, h);
    ASSERT_TRUE(image);
    auto expected = Platform::Surface::Create(240, 150);  // 30 x 25 per cent of the 800 x 600 window
    const Platform::Rect all{0, 0, 240, 150};
    expected->Blit(*image, Platform::Rect{0, 0, w, h}, all, all, false, !image->Has_key_pixels());

    const int before = Header_lines();
    VxBitmap b;
    b.Set_size(30, 25);
    b.Loading_surface(path);
    EXPECT_EQ(Header_lines(), before + 2) << "the load writes its header lines in their place";
    EXPECT_TRUE(b.Is_loaded());
    EXPECT_EQ(b.Loaded_width(), 600);
    EXPECT_EQ(b.Surface_width(), 240);
    b.Set_size(50, 50);  // a later size takes effect at the next load, as with decoding at once
    b.Set_position(-40, 0);
    b.Draw();  // nothing of it shows
    Platform::Surface* s = b.Get_surface();
    ASSERT_TRUE(s);
    EXPECT_EQ(Header_lines(), before + 2) << "decoding writes no second pair";
    ASSERT_EQ(s->Width(), 240);
    ASSERT_EQ(s->Height(), 150);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 240; ++x) ASSERT_EQ(s->Get_pixel(x, y), expected->Get_pixel(x, y)) << x << "," << y;
}

TEST_F(Bitmap, ADamagedLargePictureIsReportedWhenFirstShown) {
    const std::string path = Path("cut.jpg");
    Write_jpeg(path, 640, 480, [](int x, int y) { return VxRgb{x % 256, y % 256, 90}; });
    TestSupport::Write_file(path, TestSupport::Read_file(path).substr(0, 2000));  // the header and a little
    VxBitmap b;
    b.Set_size(20, 20);
    b.Loading_surface(path);
    b.Set_position(-30, 10);
    b.Draw();  // off the window: not decoded
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg ! Err :"), 0);
    b.Set_position(10, 10);
    b.Draw();
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg ! Err :"), 1);
    EXPECT_EQ(b.Get_surface(), nullptr);
    EXPECT_FALSE(b.Is_loaded());
    b.Draw();
    EXPECT_EQ(Count_boxes("VxDirectX", "Could not load jpg ! Err :"), 1) << "reported once";
}

// Covers and sheets are loaded again and again into the same bitmaps: the surface stays, the new
// picture covers all of it, and only a new size (or a failed load) replaces or drops it.
TEST_F(Bitmap, LoadingAgainDrawsOverTheSameSurfaceUntilTheSizeChanges) {
    Write_jpeg(Path("red.jpg"), 200, 100, [](int, int) { return VxRgb{250, 0, 0}; });
    Write_jpeg(Path("blue.jpg"), 300, 300, [](int, int) { return VxRgb{0, 0, 200}; });
    VxBitmap b;
    b.Set_size(50, 25);
    b.Loading_surface(Path("red.jpg"), VxPicture::Cover);
    const Platform::Surface* first = b.Get_surface();
    ASSERT_TRUE(first);
    b.Loading_surface(Path("blue.jpg"), VxPicture::Cover);
    EXPECT_EQ(b.Get_surface(), first);
    EXPECT_EQ(b.Loaded_width(), 300);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{399, 149}, std::pair{200, 75}}) {
        const Platform::Pixel p = b.Get_surface()->Get_pixel(x, y);
        EXPECT_LT(p >> 16, 10u) << x << ", " << y;  // no red left of the first picture
        EXPECT_GT(p & 0xFF, 190u) << x << ", " << y;
    }
    b.Set_size(25, 25);
    b.Loading_surface(Path("red.jpg"), VxPicture::Cover);
    EXPECT_EQ(b.Surface_width(), 200);
    EXPECT_EQ(b.Surface_height(), 150);
    EXPECT_GT(b.Get_surface()->Get_pixel(199, 149) >> 16, 240u);
    b.Loading_surface(Path("nowhere.jpg"), VxPicture::Cover);
    EXPECT_EQ(b.Get_surface(), nullptr);
    EXPECT_FALSE(b.Is_loaded());
}

TEST_F(Bitmap, MissingFileOnlyShowsItsMessage) {
    VxBitmap b;
    b.Loading_surface(Path("nowhere.jpg"));
    EXPECT_EQ(b.Get_surface(), nullptr);
    EXPECT_EQ(Count_boxes("VxBitmap", Path("nowhere.jpg") + " NOT found"), 1);
}

TEST_F(Bitmap, DrawsOntoParentsAtPerCentOfTheParent) {
    auto parent = Plain(50, 50, 0);                     // 400 x 300 pixels
    auto child = Plain(10, 10, Make_pixel(0, 200, 0));  // 80 x 60
    child->Set_parent(parent.get());
    child->Set_position(50, 50);  // (200, 150) in the parent
    child->Draw();
    EXPECT_EQ(parent->Get_surface()->Get_pixel(200, 150), Make_pixel(0, 200, 0));
    EXPECT_EQ(parent->Get_surface()->Get_pixel(279, 209), Make_pixel(0, 200, 0));
    EXPECT_EQ(parent->Get_surface()->Get_pixel(280, 150), 0u);
    EXPECT_EQ(parent->Get_surface()->Get_pixel(199, 150), 0u);
    parent->Set_position(20, 10);
    const VxPoint abs = child->Get_absolute_position();
    EXPECT_DOUBLE_EQ(abs.x, 20 + 50 * 0.5);
    EXPECT_DOUBLE_EQ(abs.y, 10 + 50 * 0.5);
    // A negative corner: nothing is drawn onto the target.
    parent->Get_surface()->Fill(0);
    child->Set_position(-1, 10);
    child->Draw_onto(*parent);
    EXPECT_EQ(Ink(*parent->Get_surface(), 0).right, -1);
    // Partly past the target's far edge: cut, not refused.
    child->Set_position(95, 95);
    child->Draw_onto(*parent);
    EXPECT_EQ(parent->Get_surface()->Get_pixel(399, 299), Make_pixel(0, 200, 0));
    EXPECT_EQ(Count_boxes("VxBitmap", ""), 0);
}

TEST_F(Bitmap, TextLandsAtItsCursorAndMovesIt) {
    auto b = Plain(50, 50, White);  // 400 x 300
    b->Set_text_size(2);            // 2.8 % of 600 = 16 px cells
    b->Set_text_cursor(10, 20);     // (40, 60)
    b->Write_text("Hello", 0, false);
    const Platform::Rect ink = Ink(*b->Get_surface(), White);
    EXPECT_GE(ink.left, 40);
    EXPECT_LE(ink.left, 43);
    EXPECT_GE(ink.top, 60);
    EXPECT_LE(ink.bottom, 60 + 17);
    const double after = b->Get_text_cursor().x;
    EXPECT_NEAR(after * 4, ink.right, 3) << "the cursor ends after the text";
    EXPECT_DOUBLE_EQ(b->Get_text_cursor().y, 20);
    b->Write_text("x", 0, true);
    EXPECT_NEAR(b->Get_text_cursor().y, 20 + 0.8 * 2.8 * 600.0 / 300.0, 1e-9);

    // max length 3 writes the first three letters only.
    auto three = Plain(50, 50, White);
    three->Set_text_size(6);
    three->Write_text("WWWWW", 3, false);
    auto full = Plain(50, 50, White);
    full->Set_text_size(6);
    full->Write_text("WWW", 0, false);
    EXPECT_EQ(Ink(*three->Get_surface(), White).right, Ink(*full->Get_surface(), White).right);

    // Colour.
    auto red = Plain(50, 50, White);
    red->Set_text_size(6);
    red->Set_text_colour(RGB(200, 0, 0));
    red->Write_text("I", 0, false);
    const Platform::Rect r = Ink(*red->Get_surface(), White);
    EXPECT_EQ(red->Get_surface()->Get_pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2), Make_pixel(200, 0, 0));
}

TEST_F(Bitmap, WriteCentredCentresTheLabel) {
    auto b = Plain(20, 10, White);  // 160 x 60
    b->Write_centred("Pause");
    const Platform::Rect ink = Ink(*b->Get_surface(), White);
    ASSERT_GT(ink.right, 0);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 80, 3);
    EXPECT_GE(ink.top, 15);  // cursor y at 25 %
}

TEST_F(Bitmap, SaveSurfaceWritesABmpThatLoadsBack) {
    auto b = Plain(5, 5, Make_pixel(10, 20, 30));  // 40 x 30
    b->Get_surface()->Set_pixel(0, 0, Make_pixel(255, 0, 0));
    b->Get_surface()->Set_pixel(39, 29, Platform::Colour_key);
    ASSERT_TRUE(b->Save_surface(Path("s.bmp")));
    EXPECT_EQ(TestSupport::Read_file(Path("s.bmp")).size(), 54u + 40 * 30 * 4);
    int w = 0, h = 0;
    auto back = dx().bitmap_surface(Path("s.bmp"), w, h);
    ASSERT_TRUE(back);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    EXPECT_EQ(back->Get_pixel(0, 0), Make_pixel(255, 0, 0));
    EXPECT_EQ(back->Get_pixel(39, 29), Platform::Colour_key);
    EXPECT_EQ(back->Get_pixel(20, 15), Make_pixel(10, 20, 30));
    // The cover cache's 24-bit files load too.
    VxRaster r;
    r.Resize(3, 2);
    r.Set_pixel(1, 2, 0, 0, 255);
    ASSERT_EQ(r.Save_bmp(Path("c.bmp")), 0);
    auto cache = dx().bitmap_surface(Path("c.bmp"), w, h);
    ASSERT_TRUE(cache);
    EXPECT_EQ(cache->Get_pixel(2, 1), Make_pixel(0, 0, 255));
    // JPG is refused, and nothing is written.
    EXPECT_FALSE(b->Save_surface(Path("s.jpg")));
    EXPECT_FALSE(TestSupport::Read_file(Path("s.jpg")).size());
    EXPECT_EQ(Count_boxes("VxBitmap", "Saving JPG from surface NOT YET IMPLEMENTED"), 1);
}

TEST_F(Bitmap, HitIsStrictlyInside) {
    VxClickBitmap button;
    button.Set_size(10, 10);
    button.Set_position(50, 50);  // pixels 400..480, 300..360
    button.Set_id(32);
    EXPECT_EQ(button.Hit(440, 330), 32);
    EXPECT_EQ(button.Hit(400, 330), VxClickBitmap::No_hit);
    EXPECT_EQ(button.Hit(481, 330), VxClickBitmap::No_hit);
    EXPECT_EQ(button.Hit(10, 10), VxClickBitmap::No_hit);
}

TEST_F(Bitmap, MovesRunOnTheRegisteredProfiles) {
    VxBitmap b;
    b.Set_position(10, 10);
    b.Set_shown_position(60, 10);
    EXPECT_FALSE(Profile_registry::Instance().Any_running());
    b.Move_to_shown();
    EXPECT_TRUE(Profile_registry::Instance().Any_running());
    EXPECT_DOUBLE_EQ(b.Get_target().x, 60);
    b.Freeze();
    const double held = b.Get_position().x;
    EXPECT_GE(held, 10);
    EXPECT_LT(held, 60);
    EXPECT_FALSE(Profile_registry::Instance().Any_running());
    b.Set_position(5, 6);
    EXPECT_DOUBLE_EQ(b.Get_position().x, 5);
    EXPECT_DOUBLE_EQ(b.Get_position().y, 6);
}

TEST_F(Bitmap, AnUndecodedBitmapTakesAnUndecodedPictureAsDrawingItOntoItWould) {
    Write_jpeg(Path("a.jpg"), 500, 300, [](int x, int y) { return VxRgb{x % 256, 40, y % 256}; });
    Write_jpeg(Path("b.jpg"), 640, 360, [](int x, int y) { return VxRgb{200, (x + y) % 256, 30}; });
    auto loaded = [&](const char* name) {
        auto b = std::make_unique<VxBitmap>();
        b->Set_size(40, 30);
        b->Loading_surface(Path(name));
        b->Set_position(0, 0);
        return b;
    };
    auto drawn = loaded("a.jpg"), taken = loaded("a.jpg");
    loaded("b.jpg")->Draw_onto(*drawn);
    ASSERT_TRUE(taken->Take_undecoded_picture(*loaded("b.jpg")));
    ASSERT_TRUE(taken->Get_surface());
    ASSERT_EQ(taken->Surface_width(), drawn->Surface_width());
    for (int y = 0; y < drawn->Surface_height(); ++y)
        for (int x = 0; x < drawn->Surface_width(); ++x)
            ASSERT_EQ(taken->Get_surface()->Get_pixel(x, y), drawn->Get_surface()->Get_pixel(x, y)) << x << "," << y;
    // Once decoded, a bitmap may carry writing: it takes nothing, nor from a source that would not cover it.
    EXPECT_FALSE(taken->Take_undecoded_picture(*loaded("b.jpg")));
    auto fresh = loaded("a.jpg"), offset = loaded("b.jpg");
    offset->Set_position(5, 0);
    EXPECT_FALSE(fresh->Take_undecoded_picture(*offset));
    offset->Set_position(0, 0);
    offset->Set_colour_key(true);
    EXPECT_FALSE(fresh->Take_undecoded_picture(*offset));
}

// A picture of one colour is filled in rather than stretched: the bitmap's pixels are those stretching
// gives, filtered (no key) or picked (the key), growing and shrinking; a picture with one pixel apart
// is still stretched, to the same pixels as before.
TEST_F(Bitmap, APictureOfOneColourFillsTheBitmapAsStretchingItWould) {
    struct Case {
        int width, height;
        Platform::Pixel colour;
        double w, h;  // per cent of the window
    };
    const Case cases[] = {{8, 8, Make_pixel(0, 0, 0), 26, 200},
                          {8, 8, Make_pixel(37, 140, 201), 40, 20},
                          {3, 5, Platform::Colour_key, 25, 7},
                          {64, 48, Make_pixel(250, 250, 250), 1, 1},
                          {5, 7, Make_pixel(90, 10, 200), 26, 200}};
    for (const bool odd_pixel : {false, true}) {
        for (const Case& c : cases) {
            const std::string file = Path("plain.bmp");
            ASSERT_EQ(Write_bmp(file, c.width, c.height, Bmp_depth::bits_24, Bmp_padding_word::absent,
                                [&](int row, int col) {
                                    return odd_pixel && row == c.height / 2 && col == c.width / 2 ? 0x102030u
                                                                                                  : c.colour;
                                }),
                      Bmp_result::written);
            // What stretching the loaded picture over the bitmap's surface gives.
            std::string error;
            auto picture = Platform::Surface::Load_bmp(file, error);
            ASSERT_TRUE(picture) << error;
            VxBitmap b;
            b.Set_size(c.w, c.h);
            b.Loading_surface(file);
            ASSERT_TRUE(b.Get_surface());
            Platform::Surface& got = *b.Get_surface();
            auto expected = Platform::Surface::Create(got.Width(), got.Height());
            ASSERT_TRUE(expected);
            const Platform::Rect all{0, 0, got.Width(), got.Height()};
            ASSERT_TRUE(expected->Blit(*picture, Platform::Rect{0, 0, c.width, c.height}, all, all, false,
                                       !picture->Has_key_pixels()));
            for (int y = 0; y < got.Height(); ++y)
                for (int x = 0; x < got.Width(); ++x)
                    ASSERT_EQ(got.Row(y)[x], expected->Row(y)[x])
                        << c.width << "x" << c.height << " odd " << odd_pixel << " at " << x << "," << y;
        }
    }
}
