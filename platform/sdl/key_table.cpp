// The key table of the SDL back end: every key, media key and controller button the jukebox knows,
// with its name, its SDL code, the Windows virtual key and the character that follows it. Lookups
// go through the table only; there is no per-key code anywhere else.
#include "platform/sdl/key_table.h"

#include <SDL.h>

#include <cctype>
#include <vector>

#include "platform/window.h"

namespace Platform {
namespace {

// Where a key's character comes from: the window's text input (printable keys, so the keyboard
// layout and Shift decide it), posted by the back end right after the key-down (the keys Windows'
// TranslateMessage gives a control character, and keys that give no text: media keys), or none.
enum class Text { from_input, posted, none };

struct Key_row {
    std::string name;
    int sdl_key;
    unsigned virtual_key;
    unsigned character;
    Text text;
};

struct Button_row {
    const char* name;
    int button;  // SDL_GameControllerButton
    unsigned virtual_key;
    unsigned character;
};

// Controllers map onto the keys a keypad user has: arrows, Enter, Escape, paging and pause.
const Button_row Buttons[] = {
    {"PadUp", SDL_CONTROLLER_BUTTON_DPAD_UP, VK_UP, 0},
    {"PadDown", SDL_CONTROLLER_BUTTON_DPAD_DOWN, VK_DOWN, 0},
    {"PadLeft", SDL_CONTROLLER_BUTTON_DPAD_LEFT, VK_LEFT, 0},
    {"PadRight", SDL_CONTROLLER_BUTTON_DPAD_RIGHT, VK_RIGHT, 0},
    {"PadA", SDL_CONTROLLER_BUTTON_A, VK_RETURN, 13},
    {"PadB", SDL_CONTROLLER_BUTTON_B, VK_ESCAPE, 27},
    {"PadLeftShoulder", SDL_CONTROLLER_BUTTON_LEFTSHOULDER, VK_LEFT, 0},
    {"PadRightShoulder", SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, VK_RIGHT, 0},
    {"PadStart", SDL_CONTROLLER_BUTTON_START, VK_SPACE, ' '},
};

std::vector<Key_row> Make_keys() {
    std::vector<Key_row> keys = {
        {"BackSpace", SDLK_BACKSPACE, VK_BACK, 8, Text::posted},
        {"Tab", SDLK_TAB, VK_TAB, 9, Text::posted},
        {"Return", SDLK_RETURN, VK_RETURN, 13, Text::posted},
        {"KP_Enter", SDLK_KP_ENTER, VK_RETURN, 13, Text::posted},
        {"Escape", SDLK_ESCAPE, VK_ESCAPE, 27, Text::posted},
        {"space", SDLK_SPACE, VK_SPACE, ' ', Text::from_input},
        {"Prior", SDLK_PAGEUP, VK_PRIOR, 0, Text::none},
        {"Next", SDLK_PAGEDOWN, VK_NEXT, 0, Text::none},
        {"End", SDLK_END, VK_END, 0, Text::none},
        {"Home", SDLK_HOME, VK_HOME, 0, Text::none},
        {"Left", SDLK_LEFT, VK_LEFT, 0, Text::none},
        {"Up", SDLK_UP, VK_UP, 0, Text::none},
        {"Right", SDLK_RIGHT, VK_RIGHT, 0, Text::none},
        {"Down", SDLK_DOWN, VK_DOWN, 0, Text::none},
        {"Insert", SDLK_INSERT, VK_INSERT, 0, Text::none},
        {"Delete", SDLK_DELETE, VK_DELETE, 0, Text::none},
        {"Shift_L", SDLK_LSHIFT, 0x10, 0, Text::none},
        {"Shift_R", SDLK_RSHIFT, 0x10, 0, Text::none},
        {"Control_L", SDLK_LCTRL, 0x11, 0, Text::none},
        {"Control_R", SDLK_RCTRL, 0x11, 0, Text::none},
        {"Alt_L", SDLK_LALT, 0x12, 0, Text::none},
        {"Alt_R", SDLK_RALT, 0x12, 0, Text::none},
        {"KP_Multiply", SDLK_KP_MULTIPLY, 0x6A, '*', Text::from_input},
        {"KP_Add", SDLK_KP_PLUS, 0x6B, '+', Text::from_input},
        {"KP_Subtract", SDLK_KP_MINUS, 0x6D, '-', Text::from_input},
        {"KP_Decimal", SDLK_KP_PERIOD, 0x6E, '.', Text::from_input},
        {"KP_Divide", SDLK_KP_DIVIDE, 0x6F, '/', Text::from_input},
        {"semicolon", SDLK_SEMICOLON, 0xBA, ';', Text::from_input},
        {"equal", SDLK_EQUALS, 0xBB, '=', Text::from_input},
        {"plus", SDLK_PLUS, 0xBB, '+', Text::from_input},
        {"comma", SDLK_COMMA, 0xBC, ',', Text::from_input},
        {"minus", SDLK_MINUS, 0xBD, '-', Text::from_input},
        {"underscore", SDLK_UNDERSCORE, 0xBD, '_', Text::from_input},
        {"period", SDLK_PERIOD, 0xBE, '.', Text::from_input},
        {"slash", SDLK_SLASH, 0xBF, '/', Text::from_input},
        {"grave", SDLK_BACKQUOTE, 0xC0, '`', Text::from_input},
        {"bracketleft", SDLK_LEFTBRACKET, 0xDB, '[', Text::from_input},
        {"backslash", SDLK_BACKSLASH, 0xDC, '\\', Text::from_input},
        {"bracketright", SDLK_RIGHTBRACKET, 0xDD, ']', Text::from_input},
        {"apostrophe", SDLK_QUOTE, 0xDE, '\'', Text::from_input},
        // Media keys act as the keys a listener presses for the same thing: Space, N and P.
        {"AudioPlay", SDLK_AUDIOPLAY, VK_SPACE, ' ', Text::posted},
        {"AudioNext", SDLK_AUDIONEXT, 'N', 'n', Text::posted},
        {"AudioPrev", SDLK_AUDIOPREV, 'P', 'p', Text::posted},
    };
    for (int i = 0; i < 26; ++i)
        keys.push_back({std::string(1, static_cast<char>('a' + i)), SDLK_a + i, static_cast<unsigned>('A' + i),
                        static_cast<unsigned>('a' + i), Text::from_input});
    for (int i = 0; i < 10; ++i) {
        keys.push_back({std::string(1, static_cast<char>('0' + i)), SDLK_0 + i, static_cast<unsigned>('0' + i),
                        static_cast<unsigned>('0' + i), Text::from_input});
        const int keypad = i == 0 ? SDLK_KP_0 : SDLK_KP_1 + (i - 1);
        keys.push_back({"KP_" + std::to_string(i), keypad, static_cast<unsigned>(0x60 + i),
                        static_cast<unsigned>('0' + i), Text::from_input});
    }
    for (int i = 0; i < 12; ++i)
        keys.push_back({"F" + std::to_string(i + 1), SDLK_F1 + i, static_cast<unsigned>(0x70 + i), 0, Text::none});
    return keys;
}

const std::vector<Key_row>& Keys() {
    static const std::vector<Key_row> keys = Make_keys();
    return keys;
}

const Key_row* Row_for_sdl(int sdl_key) {
    for (const Key_row& row : Keys())
        if (row.sdl_key == sdl_key) return &row;
    return nullptr;
}

}  // namespace

unsigned Virtual_key_for(int sdl_key) {
    const Key_row* row = Row_for_sdl(sdl_key);
    return row ? row->virtual_key : 0;
}

unsigned Control_character_for(unsigned virtual_key) {
    for (const Key_row& row : Keys())
        if (row.virtual_key == virtual_key && row.text == Text::posted && row.character < 32) return row.character;
    return 0;
}

Key_press Window_press_for_key(int sdl_key) {
    const Key_row* row = Row_for_sdl(sdl_key);
    if (!row) return {};
    return {row->virtual_key, row->text == Text::posted ? row->character : 0u};
}

Key_press Window_press_for_button(int button) {
    for (const Button_row& row : Buttons)
        if (row.button == button) return {row.virtual_key, row.character};
    return {};
}

std::optional<Key_press> Key_named(const std::string& name) {
    if (name == " ") return Key_named("space");
    for (const Key_row& row : Keys())
        if (row.name == name) return Key_press{row.virtual_key, row.text == Text::none ? 0u : row.character};
    for (const Button_row& row : Buttons)
        if (name == row.name) return Key_press{row.virtual_key, row.character};
    if (name.size() != 1) return std::nullopt;
    // A character as typed: the key that types it, with Shift where it takes one ("A", "_").
    const unsigned char c = static_cast<unsigned char>(name[0]);
    for (const Key_row& row : Keys())
        if (row.text == Text::from_input && row.character == c && row.name.rfind("KP_", 0) != 0)
            return Key_press{row.virtual_key, c};
    if (std::isupper(c)) return Key_press{c, c};
    if (c > 32 && c < 127) return Key_press{0, c};
    return std::nullopt;
}

}  // namespace Platform
