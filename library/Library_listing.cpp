// The listing is line-oriented and stable so that scripts and tests can compare it; names are
// quoted because leading and trailing spaces in them are meaningful.
#include "library/Library_listing.h"

#include "library/VxDatabase.h"

void Write_library_listing(std::ostream& out) {
    const VX_FileSystem_musiclist& m = VxDatabase::Instance().Musiclist();
    out << "Albums: " << m.cds.size() << "\n";
    for (std::size_t c = 0; c < m.cds.size(); ++c) {
        const VX_FileSystem_cd& cd = m.cds[c];
        out << "[" << c << "] artist='" << cd.artist << "' title='" << cd.title << "' name='" << cd.name << "' cover='"
            << cd.cover << "' score=" << cd.score << "\n";
        out << "    path='" << cd.path << "'\n";
        for (std::size_t s = 0; s < cd.songs.size(); ++s)
            out << "    [" << s << "] file='" << cd.songs[s].file_name << "' name='" << cd.songs[s].name
                << "' rating=" << cd.songs[s].rating << "\n";
    }
    out << "Index: " << m.lookup_table.start_chars.size() << "\n";
    for (const VX_start_char_struct& e : m.lookup_table.start_chars) {
        out << "  " << e.start_char << ":";
        for (auto i : e.cd_indices) out << " " << i;
        out << "\n";
    }
    out << "Random list: " << m.random_list.size() << "\n";
}
