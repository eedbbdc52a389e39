#include "lang/modLang.h"

#include <map>
#include <vector>

#include "app/App.h"
#include "app/TextRules.h"
#include "log/modLog.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modLang {

using modMain::WriteLog;

Control TextControl(const char* name, const char* kind, win::CWindow& control) {
  return {name, kind, true, [&control] { return control.Text(); },
          [&control](const std::string& caption) { control.SetText(caption); }};
}

Control FixedControl(const char* name, const char* kind) {
  return {name, kind, false, [] { return std::string(); }, [](const std::string&) {}};
}

std::string EnglishFile() { return modMain::InAppPath("en.lng"); }

namespace {
// Settings/Lang, stored as the English file when it is empty.
std::string CurrentLanguageFile() {
  std::string path = modSettings::PathSetting("Settings", "Lang", "");
  if (path.empty()) {
    path = EnglishFile();
    modSettings::SetSetting("Settings", "Lang", path);
  }
  return path;
}
}  // namespace

bool WantsRefresh(const std::string& commandLine) { return text::EndsWith(text::Trim(commandLine), "-rlang"); }

namespace {
bool WriteSection(LangWindow& window, const std::string& path, bool replace) {
  std::string text = "[" + window.WindowName() + "]\r\n";
  const bool main = window.WindowName() == "frmMain";
  for (const Control& control : window.Controls()) {
    if (control.takesPart) {
      if (main) WriteLog(control.name + " TYPE: " + control.kind);
      text += control.name + "=" + control.caption() + "\r\n";
    }
    if (!main) WriteLog(control.name + " TYPE: " + control.kind);
  }
  HANDLE file = CreateFileA(path.c_str(), replace ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            replace ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  const DWORD error = GetLastError();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok) {
    const std::string reason = modMain::SystemErrorText(error);
    WriteLog("Unable to write the language file [ " + path + " ]: " + reason);
    win::Ui().MessageBox(nullptr, "Unable to write the language file " + path + "\r\n\r\n" + reason, modMain::kTitle,
                         MB_OK | MB_ICONEXCLAMATION);
  }
  return ok;
}

// A window's section of a language file, looked up as the profile reader looks up keys:
// names without regard to case, the first of a repeated name, blanks trimmed, a value in
// quotes unquoted, at most 154 characters.
class Captions {
 public:
  std::string Get(const std::string& name) const {
    auto it = values_.find(text::Lower(name));
    return it == values_.end() ? std::string() : it->second;
  }
  std::map<std::string, std::string> values_;
};

Captions ReadCaptions(const std::string& path, const std::string& section) {
  Captions captions;
  std::vector<char> buffer(65536);
  DWORD n = GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
  for (size_t start = 0; start < n;) {
    const std::string line(buffer.data() + start);
    start += line.size() + 1;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = text::Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    captions.values_.emplace(text::Lower(text::Trim(line.substr(0, eq))), value.substr(0, modSettings::kMaxValue));
  }
  return captions;
}

// Writes the built-in English file; a failure is said, and the captions stay as laid out.
void RestoreEnglish() {
  if (modMain::RefreshingLanguage) return;
  if (modMain::ExtractResource(102, "LANG", EnglishFile())) return;
  WriteLog("Unable to restore the language file [ " + EnglishFile() + " ]");
  win::Ui().MessageBox(nullptr, "Unable to restore the language file " + EnglishFile(), modMain::kTitle,
                       MB_OK | MB_ICONEXCLAMATION);
}
}  // namespace

void LoadLanguage(int mode, LangWindow& window, const std::string& path) {
  switch (mode) {
    case 1:
      RestoreEnglish();
      break;
    case 2: {
      if (!modMain::OwnFileExists(path)) {
        win::Ui().MessageBox(nullptr, "Unable to load language file", std::string(modMain::kTitle) + " Error",
                             MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      const std::string section = window.WindowName();
      // The file named by Lang is path: its section is read once, not once per control.
      const Captions captions = ReadCaptions(path, section);
      for (const Control& control : window.Controls()) {
        if (!control.takesPart) continue;
        std::string caption = captions.Get(control.name);
        if (caption.empty()) WriteLog("Could not load caption for " + section + "." + control.name);
        if (control.caption() != "-") control.setCaption(caption);
      }
      break;
    }
    case 3:
      WriteSection(window, path, window.WindowName() == "frmMain");
      break;
    default:
      break;
  }
}

void LoadStartupLanguage(LangWindow& mainWindow, const std::string& commandLine, const RefreshWindows& others) {
  const std::string path = CurrentLanguageFile();
  modMain::RefreshingLanguage = false;
  if (WantsRefresh(commandLine)) {
    WriteLog("Refreshing language file");
    WriteLog("Refreshing: frmMain");
    modMain::RefreshingLanguage = true;
    LoadLanguage(3, mainWindow, path);
    WriteLog("Refreshing: frmModify");
    LangWindow* dialog = others.dialog ? others.dialog() : nullptr;
    modMain::DoEvents();
    if (dialog) LoadLanguage(3, *dialog, path);
    WriteLog("Refreshing: frmNIMOWizard");
    LangWindow* wizard = others.wizard ? others.wizard() : nullptr;
    modMain::DoEvents();
    if (wizard) LoadLanguage(3, *wizard, path);
    modMain::DoEvents();
    modMain::RefreshingLanguage = false;
    WriteLog("Language file refreshed");
    LoadLanguage(2, mainWindow, path);
  } else {
    WriteLog("Loading language file");
    modMain::DoEvents();
    if (!modMain::OwnFileExists(path)) {
      LoadLanguage(1, mainWindow, path);
      modMain::DoEvents();
    }
    LoadLanguage(2, mainWindow, path);
  }
  WriteLog("Language file loaded");
}

void LoadWindowLanguage(LangWindow& window) {
  if (modMain::RefreshingLanguage) return;
  WriteLog("Loading language file");
  const std::string path = CurrentLanguageFile();
  if (!modMain::OwnFileExists(path)) {
    LoadLanguage(1, window, path);
    modMain::DoEvents();
  }
  LoadLanguage(2, window, path);
}

std::string LanguageFileName(int index) {
  static const char* const kFiles[] = {"en.lng", "fr.lng", "de.lng", "it.lng", "ru.lng", "se.lng"};
  return index >= 1 && index <= 6 ? kFiles[index - 1] : "";
}

bool SetLanguage(LangWindow& window, int index) {
  const std::string name = LanguageFileName(index);
  const std::string path = name.empty() ? std::string() : modMain::InAppPath(name);
  if (path.empty() || !modMain::OwnFileExists(path)) {
    win::Ui().MessageBox(nullptr, "I'm sorry, the language file you have selected does not exist", modMain::kTitle,
                         MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  modSettings::SetSetting("Settings", "Lang", path);
  LoadLanguage(2, window, path);
  return true;
}

void EditLanguageFile() {
  std::string path = modSettings::PathSetting("Settings", "Lang", "");
  if (path.empty()) path = EnglishFile();
  if (!modMain::OwnFileExists(path)) {
    RestoreEnglish();
    modMain::DoEvents();
  }
  const std::string command = "notepad " + path;
  win::LaunchResult started = win::Ui().Launch(command, SW_SHOWNORMAL, 0);
  if (!started.started)
    win::Ui().MessageBox(nullptr, "Unable to start " + command + "\r\n\r\n" + modMain::SystemErrorText(started.error),
                         modMain::kTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace modLang
