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

// The one comparison of names and paths, as the registry and the file system compare
// them: character by character, upper-cased, with no language's rules ("Straße" and
// "STRASSE" differ, "straße" and "STRASSE" too, "Straße" and "STRAßE" do not).
// Text in the ANSI code page; the result is below, at or above 0.
int CompareNames(std::string_view a, std::string_view b);
int CompareNames(std::wstring_view a, std::wstring_view b);
bool SameName(std::string_view a, std::string_view b);
// The order of CompareNames, for sets and maps keyed by names.
struct NameLess {
  bool operator()(std::string_view a, std::string_view b) const { return CompareNames(a, b) < 0; }
  bool operator()(std::wstring_view a, std::wstring_view b) const { return CompareNames(a, b) < 0; }
};

// A menu item's text as the menu shows it: a single "&" marks the access key and is not
// shown, "&&" shows as "&".
std::string MenuText(std::string_view caption);

}  // namespace text

namespace text {
// Reads a file's text the way the program's line reader does: a line ends at CR or
// CR LF (a lone LF stays inside its line); empty lines before the first non-empty line
// vanish; the lines are joined with CR LF.
std::string JoinLines(std::string_view bytes);
}  // namespace text
