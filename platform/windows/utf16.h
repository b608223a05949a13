// The seam between the jukebox's UTF-8 text and the UTF-16 of the Windows API: every name and
// text handed to a W function goes through here. Only platform/windows includes this.
#pragma once

#include <string>

namespace Platform {
// UTF-8 to UTF-16; bytes that are not UTF-8 are taken as Latin-1, as the text drawing does.
std::wstring Wide(const std::string& utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(const std::wstring& utf16);
}  // namespace Platform
