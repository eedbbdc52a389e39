// Pure text rules shared by the modules: case, trimming, replacing, prefixes.
#pragma once
#include <string>
#include <string_view>

namespace text {

std::string Lower(std::string s);
std::string Upper(std::string s);
// Removes leading and trailing blanks (spaces only, as the program's names and paths need).
std::string Trim(std::string_view s);
// Every occurrence of what, left to right, case-sensitive.
std::string Replace(std::string s, std::string_view what, std::string_view with);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
// Case-insensitive search (ASCII letters).
bool ContainsNoCase(std::string_view s, std::string_view what);

}  // namespace text

namespace text {
// Reads a file's text the way the program's line reader does: a line ends at CR or
// CR LF (a lone LF stays inside its line); empty lines before the first non-empty line
// vanish; the lines are joined with CR LF.
std::string JoinLines(std::string_view bytes);
}  // namespace text
