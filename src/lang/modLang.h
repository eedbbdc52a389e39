// Language files: captions of the windows' menus, labels and check boxes.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

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

// Mode 1 restores the English file, mode 2 loads the window's captions from path,
// mode 3 writes them into path.
void LoadLanguage(int mode, LangWindow& window, const std::string& path);
// The windows that the "-rlang" refresh writes after the main window; each call loads
// its window (hidden, with the refresh flag set) and returns it.
struct RefreshWindows {
  std::function<LangWindow*()> dialog;
  std::function<LangWindow*()> wizard;
  std::function<LangWindow*()> restore;
};
void LoadStartupLanguage(LangWindow& mainWindow, const std::string& commandLine, const RefreshWindows& others);
void LoadWindowLanguage(LangWindow& window);
// Switches to language index (1 English ... 6 Spanish): stores Settings/Lang and loads the
// window's captions. False, with a message, when the file is missing or gives the window no caption.
bool SetLanguage(LangWindow& window, int index);
// "en.lng", "fr.lng", "de.lng", "it.lng", "ru.lng", "se.lng"; empty outside 1 to 6.
std::string LanguageFileName(int index);
// Opens the current language file in the text editor (restoring en.lng when it is missing).
void EditLanguageFile();

// True when the trimmed command line ends with "-rlang" (exact case).
bool WantsRefresh(const std::string& commandLine);

}  // namespace modLang
