// A sample jukebox screen composed from the theme (background, front panel, panels, buttons,
// covers, text), in the layer order of a real frame. For the screen tool and the display benchmark.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/Rating_images.h"
#include "display/VxBitmap.h"
#include "display/VxButton.h"

class VxSample_screen {
public:
    // Loads the pictures from the folder (ending in a separator); the display must be initialised.
    explicit VxSample_screen(const std::string& pics_folder);
    // Composes one frame into the back buffer.
    void Compose();

private:
    std::unique_ptr<VxBitmap> Image(const std::string& file, double x, double y, double w, double h, bool key);
    std::unique_ptr<VxBitmap> Cover(int index, double w, double h);

    std::string pics_;
    std::unique_ptr<VxBitmap> background_, front_, now_playing_, mode_panel_, action_panel_, type_box_, frame_, page_,
        playlist_caption_, caption_, final_caption_;
    std::vector<std::unique_ptr<VxBitmap>> covers_;
    VxRating_images ratings_;
    std::unique_ptr<VxButton_set> buttons_, generic_;
};
