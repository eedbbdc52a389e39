// Language files: captions of the windows' menus, labels and check boxes, and every
// other text the program shows (titles, columns, status texts, messages).
#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "win/Profile.h"
#include "win/Window.h"

namespace modLang {

// One control of a window as the language files see it.
struct Control {
  std::string name;
  std::string kind;  // a stable name of the control's kind, for the " TYPE: " log lines
  bool takesPart;    // menu items, labels and check boxes
  // Captions are in any script: language files may be stored in UTF-16.
  std::function<std::wstring()> caption;
  std::function<void(const std::wstring&)> setCaption;
};

// A control whose caption is its window text (labels, check boxes).
Control TextControl(const char* name, const char* kind, win::CWindow& control);
// A control that takes no part: it only has a name and a kind.
Control FixedControl(const char* name, const char* kind);

// A window whose captions come from a language file.
class LangWindow {
 public:
  virtual ~LangWindow() = default;
  virtual std::string WindowName() const = 0;
  // Every control in the window's control order.
  virtual std::vector<Control> Controls() = 0;

  // The window's own English captions, as laid out, for keys a language file lacks;
  // taken when the window first meets a language file.
  std::map<std::string, std::wstring> layoutCaptions;
};

// The built-in English file's name in the program folder.
std::string EnglishFile();

// The windows that the "-rlang" refresh writes after the main window; each call loads
// its window (hidden, with the refresh flag set) and returns it.
struct RefreshWindows {
  std::function<LangWindow*()> dialog;
  std::function<LangWindow*()> wizard;
  std::function<LangWindow*()> restore;
};
void LoadStartupLanguage(LangWindow& mainWindow, const std::string& commandLine, const RefreshWindows& others);
void LoadWindowLanguage(LangWindow& window);
// The six interface languages, in the order of the Language menu.
enum class Language { English, French, German, Italian, Russian, Spanish };
// Switches to language: stores Settings/Lang and loads the window's captions. False, with
// a message, when the file is missing or gives the window no caption.
bool SetLanguage(LangWindow& window, Language language);
// "en.lng", "fr.lng", "de.lng", "it.lng", "ru.lng", "se.lng" (Spanish).
std::string LanguageFileName(Language language);
// Opens the current language file in the text editor (restoring en.lng when it is missing).
void EditLanguageFile();

// Set while the "-rlang" refresh writes the language file.
extern bool RefreshingLanguage;

// True when the trimmed command line ends with "-rlang" (exact case).
bool WantsRefresh(const std::string& commandLine);

// ---------------------------------------------------------------------------
// Texts

// What fills a text's placeholder: text in any script, ANSI text, or a number.
struct Arg {
  std::wstring text;
  Arg(std::wstring value) : text(std::move(value)) {}
  Arg(const wchar_t* value) : text(value) {}
  Arg(const std::string& value);
  Arg(const char* value);
  Arg(long long number) : text(std::to_wstring(number)) {}
};
using Args = std::initializer_list<Arg>;

// The value with "\n" as a line break (CR LF), "\t" as a tab, and "%1" to "%9" replaced
// by args (a placeholder without its arg stays as it is).
std::wstring Fill(std::wstring_view value, Args args);
// The plural form of count n under a language's rule: "en" (one, other), "fr" (one for 0
// and 1, other), "ru" (one, few, many); an unknown rule counts as "en".
const char* PluralForm(std::string_view rule, long long n);

// A text of the current language file, or of the built-in English file when the language
// file lacks the key or leaves it empty, filled with args. The language file is read once,
// at the first text after each change of language.
std::wstring Text(const char* section, const char* key, Args args = {});
// A count's text: the key's form for n ("Installed.one" ...) under the file's plural rule.
std::wstring Count(const char* section, const char* key, long long n, Args args);
// The built-in English text, for the log and for tests.
std::string English(const char* section, const char* key, Args args = {});
// A reason, made and logged in English from [Reasons], as shown: the current language's
// text of the reason it was made from, with what filled it shown the same way; any other
// text as it is (the platform's error texts come in the system's language).
std::wstring Reason(const std::string& english);
// The next text reads the language file again.
void ForgetTexts();
// A message box with the program's title (or the one given) through the seam.
int Say(HWND owner, const std::wstring& text, UINT type, const std::wstring& title = {});

// Gives the rooms below this one what they cannot know themselves: the log its place
// in the data folder, and every lower room this room's texts and message boxes. Called
// once at start, before the first line is logged.
void WireLowerRooms();

}  // namespace modLang
