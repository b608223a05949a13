// The shared buttons and the button sets of the modes: sizes, images, labels, key codes,
// shown and hidden places, slide presets and clip bands.
#include "display/VxButton.h"

#include "display/VxDirectX.h"

namespace {
const char* Image_of(VxButton::Size_class size) {
    switch (size) {
        case VxButton::Wide:
            return "IMAGE_button_2b.jpg";
        case VxButton::Wider:
            return "IMAGE_button_3b.jpg";
        default:
            return "IMAGE_button_1.jpg";
    }
}

double Factor_of(VxButton::Size_class size) {
    switch (size) {
        case VxButton::Wide:
            return 1.55;
        case VxButton::Wider:
            return 2.1;
        default:
            return 1.0;
    }
}

struct Labelled {
    const char* label;
    int id;
    VxButton::Size_class size;
    double shown_x, shown_y, hidden_x, hidden_y;
};

// The shared labelled buttons, in creation order.
const Labelled Labelled_buttons[] = {
    {"Back", 8, VxButton::Wider, 62, 38, 62, 34},     {"Prev", 80, VxButton::Wide, 75, 41.5, 75, 46},
    {"Pause", 32, VxButton::Wider, 82, 41.5, 81, 46}, {"Next", 78, VxButton::Wide, 90, 41.5, 88, 46},
    {"Browse", 66, VxButton::Wider, 30, 38, 30, 34},  {"Volume", 86, VxButton::Wider, 46, 38, 46, 34},
    {"Rating", 82, VxButton::Wider, 54, 38, 54, 34},  {"Search", 83, VxButton::Wider, 38, 38, 38, 34},
    {"Enter", 13, VxButton::Wider, 62, 38, 62, 34},   {"Options", 79, VxButton::Wider, 12, 38, 12, 34},
    {"Quit", 81, VxButton::Wider, 4, 38, 4, 34},
};

struct Image_entry {
    const char* image;
    int id;
    double x, y;
    const char* label;
};

// The arrows are drawn beneath the captions (the playlist's, the mode's and the final one), so
// they sit inside the album panel where no caption, title or album text reaches, at 4:3 and 16:9:
// the browse arrows in the panel's left margin beside the cover columns and in the gap between
// the two cover rows; the select arrows between the album's cover and the song sheet.
const Image_entry Image_buttons[] = {
    {"IMAGE_button_frame.jpg", 507, 94, -0.7, "_"},     {"IMAGE_button_quit.jpg", 508, 96.5, -0.7, ""},
    {"IMAGE_button_uparrow.jpg", 38, 27.5, 53.5, ""},   {"IMAGE_button_downarrow.jpg", 40, 27.5, 88, ""},
    {"IMAGE_button_uparrow.jpg", 38, 55, 50, ""},       {"IMAGE_button_downarrow.jpg", 40, 55, 89, ""},
    {"IMAGE_button_leftarrow.jpg", 37, 27.5, 70.5, ""}, {"IMAGE_button_rightarrow.jpg", 39, 91, 70.5, ""},
};
}  // namespace

VxButton& VxButton::Instance() {
    static VxButton* bar = new VxButton;
    return *bar;
}

double VxButton::Width_for(Size_class size, double height) {
    VxDirectX& dx = VxDirectX::Instance();
    const double aspect = dx.Window_width() > 0 ? static_cast<double>(dx.Window_height()) / dx.Window_width() : 1.0;
    return height * aspect * Factor_of(size);
}

std::unique_ptr<VxClickBitmap> VxButton::Make(const std::string& label, int id, Size_class size, double height,
                                              const std::string& image) {
    auto button = std::make_unique<VxClickBitmap>();
    button->Set_name(label.empty() ? image : label);
    button->Set_label(label);
    button->Set_size(Width_for(size, height), height);
    button->Loading_surface(VxDirectX::Instance().Pics_folder() + image);
    button->Set_colour_key(true);
    if (!label.empty() && button->Get_surface()) button->Write_centred(label);
    button->Set_id(id);
    return button;
}

