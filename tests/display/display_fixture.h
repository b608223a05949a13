// The display tests' common ground: an 800x600 window on SDL's dummy driver, the display set
// up on it with a scratch pictures folder, headless message boxes, and a JPEG writer.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "display/VxDirectX.h"
#include "display/VxRaster.h"
#include "tests/support/test_support.h"

namespace DisplayTest {

// Writes a JPEG at quality 100 without chroma subsampling, so solid colours survive closely.
void Write_jpeg(const std::string& path, int width, int height, const std::function<VxRgb(int x, int y)>& pixel);
// Sets the width and height that a JPEG file's frame header claims (the pixels stay as they are).
void Patch_jpeg_size(const std::string& path, int width, int height);
// The lines of dialogs.txt that start with the caption.
int Count_boxes(const std::string& caption, const std::string& text_start);
int Count_lines(const std::string& file, const std::string& text_start);

class Display : public ::testing::Test {
protected:
    void SetUp() override;
    std::string Pics() const { return scratch_.Path() + TestSupport::Native("/pics/"); }  // as the settings give it
    std::string Path(const std::string& name) const { return scratch_.Path() + "/" + name; }
    VxDirectX& dx() { return VxDirectX::Instance(); }

    TestSupport::Scratch_dir scratch_;
};

}  // namespace DisplayTest
