// The INI engine of the settings file and the rating tag files: headers in angle brackets,
// every written line starting with a mark (a space when live). Stateless: each call loads, works, saves.
#pragma once

#include <string>
#include <vector>

// One section header (empty key) or key line, with the comment lines that stood above it.
struct IniRecord {
    std::string comments;  // each line ends in a line feed; written back verbatim
    char mark = ' ';       // ' ' live, '#' or ';' commented out
    std::string section;
    std::string key;
    std::string value;
};

class CIniFile {
public:
    virtual ~CIniFile() = default;

    // True when the file could be read; the list is cleared first.
    static bool Load_file(std::string file, std::vector<IniRecord>& records);
    // Replaces the file as a whole (temporary file, flush, rename); false when that failed.
    static bool Save_file(std::string file, const std::vector<IniRecord>& records);
    // mode 0 trims both ends, 1 the start only, 2 the end only.
    static void Trim(std::string& text, std::string set, int mode);

    static bool File_exists(std::string file);
    // An empty file, replacing an existing one.
    static bool Create_file(std::string file);

    // Appends a header without looking for an existing one; false when the file cannot be read.
    static bool Add_section(std::string section, std::string file);
    // Both answer true when the file cannot be read, so that nothing is added to such a file.
    static bool Section_exists(std::string section, std::string file);
    static bool Record_exists(std::string key, std::string section, std::string file);

    // The first record with that section and key, or an empty list.
    static std::vector<IniRecord> Get_record(std::string key, std::string section, std::string file);
    // "" when there is no such record or the file cannot be read.
    static std::string Get_value(std::string key, std::string section, std::string file);
    // What Set_value does when the file does not exist: fail, or make it holding the one record.
    enum class Missing_file { fail, create };
    // A new key goes directly below its section's header; a new section at the end. One write:
    // a crash leaves the file as it was or with the value. False when the file cannot be read or
    // written, or when the text cannot be stored in one line.
    static bool Set_value(std::string key, std::string value, std::string section, std::string file,
                          Missing_file missing = Missing_file::fail);
    static bool Delete_record(std::string key, std::string section, std::string file);
    static bool Delete_section(std::string section, std::string file);

    // A comment of two or more characters gets a final line feed; the caller writes the "#".
    static bool Set_section_comment(std::string comment, std::string section, std::string file);
    static bool Set_record_comment(std::string comment, std::string key, std::string section, std::string file);

    static constexpr const char* Trim_set = " \t\n\r";
};