// Square digit buttons "1".."9", "0" (the first count of them), shown at y 38 and hidden at 34,
// from x0 in steps of step; the shared layout starts at 2.5 in steps of 4.
void VxButton::Add_digits(std::vector<std::unique_ptr<VxClickBitmap>>& into, double height, int count, double x0,
                          double step) {
    for (int d = 1; d <= count; ++d) {
        const char digit = d == 10 ? '0' : static_cast<char>('0' + d);
        auto button = Make(std::string(1, digit), digit, Square, height, Image_of(Square));
        const double x = x0 + step * (d - 1);
        button->Set_shown_position(x, 38);
        button->Set_hidden_position(x, 34);
        button->Set_position(x, 34);
        button->Set_ramp_preset(1);
        button->Set_clip(2, 36.5, 71.5, 45.5);
        into.push_back(std::move(button));
    }
}

void VxButton::Build_buttons() {
    if (built_) return;
    built_ = true;
    std::vector<std::unique_ptr<VxClickBitmap>> digits;
    Add_digits(digits, Height);
    for (auto& d : digits) {
        digits_.push_back(d.get());
        by_label_[d->Get_label()] = d.get();
        buttons_.push_back(std::move(d));
    }
    // "-" and "+" continue the digits' steps, with the labelled buttons' slide and band.
    const Labelled signs[] = {{"-", 45, Square, 42.5, 38, 42.5, 34}, {"+", 43, Square, 46.5, 38, 46.5, 34}};
    auto add_labelled = [this](const Labelled& l) {
        auto button = Make(l.label, l.id, l.size, Height, Image_of(l.size));
        button->Set_shown_position(l.shown_x, l.shown_y);
        button->Set_hidden_position(l.hidden_x, l.hidden_y);
        button->Set_position(l.hidden_x, l.hidden_y);
        button->Set_ramp_preset(0);
        button->Set_clip(0, 36.5, 100, 50);
        by_label_[l.label] = button.get();
        buttons_.push_back(std::move(button));
    };
    for (const Labelled& l : signs) add_labelled(l);
    for (const Labelled& l : Labelled_buttons) add_labelled(l);
    for (const Image_entry& e : Image_buttons) {
        auto button = Make(e.label, e.id, Square, Height, e.image);
        button->Set_position(e.x, e.y);
        button->Set_shown_position(e.x, e.y);
        button->Set_hidden_position(e.x, e.y);
        images_.push_back(button.get());
        buttons_.push_back(std::move(button));
    }
}

VxClickBitmap* VxButton::Shared(const std::string& label) {
    auto it = by_label_.find(label);
    return it == by_label_.end() ? nullptr : it->second;
}

VxClickBitmap* VxButton::Image_button(int index) {
    return index >= 0 && index < static_cast<int>(images_.size()) ? images_[index] : nullptr;
}

// The search keyboard: digits, letters and three editing keys in a five-column grid at the
// lower left, sliding in from 27 to the right at y = 50.
void VxButton::Add_search_keys(VxButton_set& set) {
    const double columns[] = {4, 8, 12, 16, 20};
    auto add = [&](const std::string& label, int id, Size_class size, double x, double y, double hidden_x,
                   double hidden_y) {
        auto key = Make(label, id, size, Height, "IMAGE_button_2b.jpg");
        key->Set_shown_position(x, y);
        key->Set_hidden_position(hidden_x, hidden_y);
        key->Set_position(hidden_x, hidden_y);
        key->Set_ramp_preset(1);
        key->Set_clip(0, 47, 27, 100);
        set.main_row.push_back(key.get());
        set.own.push_back(std::move(key));
    };
    for (int d = 1; d <= 10; ++d) {
        const char digit = d == 10 ? '0' : static_cast<char>('0' + d);
        const double x = d == 10 ? 20 : columns[(d - 1) % 5];
        const double y = d == 10 ? 55 : 50 + 5 * ((d - 1) / 5);
        add(std::string(1, digit), digit, Square, x, y, x + 27, 50);
    }
    for (int n = 0; n < 26; ++n) {
        const double x = columns[n % 5];
        add(std::string(1, static_cast<char>('a' + n)), 'a' + n, Square, x, 60 + 5 * (n / 5), x + 27, 50);
    }
    add(" << ", 8, Wide, 8, 85, 35, 50);
    add("Enter", 13, Wider, 12.6, 85, 39.6, 50);
    add(" ", 32, Square, 20, 85, 47, 50);
}

