#include "base/Words.h"

namespace words {

namespace {
Words g_words;
}  // namespace

void Give(Words given) { g_words = std::move(given); }

std::string English(const char* section, const char* key, const std::vector<std::string>& args) {
  return g_words.english ? g_words.english(section, key, args) : std::string(section) + "/" + key;
}

int Say(const char* key, const std::vector<std::string>& args, UINT type) {
  return g_words.say ? g_words.say(key, args, type) : 0;
}

int Show(const std::wstring& text, UINT type, const std::wstring& title) {
  return g_words.show ? g_words.show(text, type, title) : 0;
}

}  // namespace words
