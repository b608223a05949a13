// The button bar: the shared on-screen buttons (each a clickable bitmap whose id is the key it
// stands for), the button set of every mode, and the search keyboard. UI thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/VxBitmap.h"

// The modes that own a button set.
enum class VxButton_mode { Browse, Generic, Main, Options, Rating, Search, Select, Volume };

// One mode's buttons: three rows of references to shared buttons (or to the mode's own, held in `own`).
struct VxButton_set {
    std::vector<VxClickBitmap*> main_row;
    std::vector<VxClickBitmap*> transport_row;
    std::vector<VxClickBitmap*> extras;
    std::vector<std::unique_ptr<VxClickBitmap>> own;  // the options and select digits, the search keys
};

class VxButton {
public:
    static constexpr int No_button = VxClickBitmap::No_hit;
    static constexpr double Height = 5.0;  // per cent of the window height
    enum Size_class { Square = 0, Wide = 1, Wider = 2 };

    static VxButton& Instance();  // needs an initialised display

    // Creates every shared button once; later calls do nothing. Make_button_set calls it.
    void Build_buttons();
    std::unique_ptr<VxButton_set> Make_button_set(VxButton_mode mode);

    void Show_set(VxButton_set& set);  // main and transport rows slide to their shown places
    void Hide_set(VxButton_set& set);
    // The mode's own buttons (the options and select digits, the search keys) likewise.
    void Show_own(VxButton_set& set);
    void Hide_own(VxButton_set& set);
    void Draw_main_row(VxButton_set& set);
    void Draw_transport_row(VxButton_set& set);
    void Draw_extras(VxButton_set& set);
    // The key code of the first button under the point (window pixels): main row, transport
    // row, extras, each in order; No_button when none.
    int Hit_test(VxButton_set& set, int x, int y);

    // Shared buttons by label ("Back", "Pause", "1", "-" ...); null when unknown.
    VxClickBitmap* Shared(const std::string& label);
    // The image buttons: 0 frame, 1 quit; the browse arrows 2 up (27.5, 53.5), 3 down (27.5, 88),
    // 6 left (27.5, 70.5), 7 right (91, 70.5); the select arrows 4 up (55, 50), 5 down (55, 89).
    VxClickBitmap* Image_button(int index);

    // Width in per cent of the window width of a button of the class and height.
    static double Width_for(Size_class size, double height);

private:
    VxButton() = default;
    std::unique_ptr<VxClickBitmap> Make(const std::string& label, int id, Size_class size, double height,
                                        const std::string& image);
    void Add_digits(std::vector<std::unique_ptr<VxClickBitmap>>& into, double height, int count = 10, double x0 = 2.5,
                    double step = 4);
    void Add_search_keys(VxButton_set& set);

    bool built_ = false;
    std::vector<std::unique_ptr<VxClickBitmap>> buttons_;  // every shared button, in creation order
    std::map<std::string, VxClickBitmap*> by_label_;
    std::vector<VxClickBitmap*> digits_;  // "1" .. "9", "0"
    std::vector<VxClickBitmap*> images_;
};