std::unique_ptr<VxButton_set> VxButton::Make_button_set(VxButton_mode mode) {
    Build_buttons();
    auto set = std::make_unique<VxButton_set>();
    auto row = [this](std::vector<VxClickBitmap*>& into, std::initializer_list<const char*> labels) {
        for (const char* l : labels)
            if (VxClickBitmap* b = Shared(l)) into.push_back(b);
    };
    auto transport = [&] { row(set->transport_row, {"Prev", "Pause", "Next"}); };
    auto digits = [&] { set->main_row.insert(set->main_row.end(), digits_.begin(), digits_.end()); };
    auto own_digits = [&](double height, int count, double x0, double step) {
        Add_digits(set->own, height, count, x0, step);
        for (auto& d : set->own) set->extras.push_back(d.get());
    };
    switch (mode) {
        case VxButton_mode::Browse:
            row(set->main_row, {"Rating", "Options", "Volume", "Search", "Back"});
            transport();
            for (int i : {2, 3, 6, 7}) set->extras.push_back(images_[i]);
            break;
        case VxButton_mode::Generic:
            digits();
            row(set->main_row, {"-", "+", "Quit", "Options", "Browse", "Volume", "Rating", "Search", "Back"});
            set->extras.push_back(images_[0]);
            set->extras.push_back(images_[1]);
            break;
        case VxButton_mode::Main:
            row(set->main_row, {"Quit", "Options", "Browse", "Volume", "Rating", "Search"});
            transport();
            break;
        case VxButton_mode::Options:
            row(set->main_row, {"Back", "Browse", "Volume", "Rating"});
            transport();
            // Seven options: digits 8, 9 and 0 would act on nothing and hide the Browse button.
            own_digits(Height, 7, 2.5, 4);
            break;
        case VxButton_mode::Rating:
            digits();
            row(set->main_row, {"Back", "Volume"});
            transport();
            break;
        case VxButton_mode::Search:
            Add_search_keys(*set);
            break;
        case VxButton_mode::Select:
            row(set->main_row, {"Back", "Rating", "Volume", "Search"});
            transport();
            // Closer together than the shared ones, so "0" leaves the Search button beside it free.
            own_digits(4.5, 10, 2, 3.6);
            set->extras.push_back(images_[4]);
            set->extras.push_back(images_[5]);
            break;
        case VxButton_mode::Volume:
            digits();
            row(set->main_row, {"-", "+", "Back", "Rating"});
            transport();
            break;
    }
    return set;
}

void VxButton::Show_set(VxButton_set& set) {
    for (auto* rowp : {&set.main_row, &set.transport_row})
        for (VxClickBitmap* b : *rowp) b->Move_to_shown();
}

void VxButton::Hide_set(VxButton_set& set) {
    for (auto* rowp : {&set.main_row, &set.transport_row})
        for (VxClickBitmap* b : *rowp) b->Move_to_hidden();
}

void VxButton::Show_own(VxButton_set& set) {
    for (auto& b : set.own) b->Move_to_shown();
}

void VxButton::Hide_own(VxButton_set& set) {
    for (auto& b : set.own) b->Move_to_hidden();
}

namespace {
// A button that has come to rest at its hidden place is not drawn: the hidden places lie only
// just outside the bar's band, and a button resting there would still peek into it.
bool Put_away(VxClickBitmap& b) {
    const VxPoint hidden = b.Get_hidden_position(), shown = b.Get_shown_position();
    if (hidden.x == shown.x && hidden.y == shown.y) return false;
    const VxPoint now = b.Get_position();
    return now.x == hidden.x && now.y == hidden.y && !b.Is_moving();
}
void Draw_row(const std::vector<VxClickBitmap*>& row) {
    for (VxClickBitmap* b : row)
        if (!Put_away(*b)) b->Draw();
}
}  // namespace

void VxButton::Draw_main_row(VxButton_set& set) { Draw_row(set.main_row); }
void VxButton::Draw_transport_row(VxButton_set& set) { Draw_row(set.transport_row); }
void VxButton::Draw_extras(VxButton_set& set) { Draw_row(set.extras); }

int VxButton::Hit_test(VxButton_set& set, int x, int y) {
    for (auto* rowp : {&set.main_row, &set.transport_row, &set.extras})
        for (VxClickBitmap* b : *rowp)
            if (const int code = b->Hit(x, y); code != No_button) return code;
    return No_button;
}
