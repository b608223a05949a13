// Reading and writing the INI dialect. Live lines that this engine writes read back as the same
// records: a live header is a line that starts with "<", so values may hold "<" and sections "=".
#include "settings/CIniFile.h"

#include <boost/filesystem.hpp>
#include <fstream>

#include "settings/Atomic_file.h"

namespace fs = boost::filesystem;

namespace {

bool Is_mark(char c) { return c == '#' || c == ';'; }

bool Has_line_break(const std::string& text) { return text.find_first_of("\n\r") != std::string::npos; }

// Texts that would not read back as they were written are refused instead of corrupting the file.
bool Storable_section(const std::string& section) { return !Has_line_break(section); }

// A line is trimmed when it is read, so a value that ends in a blank would come back shorter.
bool Storable_value(const std::string& value) {
    return !Has_line_break(value) && (value.empty() || (value.back() != ' ' && value.back() != '\t'));
}

bool Storable_key(const std::string& key) {
    if (key.empty() || Has_line_break(key) || key.find('=') != std::string::npos) return false;
    const char first = key.front();
    return first != '<' && !Is_mark(first) && first != ' ' && first != '\t';
}

IniRecord Key_record(const std::string& section, const std::string& key, const std::string& value) {
    IniRecord r;
    r.section = section;
    r.key = key;
    r.value = value;
    return r;
}

IniRecord Header_record(const std::string& section) {
    IniRecord r;
    r.section = section;
    return r;
}

std::vector<IniRecord>::iterator Find(std::vector<IniRecord>& records, const std::string& key,
                                      const std::string& section) {
    for (auto it = records.begin(); it != records.end(); ++it)
        if (it->section == section && it->key == key) return it;
    return records.end();
}

bool Store_comment(std::string comment, std::vector<IniRecord>& records, std::vector<IniRecord>::iterator target,
                   const std::string& file) {
    if (target == records.end()) return false;
    if (comment.size() >= 2 && comment.back() != '\n') comment += '\n';
    target->comments = comment;
    return CIniFile::Save_file(file, records);
}

}  // namespace

void CIniFile::Trim(std::string& text, std::string set, int mode) {
    if (mode == 0 || mode == 2) {
        size_t end = text.find_last_not_of(set);
        text.erase(end == std::string::npos ? 0 : end + 1);
    }
    if (mode == 0 || mode == 1) {
        size_t start = text.find_first_not_of(set);
        text.erase(0, start == std::string::npos ? text.size() : start);
    }
}

bool CIniFile::Load_file(std::string file, std::vector<IniRecord>& records) {
    records.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) return false;

    std::string pending;  // comment lines waiting for the record they stand above
    std::string section;
    std::string line;
    while (std::getline(in, line)) {
        Trim(line, Trim_set, 0);
        if (line.empty()) continue;

        IniRecord record;
        std::string text = line;
        if (Is_mark(text.front())) {
            // A "#" or ";" line is a comment unless it holds "<" or "="; then it is a record that
            // was commented out, and an address in angle brackets reads as a commented-out header.
            // Files written by earlier versions rely on this reading, so it stays as it always was.
            if (text.find('<') == std::string::npos && text.find('=') == std::string::npos) {
                pending += line + "\n";
                continue;
            }
            record.mark = text.front();
            text.erase(0, 1);
            Trim(text, Trim_set, 0);
            if (text.find('<') != std::string::npos) {
                std::string name = text.substr(1);
                size_t close = name.find('>');
                if (close != std::string::npos) name.erase(close);
                record.section = name;
                section = name;
            } else if (text.front() == '=') {
                // A key line without a key: no call can name it, and written back it would
                // read as a header. It stays as comment text above the next record.
                pending += line + "\n";
                continue;
            } else {
                size_t eq = text.find('=');
                record.section = section;
                record.key = text.substr(0, eq);
                record.value = text.substr(eq + 1);
            }
        } else if (text.front() == '<') {
            // A live header starts with "<"; its name runs to the last ">", so a name that holds
            // ">" survives a rewrite, and a live key whose value holds "<" (a regular expression)
            // stays a key instead of turning into a header.
            std::string name = text.substr(1);
            size_t close = name.rfind('>');
            if (close != std::string::npos) name.erase(close);
            record.section = name;
            section = name;
        } else if (size_t eq = text.find('='); eq != std::string::npos && eq > 0) {
            record.section = section;
            record.key = text.substr(0, eq);
            record.value = text.substr(eq + 1);
        } else {
            // Neither header nor key (nor a key line without a key): kept as comment text, so
            // that it neither vanishes nor comes back as a nameless header that would capture
            // the keys after it.
            pending += line + "\n";
            continue;
        }
        record.comments = pending;
        pending.clear();
        records.push_back(record);
    }
    return true;
}

