// The album panel's page logic: which six albums a page shows, reached by start character, search
// string or paging, with the last five pages kept in a ring so that the opposite key goes back.
#pragma once

#include <array>
#include <string>
#include <vector>

// How a page was reached.
enum Panel_direction : int {
    Panel_next_char = 0,
    Panel_previous_char = 1,
    Panel_jump = 2,
    Panel_page_back = 4,
    Panel_page_forward = 5,
    Panel_none = 6,  // the first page
};

struct Panel_state {
    int first_album = 0;  // within the start string's albums; never negative
    int direction = Panel_none;
    std::string start_string = "0";
    bool has_albums = false;
};

class Panel_manager {
public:
    static constexpr int Ring_size = 5;
    static constexpr int Page_size = 6;
    static constexpr int Max_attempts = 40;

    Panel_manager() = default;

    // Back to the first state ("0", first album 0) and its page built from the library. When
    // "0" has no albums the first page with albums after it becomes the first page, so the panel
    // is never empty while the library holds albums. True when the page has albums.
    bool Start();

    // Computes the next state in direction (start is the jump string); true when its page has
    // albums. Steps back through the ring instead when direction undoes the current page.
    bool Construct_panel(int direction, const std::string& start = "");
    // Construct_panel in one direction until a page has albums, at most attempts times; when none
    // has, the ring is left exactly as it was before.
    bool Find_page(int direction, const std::string& start = "", int attempts = Max_attempts);

    // Builds the current page again from the library (scores may have reordered it).
    void Rebuild();

    const Panel_state& Current() const { return ring_[index_]; }
    const std::vector<int>& Albums() const { return albums_; }  // album indices, at most 6
    int Count() const { return count_; }
    bool History() const { return history_; }

    // The albums filed under a one-character start string, or starting with a longer one
    // (compared as the index compares them: upper case, accents folded).
    static std::vector<int> Album_list(const std::string& start);

private:
    // The state's page; false (and albums empty) when the list does not reach its first album.
    static bool Build(const Panel_state& state, std::vector<int>& albums);

    std::array<Panel_state, Ring_size> ring_{};
    int index_ = 0;
    int count_ = 0;  // valid pages shown, less the steps back
    int held_ = 0;   // older states the ring still holds (at most Ring_size - 1)
    bool history_ = false;
    std::vector<int> albums_;
};
