// The texts that the rooms below the language files need and cannot word themselves.
// The language room, above them, gives its own at start (modLang::WireLowerRooms).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace words {

struct Words {
  // A text of the built-in English file, filled with args: for the log and for reasons.
  std::function<std::string(const char* section, const char* key, const std::vector<std::string>& args)> english;
  // A [Messages] text in the language in use, filled with args, in a message box of that type.
  std::function<int(const char* key, const std::vector<std::string>& args, UINT type)> say;
  // A text already worded, in a message box of that type and title (empty: the program's).
  std::function<int(const std::wstring& text, UINT type, const std::wstring& title)> show;
};
void Give(Words given);

// Until words are given, English is "section/key" and nothing is shown (answer 0).
std::string English(const char* section, const char* key, const std::vector<std::string>& args = {});
int Say(const char* key, const std::vector<std::string>& args, UINT type);
int Show(const std::wstring& text, UINT type, const std::wstring& title);

}  // namespace words
