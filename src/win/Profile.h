// The platform's Unicode profile-file reader, for files whose text may be in any script:
// a file stored as UTF-16LE with a byte-order mark is read as such, any other file in
// the ANSI code page.
#pragma once
#include <string>
#include <vector>

namespace win {

// The "key=value" lines of a section, whole whatever its length; empty when the file or
// the section is missing.
std::vector<std::wstring> ProfileSectionW(const std::string& path, const std::string& section);

// ANSI text as UTF-16 and back (characters the code page lacks become its default one).
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// The text in the ANSI code page. False when the code page cannot hold it exactly: an A
// function given ansi would be given another name ("??" for two Cyrillic letters), or
// none. ansi then holds the text as the code page shows it.
bool ToAnsi(const std::wstring& wide, std::string& ansi);

}  // namespace win
