// Language files: captions of the windows' menus, labels and check boxes.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace modLang {

// One control of a window as the language files see it.
struct Control {
  std::string name;
  std::string kind;  // a stable name of the control's kind, for the " TYPE: " log lines
  bool takesPart;    // menu items, labels and check boxes
  std::function<std::string()> caption;
  std::function<void(const std::string&)> setCaption;
};

// A window whose captions come from a language file.
class LangWindow {
 public:
  virtual ~LangWindow() = default;
  virtual std::string WindowName() const = 0;
  // Every control in the window's control order.
  virtual std::vector<Control> Controls() = 0;
};

// The built-in English file's name in the program folder.
std::string EnglishFile();

// Mode 1 restores the English file, mode 2 loads the window's captions from path,
// mode 3 writes them into path.
void LoadLanguage(int mode, LangWindow& window, const std::string& path);
void LoadStartupLanguage(LangWindow& mainWindow, const std::string& commandLine);
void LoadWindowLanguage(LangWindow& window);
// True when the trimmed command line ends with "-rlang" (exact case).
bool WantsRefresh(const std::string& commandLine);

}  // namespace modLang
