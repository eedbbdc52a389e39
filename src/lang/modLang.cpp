#include "lang/modLang.h"

#include "app/App.h"
#include "app/TextRules.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modLang {

using modMain::WriteLog;

std::string EnglishFile() { return modMain::InAppPath("en.lng"); }

namespace {
// Settings/Lang, stored as the English file when it is empty.
std::string CurrentLanguageFile() {
  std::string path = modSettings::Setting("Settings", "Lang", "");
  if (path.empty()) {
    path = EnglishFile();
    modSettings::SetSetting("Settings", "Lang", path);
  }
  return path;
}
}  // namespace

bool WantsRefresh(const std::string& commandLine) { return text::EndsWith(text::Trim(commandLine), "-rlang"); }

void LoadLanguage(int mode, LangWindow& window, const std::string& path) {
  switch (mode) {
    case 1:
      modMain::ExtractResource(102, "LANG", EnglishFile());
      break;
    case 2: {
      if (!modMain::FileExistsCopy(path)) {
        win::Ui().MessageBox(nullptr, "Unable to load language file", std::string(modMain::kTitle) + " Error",
                             MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      const std::string section = window.WindowName();
      for (const Control& control : window.Controls()) {
        if (!control.takesPart) continue;
        std::string caption = modSettings::ReadINI("Controls", section, control.name, "");
        if (caption.empty()) WriteLog("Could not load caption for " + section + "." + control.name);
        if (control.caption() != "-") control.setCaption(caption);
      }
      break;
    }
    default:
      break;
  }
}

void LoadStartupLanguage(LangWindow& mainWindow, const std::string& commandLine) {
  const std::string path = CurrentLanguageFile();
  modMain::RefreshingLanguage = false;
  WriteLog("Loading language file");
  modMain::DoEvents();
  if (!modMain::FileExistsCopy(path)) {
    LoadLanguage(1, mainWindow, path);
    modMain::DoEvents();
  }
  LoadLanguage(2, mainWindow, path);
  WriteLog("Language file loaded");
  (void)commandLine;
}

void LoadWindowLanguage(LangWindow& window) {
  if (modMain::RefreshingLanguage) return;
  WriteLog("Loading language file");
  const std::string path = CurrentLanguageFile();
  if (!modMain::FileExistsCopy(path)) {
    LoadLanguage(1, window, path);
    modMain::DoEvents();
  }
  LoadLanguage(2, window, path);
}

}  // namespace modLang
