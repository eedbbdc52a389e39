#include "lang/modLang.h"

#include <map>
#include <set>
#include <vector>

#include "app/App.h"
#include "app/TextRules.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Profile.h"
#include "win/Seam.h"

namespace modLang {

using modMain::WriteLog;

Control TextControl(const char* name, const char* kind, win::CWindow& control) {
  return {name, kind, true, [&control] { return control.TextW(); },
          [&control](const std::wstring& caption) { control.SetTextW(caption); }};
}

Control FixedControl(const char* name, const char* kind) {
  return {name, kind, false, [] { return std::wstring(); }, [](const std::wstring&) {}};
}

std::string EnglishFile() { return modMain::InDataPath("en.lng"); }

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
  std::wstring text = win::Widen("[" + window.WindowName() + "]\r\n");
  const bool main = window.WindowName() == "frmMain";
  for (const Control& control : window.Controls()) {
    if (control.takesPart) {
      if (main) WriteLog(control.name + " TYPE: " + control.kind);
      text += win::Widen(control.name + "=") + control.caption() + L"\r\n";
    }
    if (!main) WriteLog(control.name + " TYPE: " + control.kind);
  }
  // The file keeps its form: UTF-16LE with its byte-order mark, or ANSI text.
  std::string bytes;
  if (modMain::IsWideTextFile(path)) {
    if (replace) text.insert(text.begin(), L'\xFEFF');
    bytes.assign(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  } else {
    bytes = win::Narrow(text);
  }
  HANDLE file = CreateFileA(path.c_str(), replace ? GENERIC_WRITE : FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                            replace ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
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

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// A window's section of a language file, whole, looked up as the profile reader looks up
// keys: names without regard to case, the first of a repeated name, blanks trimmed, a
// value in single or double quotes unquoted.
using Captions = std::map<std::string, std::wstring>;

Captions ReadCaptions(const std::string& path, const std::string& section) {
  Captions captions;
  for (const std::wstring& line : win::ProfileSectionW(path, section)) {
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) continue;
    std::wstring value = Trimmed(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    captions.emplace(text::Lower(win::Narrow(Trimmed(line.substr(0, eq)))), value);
  }
  return captions;
}

// A file that gives a window no caption at all is said once per run and window; the
// window keeps its English captions.
void SayNoCaptions(const std::string& path, const std::string& window, bool always) {
  static std::set<std::string> said;
  if (!said.insert(text::Lower(path) + "|" + window).second && !always) return;
  WriteLog("The language file [ " + path + " ] holds no captions for " + window);
  win::Ui().MessageBox(nullptr,
                       "The language file " + path + " holds no captions for " + window +
                           ".\r\n\r\nThe English captions are shown.",
                       modMain::kTitle, MB_OK | MB_ICONEXCLAMATION);
}

// Mode 2: each control takes its caption from the file, or its English one when the file
// has none for it. False when the file is missing or gave the window no caption.
bool LoadCaptions(LangWindow& window, const std::string& path) {
  if (!modMain::OwnFileExists(path)) {
    if (modMain::Data().writable)  // else no language file could be restored, as said at start
      win::Ui().MessageBox(nullptr, "Unable to load language file", std::string(modMain::kTitle) + " Error",
                           MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const std::string section = window.WindowName();
  const Captions captions = ReadCaptions(path, section);
  for (const Control& control : window.Controls()) {
    if (!control.takesPart) continue;
    const std::wstring current = control.caption();
    const std::wstring& english = window.layoutCaptions.try_emplace(control.name, current).first->second;
    auto found = captions.find(text::Lower(control.name));
    if (found == captions.end() || found->second.empty())
      WriteLog("Could not load caption for " + section + "." + control.name);
    if (current != L"-") control.setCaption(found == captions.end() ? english : found->second);
  }
  if (captions.empty()) SayNoCaptions(path, section, false);
  return !captions.empty();
}

// Writes the built-in English file; a failure is said, and the captions stay as laid out.
void RestoreEnglish() {
  if (modMain::RefreshingLanguage) return;
  if (modMain::ExtractResource(102, "LANG", EnglishFile())) return;
  WriteLog("Unable to restore the language file [ " + EnglishFile() + " ]");
  if (modMain::Data().writable)  // an unwritable data folder was said at start
    win::Ui().MessageBox(nullptr, "Unable to restore the language file " + EnglishFile(), modMain::kTitle,
                         MB_OK | MB_ICONEXCLAMATION);
}
}  // namespace

void LoadLanguage(int mode, LangWindow& window, const std::string& path) {
  switch (mode) {
    case 1:
      RestoreEnglish();
      break;
    case 2:
      LoadCaptions(window, path);
      break;
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
    WriteLog("Refreshing: frmRestore");
    LangWindow* restore = others.restore ? others.restore() : nullptr;
    modMain::DoEvents();
    if (restore) LoadLanguage(3, *restore, path);
    modMain::DoEvents();
    modMain::RefreshingLanguage = false;
    WriteLog("Language file refreshed");
  } else {
    WriteLog("Loading language file");
    modMain::DoEvents();
    if (!modMain::OwnFileExists(path)) {
      LoadLanguage(1, mainWindow, path);
      modMain::DoEvents();
    }
  }
  // A file that gives the main window nothing is not kept as the language: the next
  // start (and the other windows now) take English.
  if (!LoadCaptions(mainWindow, path) && modMain::OwnFileExists(path) &&
      !text::SameName(path, EnglishFile())) {
    modSettings::SetSetting("Settings", "Lang", EnglishFile());
    if (!modMain::OwnFileExists(EnglishFile())) RestoreEnglish();
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
  const std::string path = name.empty() ? std::string() : modMain::InDataPath(name);
  if (path.empty() || !modMain::OwnFileExists(path)) {
    win::Ui().MessageBox(nullptr, "I'm sorry, the language file you have selected does not exist", modMain::kTitle,
                         MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // A file with nothing for the window is refused like a missing one.
  if (ReadCaptions(path, window.WindowName()).empty()) {
    SayNoCaptions(path, window.WindowName(), true);
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