bool CIniFile::Save_file(std::string file, const std::vector<IniRecord>& records) {
    std::string out;
    for (const IniRecord& r : records) {
        out += r.comments;
        out += r.mark;
        if (r.key.empty())
            out += "<" + r.section + ">\n";
        else
            out += r.key + "=" + r.value + "\n";
    }
    return Atomic_file::Write(file, out);
}

bool CIniFile::File_exists(std::string file) {
    std::ifstream in(file, std::ios::binary);
    return in.is_open();
}

bool CIniFile::Create_file(std::string file) { return Atomic_file::Write(file, ""); }

bool CIniFile::Add_section(std::string section, std::string file) {
    if (!Storable_section(section)) return false;
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return false;
    records.push_back(Header_record(section));
    return Save_file(file, records);
}

bool CIniFile::Section_exists(std::string section, std::string file) {
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return true;
    for (const IniRecord& r : records)
        if (r.section == section) return true;
    return false;
}

bool CIniFile::Record_exists(std::string key, std::string section, std::string file) {
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return true;
    return Find(records, key, section) != records.end();
}

std::vector<IniRecord> CIniFile::Get_record(std::string key, std::string section, std::string file) {
    std::vector<IniRecord> records;
    Load_file(file, records);
    auto it = Find(records, key, section);
    if (it == records.end()) return {};
    return {*it};
}

std::string CIniFile::Get_value(std::string key, std::string section, std::string file) {
    std::vector<IniRecord> found = Get_record(key, section, file);
    return found.empty() ? std::string() : found.front().value;
}

bool CIniFile::Set_value(std::string key, std::string value, std::string section, std::string file,
                         Missing_file missing) {
    if (!Storable_key(key) || !Storable_section(section) || !Storable_value(value)) return false;
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) {
        // Only a file that is not there starts empty; one that is there and cannot be read stays as it is.
        boost::system::error_code ec;
        if (missing == Missing_file::fail || fs::symlink_status(file, ec).type() != fs::file_not_found) return false;
    }

    auto match = Find(records, key, section);
    if (match != records.end()) {
        match->value = value;
        // A commented-out line that holds "<" reads back as a header: such a value goes live.
        if (match->mark != ' ' && (key + value).find('<') != std::string::npos) match->mark = ' ';
        return Save_file(file, records);
    }
    auto header = records.begin();
    while (header != records.end() && header->section != section) ++header;
    if (header == records.end()) {
        records.push_back(Header_record(section));
        records.push_back(Key_record(section, key, value));
    } else {
        records.insert(header + 1, Key_record(section, key, value));
    }
    return Save_file(file, records);
}

bool CIniFile::Delete_record(std::string key, std::string section, std::string file) {
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return false;
    auto it = Find(records, key, section);
    if (it == records.end()) return false;
    records.erase(it);
    return Save_file(file, records);
}

bool CIniFile::Delete_section(std::string section, std::string file) {
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return false;
    for (size_t i = records.size(); i-- > 0;)
        if (records[i].section == section) records.erase(records.begin() + static_cast<std::ptrdiff_t>(i));
    return Save_file(file, records);
}

bool CIniFile::Set_section_comment(std::string comment, std::string section, std::string file) {
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return false;
    auto it = records.begin();
    while (it != records.end() && !(it->section == section && it->key.empty())) ++it;
    return Store_comment(comment, records, it, file);
}

bool CIniFile::Set_record_comment(std::string comment, std::string key, std::string section, std::string file) {
    std::vector<IniRecord> records;
    if (!Load_file(file, records)) return false;
    return Store_comment(comment, records, Find(records, key, section), file);
}
