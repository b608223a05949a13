// The album panel's ring of page states. A start-character change keeps the first-album index
// when the new character has that many albums and otherwise backs off by whole pages.
#include "modes/Panel_manager.h"

#include <algorithm>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "platform/dialogs.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxModeBrowse";

bool Is_opposite(int requested, int current) {
    return (requested == Panel_next_char && current == Panel_previous_char) ||
           (requested == Panel_previous_char && current == Panel_next_char) ||
           (requested == Panel_page_back && current == Panel_page_forward) ||
           (requested == Panel_page_forward && current == Panel_page_back);
}
}  // namespace

std::vector<int> Panel_manager::Album_list(const std::string& start) {
    std::vector<int> list;
    if (start.empty()) return list;
    const std::string key = fold_accents(to_upper(start));
    VxDatabase& db = VxDatabase::Instance();
    if (key.size() == 1) {
        // Read the index as it stands: looking a character up must not add entries to it.
        for (const VX_start_char_struct& entry : db.Musiclist().lookup_table.start_chars)
            if (entry.start_char == key) list.assign(entry.cd_indices.begin(), entry.cd_indices.end());
    } else {
        const auto found = db.Find_cds_starting_with(key);
        list.assign(found.begin(), found.end());
    }
    // An index that no longer matches the album list must not lead to albums that do not exist.
    const int nof_cds = db.Get_nof_cds();
    std::erase_if(list, [nof_cds](int c) { return c < 0 || c >= nof_cds; });
    return list;
}

bool Panel_manager::Build(const Panel_state& state, std::vector<int>& albums) {
    albums.clear();
    if (state.first_album < 0) return false;
    const std::vector<int> list = Album_list(state.start_string);
    if (static_cast<int>(list.size()) <= state.first_album) return false;
    const int n = std::min(Page_size, static_cast<int>(list.size()) - state.first_album);
    albums.assign(list.begin() + state.first_album, list.begin() + state.first_album + n);
    return true;
}

bool Panel_manager::Start() {
    ring_ = {};
    index_ = count_ = held_ = 0;
    history_ = false;
    Panel_state& first = ring_[0];
    first.has_albums = Build(first, albums_);
    if (first.has_albums) {
        ++count_;
        return true;
    }
    return Find_page(Panel_next_char);
}

bool Panel_manager::Construct_panel(int direction, const std::string& start) {
    VxTraceScope scope("Panel_manager::Construct_panel");
    const Panel_state current = ring_[index_];

    if (Is_opposite(direction, current.direction) && history_ && held_ > 0) {
        index_ = (index_ + Ring_size - 1) % Ring_size;
        --held_;
        if (--count_ <= 0) {
            count_ = 0;
            history_ = false;
        }
        Panel_state& back = ring_[index_];
        back.has_albums = Build(back, albums_);
        if (back.has_albums) return true;
        // The page had albums when it was shown; the library has changed under it since.
        Platform::Message_box(Caption, "RECOVERY FROM EMPTY PANEL");
        history_ = false;
        held_ = 0;
        return false;
    }

    Panel_state next;
    next.direction = direction;
    std::vector<int> albums;
    bool found = false;
    if (direction == Panel_page_back || direction == Panel_page_forward) {
        next.start_string = current.start_string;
        next.first_album = current.first_album + (direction == Panel_page_forward ? Page_size : -Page_size);
        found = Build(next, albums);
        if (!found) return false;  // no page there: the current one stays
        index_ = (index_ + 1) % Ring_size;
        held_ = std::min(held_ + 1, Ring_size - 1);
    } else {
        next.start_string = direction == Panel_next_char       ? next_start_char(current.start_string)
                            : direction == Panel_previous_char ? previous_start_char(current.start_string)
                                                               : start;
        next.first_album = current.first_album;
        found = Build(next, albums);
        while (!found && next.first_album >= 1) {
            next.first_album = std::max(0, next.first_album - Page_size);
            found = Build(next, albums);
        }
        if (next.first_album < 0) {
            Platform::Message_box(Caption, "BUG FOUND...");
            next.first_album = 0;
            found = Build(next, albums);
        }
        // An empty page is not kept in the ring: the next state replaces it.
        if (current.has_albums) {
            index_ = (index_ + 1) % Ring_size;
            held_ = std::min(held_ + 1, Ring_size - 1);
        }
    }
    next.has_albums = found;
    ring_[index_] = next;
    albums_ = std::move(albums);
    if (found && ++count_ > Ring_size) history_ = true;
    return found;
}

bool Panel_manager::Find_page(int direction, const std::string& start, int attempts) {
    const auto ring = ring_;
    const int index = index_, count = count_, held = held_;
    const bool history = history_;
    const auto albums = albums_;
    for (int i = 0; i < attempts; ++i)
        if (Construct_panel(direction, start)) return true;
    ring_ = ring;
    index_ = index;
    count_ = count;
    held_ = held;
    history_ = history;
    albums_ = albums;
    return false;
}

void Panel_manager::Rebuild() {
    Panel_state& state = ring_[index_];
    state.has_albums = Build(state, albums_);
}
