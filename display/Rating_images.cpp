// Loading the rating pictures and choosing one by rating.
#include "display/Rating_images.h"

#include "display/VxDirectX.h"
#include "platform/paths.h"

VxRating_images Load_rating_images(const std::string& pics_folder) {
    std::string folder = pics_folder;
    if (!folder.empty() && folder.back() != Platform::Path_separator) folder += Platform::Path_separator;
    std::vector<std::string> paths;
    for (const char* name : Rating_image_files) paths.push_back(folder + name);
    return Load_rating_images(paths);
}

VxRating_images Load_rating_images(const std::vector<std::string>& paths) {
    VxDirectX& dx = VxDirectX::Instance();
    const double aspect = dx.Window_width() > 0 ? static_cast<double>(dx.Window_height()) / dx.Window_width() : 1.0;
    VxRating_images images;
    for (size_t i = 0; i < images.size(); ++i) {
        images[i] = std::make_unique<VxBitmap>();
        images[i]->Set_name(Rating_image_files[i]);
        images[i]->Set_size(Rating_image_height * aspect, Rating_image_height);
        if (i < paths.size()) images[i]->Loading_surface(paths[i]);
        images[i]->Set_colour_key(true);
    }
    return images;
}

VxRating_images& Shared_rating_images() {
    static VxRating_images* images = new VxRating_images;  // lives until exit, like VxRating
    return *images;
}

void Load_shared_rating_images(const std::vector<std::string>& paths) {
    Shared_rating_images() = Load_rating_images(paths);
}

int Rating_image_index(int rating) {
    if (rating > 94 && rating <= 100) return 0;
    if (rating >= 70 && rating <= 94) return 1;
    if (rating >= 50 && rating <= 69) return 2;
    if (rating >= 0 && rating <= 49) return 3;
    return 4;
}
