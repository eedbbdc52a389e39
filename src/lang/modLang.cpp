#include "lang/modLang.h"

#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "base/Words.h"
#include "log/Deferral.h"
#include "log/modLog.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Profile.h"
#include "win/Seam.h"

namespace modLang {

bool RefreshingLanguage = false;

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
// Writes text into the language file, replacing it or appended; the file keeps its form:
// UTF-16LE with its byte-order mark, or ANSI text. A failure is said.
bool WriteLanguageText(std::wstring text, const std::string& path, bool replace) {
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
    Say(nullptr, Text("Messages", "LangWriteFailed", {path, reason}), MB_OK | MB_ICONEXCLAMATION);
  }
  return ok;
}

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
  return WriteLanguageText(text, path, replace);
}

std::wstring TextSections();

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
  Say(nullptr, Text("Messages", "LangNoCaptions", {path, window}), MB_OK | MB_ICONEXCLAMATION);
}

// Mode 2: each control takes its caption from the file, or its English one when the file
// has none for it. False when the file is missing or gave the window no caption.
bool LoadCaptions(LangWindow& window, const std::string& path) {
  if (!modMain::OwnFileExists(path)) {
    if (modMain::Data().writable)  // else no language file could be restored, as said at start
      Say(nullptr, Text("Messages", "LangLoadFailed"), MB_OK | MB_ICONEXCLAMATION,
          Text("Messages", "TitleError", {modMain::kTitle}));
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
  if (modLang::RefreshingLanguage) return;
  ForgetTexts();
  if (modMain::ExtractResource(102, "LANG", EnglishFile())) return;
  WriteLog("Unable to restore the language file [ " + EnglishFile() + " ]");
  if (modMain::Data().writable)  // an unwritable data folder was said at start
    Say(nullptr, Text("Messages", "LangRestoreFailed", {EnglishFile()}), MB_OK | MB_ICONEXCLAMATION);
}
}  // namespace

void LoadStartupLanguage(LangWindow& mainWindow, const std::string& commandLine, const RefreshWindows& others) {
  const std::string path = CurrentLanguageFile();
  modLang::RefreshingLanguage = false;
  if (WantsRefresh(commandLine)) {
    WriteLog("Refreshing language file");
    WriteLog("Refreshing: frmMain");
    const std::wstring refreshedTexts = TextSections();  // read before the file is written again
    modLang::RefreshingLanguage = true;
    WriteSection(mainWindow, path, true);
    WriteLog("Refreshing: frmModify");
    LangWindow* dialog = others.dialog ? others.dialog() : nullptr;
    win::DoEvents();
    if (dialog) WriteSection(*dialog, path, false);
    WriteLog("Refreshing: frmNIMOWizard");
    LangWindow* wizard = others.wizard ? others.wizard() : nullptr;
    win::DoEvents();
    if (wizard) WriteSection(*wizard, path, false);
    WriteLog("Refreshing: frmRestore");
    LangWindow* restore = others.restore ? others.restore() : nullptr;
    win::DoEvents();
    if (restore) WriteSection(*restore, path, false);
    WriteLog("Refreshing: texts");
    WriteLanguageText(refreshedTexts, path, false);
    win::DoEvents();
    modLang::RefreshingLanguage = false;
    WriteLog("Language file refreshed");
  } else {
    WriteLog("Loading language file");
    win::DoEvents();
    if (!modMain::OwnFileExists(path)) {
      RestoreEnglish();
      win::DoEvents();
    }
  }
  // A file that gives the main window nothing is not kept as the language: the next
  // start (and the other windows now) take English.
  if (!LoadCaptions(mainWindow, path) && modMain::OwnFileExists(path) &&
      !text::SameName(path, EnglishFile())) {
    modSettings::SetSetting("Settings", "Lang", EnglishFile());
    if (!modMain::OwnFileExists(EnglishFile())) RestoreEnglish();
    ForgetTexts();
  }
  WriteLog("Language file loaded");
}

void LoadWindowLanguage(LangWindow& window) {
  if (modLang::RefreshingLanguage) return;
  WriteLog("Loading language file");
  const std::string path = CurrentLanguageFile();
  if (!modMain::OwnFileExists(path)) {
    RestoreEnglish();
    win::DoEvents();
  }
  LoadCaptions(window, path);
}

std::string LanguageFileName(Language language) {
  static const char* const kFiles[] = {"en.lng", "fr.lng", "de.lng", "it.lng", "ru.lng", "se.lng"};
  const size_t index = static_cast<size_t>(language);
  return index < std::size(kFiles) ? kFiles[index] : "";
}

bool SetLanguage(LangWindow& window, Language language) {
  const std::string name = LanguageFileName(language);
  const std::string path = name.empty() ? std::string() : modMain::InDataPath(name);
  if (path.empty() || !modMain::OwnFileExists(path)) {
    Say(nullptr, Text("Messages", "LangMissing"), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // A file with nothing for the window is refused like a missing one.
  if (ReadCaptions(path, window.WindowName()).empty()) {
    SayNoCaptions(path, window.WindowName(), true);
    return false;
  }
  modSettings::SetSetting("Settings", "Lang", path);
  ForgetTexts();
  LoadCaptions(window, path);
  return true;
}

void EditLanguageFile() {
  std::string path = modSettings::PathSetting("Settings", "Lang", "");
  if (path.empty()) path = EnglishFile();
  if (!modMain::OwnFileExists(path)) {
    RestoreEnglish();
    win::DoEvents();
  }
  const std::string command = "notepad " + path;
  win::LaunchResult started = win::Ui().Launch(command, SW_SHOWNORMAL, 0);
  if (!started.started)
    Say(nullptr, Text("Messages", "StartFailed", {command, modMain::SystemErrorText(started.error)}),
        MB_OK | MB_ICONEXCLAMATION);
}

// ---------------------------------------------------------------------------
// Texts

Arg::Arg(const std::string& value) : text(win::Widen(value)) {}
Arg::Arg(const char* value) : text(win::Widen(value)) {}

namespace {
std::wstring FillFrom(std::wstring_view value, const Arg* args, size_t count) {
  std::wstring filled;
  for (size_t i = 0; i < value.size(); ++i) {
    const wchar_t c = value[i], next = i + 1 < value.size() ? value[i + 1] : L'\0';
    if (c == L'\\' && (next == L'n' || next == L't')) {
      filled += next == L'n' ? L"\r\n" : L"\t";
      ++i;
    } else if (c == L'%' && next >= L'1' && next <= L'9' && static_cast<size_t>(next - L'1') < count) {
      filled += args[next - L'1'].text;
      ++i;
    } else {
      filled += c;
    }
  }
  return filled;
}

std::wstring FillFrom(std::wstring_view value, const std::vector<std::string>& args) {
  const std::vector<Arg> wide(args.begin(), args.end());
  return FillFrom(value, wide.data(), wide.size());
}
}  // namespace

std::wstring Fill(std::wstring_view value, Args args) { return FillFrom(value, args.begin(), args.size()); }

const char* PluralForm(std::string_view rule, long long n) {
  if (rule == "fr") return n == 0 || n == 1 ? "one" : "other";
  if (rule == "ru") {
    const long long ones = n % 10, tens = n % 100;
    if (ones == 1 && tens != 11) return "one";
    if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) return "few";
    return "many";
  }
  return n == 1 ? "one" : "other";
}

namespace {
// A language file's texts by "section|key" in lower case, and its plural rule.
struct Texts {
  bool loaded = false;
  std::string rule = "en";
  std::map<std::string, std::wstring> values;
};

std::string TextKey(std::string_view section, std::string_view key) {
  return text::Lower(std::string(section) + "|" + std::string(key));
}

// The built-in English file's text sections ([Language] and after), keys in file order.
struct BuiltIn {
  std::vector<std::pair<std::string, std::vector<std::string>>> sections;
  Texts texts;
};

const BuiltIn& BuiltInTexts() {
  static const BuiltIn builtIn = [] {
    BuiltIn english;
    const std::wstring all = win::Widen(modMain::ResourceBytes(102, "LANG"));
    std::string section;
    for (size_t start = 0; start < all.size();) {
      size_t end = all.find_first_of(L"\r\n", start);
      if (end == std::wstring::npos) end = all.size();
      const std::wstring line = Trimmed(all.substr(start, end - start));
      start = end + 1;
      if (line.size() > 2 && line.front() == L'[' && line.back() == L']') {
        section = win::Narrow(line.substr(1, line.size() - 2));
        if (section == "Language" || !english.sections.empty()) english.sections.push_back({section, {}});
        continue;
      }
      const size_t eq = line.find(L'=');
      if (english.sections.empty() || eq == std::wstring::npos) continue;
      const std::string key = win::Narrow(Trimmed(line.substr(0, eq)));
      english.sections.back().second.push_back(key);
      english.texts.values[TextKey(section, key)] = Trimmed(line.substr(eq + 1));
    }
    return english;
  }();
  return builtIn;
}

Texts g_current;

// The current language file's texts, read at the first text after a change of language.
const Texts& Current() {
  if (g_current.loaded) return g_current;
  g_current = {};
  g_current.loaded = true;
  std::string path = modSettings::PathSetting("Settings", "Lang", "");
  if (path.empty()) path = EnglishFile();
  if (!modMain::OwnFileExists(path)) return g_current;
  for (const auto& [section, keys] : BuiltInTexts().sections)
    for (auto& [key, value] : ReadCaptions(path, section)) g_current.values[TextKey(section, key)] = value;
  const auto rule = g_current.values.find("language|plurals");
  if (rule != g_current.values.end() && !rule->second.empty()) g_current.rule = text::Lower(win::Narrow(rule->second));
  return g_current;
}

// The language file's value, else the English one of englishKey.
std::wstring Lookup(std::string_view section, std::string_view key, std::string_view englishKey) {
  const Texts& current = Current();
  const auto found = current.values.find(TextKey(section, key));
  if (found != current.values.end() && !found->second.empty()) return found->second;
  const auto english = BuiltInTexts().texts.values.find(TextKey(section, englishKey));
  return english != BuiltInTexts().texts.values.end() ? english->second
                                                 : win::Widen(std::string(section) + "." + std::string(englishKey));
}

std::vector<const char*> FormsOf(std::string_view rule) {
  if (rule == "ru") return {"one", "few", "many"};
  return {"one", "other"};
}

bool IsForm(std::string_view name) { return name == "one" || name == "few" || name == "many" || name == "other"; }

// The text sections as the program shows them, in the built-in file's order; a count in
// the forms of the file's rule.
std::wstring TextSections() {
  const Texts& current = Current();
  std::wstring out;
  for (const auto& [section, keys] : BuiltInTexts().sections) {
    out += win::Widen("[" + section + "]\r\n");
    for (size_t i = 0; i < keys.size(); ++i) {
      const size_t dot = keys[i].rfind('.');
      if (dot == std::string::npos || !IsForm(std::string_view(keys[i]).substr(dot + 1))) {
        out += win::Widen(keys[i] + "=") + Lookup(section, keys[i], keys[i]) + L"\r\n";
        continue;
      }
      const std::string base = keys[i].substr(0, dot + 1);
      while (i + 1 < keys.size() && text::StartsWith(keys[i + 1], base)) ++i;
      for (const std::string form : FormsOf(current.rule))
        out += win::Widen(base + form + "=") + Lookup(section, base + form, base + (form == "one" ? "one" : "other")) +
               L"\r\n";
    }
  }
  return out;
}
}  // namespace

std::wstring Text(const char* section, const char* key, Args args) { return Fill(Lookup(section, key, key), args); }

std::wstring Count(const char* section, const char* key, long long n, Args args) {
  const std::string base = std::string(key) + ".";
  return Fill(Lookup(section, base + PluralForm(Current().rule, n), base + PluralForm("en", n)), args);
}

namespace {
std::wstring EnglishValue(const char* section, const char* key) {
  const auto found = BuiltInTexts().texts.values.find(TextKey(section, key));
  return found != BuiltInTexts().texts.values.end() ? found->second : std::wstring();
}
}  // namespace

std::string English(const char* section, const char* key, Args args) {
  return win::Narrow(Fill(EnglishValue(section, key), args));
}

namespace {

// Whether text is pieces[at], something, pieces[at + 1], ... to the last piece; each
// something caught, the shortest first, as a reason's placeholders are filled.
bool Matches(std::wstring_view text, const std::vector<std::wstring>& pieces, size_t at, std::vector<std::wstring>& caught) {
  if (text.substr(0, pieces[at].size()) != pieces[at]) return false;
  text.remove_prefix(pieces[at].size());
  if (at + 1 == pieces.size()) return text.empty();
  for (size_t length = 0; length <= text.size(); ++length)
    if (Matches(text.substr(length), pieces, at + 1, caught)) {
      caught[at] = std::wstring(text.substr(0, length));
      return true;
    }
  return false;
}

}  // namespace

std::wstring Reason(const std::string& english) {
  // Each reason's English text in pieces between its placeholders.
  struct Pattern {
    std::string key;
    std::vector<std::wstring> pieces;
    std::vector<int> placeholders;
  };
  static const std::vector<Pattern> patterns = [] {
    std::vector<Pattern> made;
    for (const auto& [section, keys] : BuiltInTexts().sections)
      for (const std::string& key : section == "Reasons" ? keys : std::vector<std::string>()) {
        const std::wstring value = Fill(BuiltInTexts().texts.values.at(TextKey(section, key)), {});
        Pattern pattern{key, {L""}, {}};
        for (size_t i = 0; i < value.size(); ++i) {
          if (value[i] == L'%' && i + 1 < value.size() && value[i + 1] >= L'1' && value[i + 1] <= L'9') {
            pattern.placeholders.push_back(value[++i] - L'1');
            pattern.pieces.emplace_back();
          } else {
            pattern.pieces.back() += value[i];
          }
        }
        made.push_back(std::move(pattern));
      }
    return made;
  }();
  const std::wstring text = win::Widen(english);
  for (const Pattern& pattern : patterns) {
    std::vector<std::wstring> caught(pattern.placeholders.size());
    if (!Matches(text, pattern.pieces, 0, caught)) continue;
    std::vector<Arg> args(9, Arg(L""));
    for (size_t i = 0; i < pattern.placeholders.size(); ++i)
      args[pattern.placeholders[i]] = Arg(Reason(win::Narrow(caught[i])));
    return Fill(Lookup("Reasons", pattern.key, pattern.key),
                {args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8]});
  }
  return text;
}

void ForgetTexts() { g_current.loaded = false; }

int Say(HWND owner, const std::wstring& text, UINT type, const std::wstring& title) {
  if (modMain::Deferred* held = modMain::DeferredMessages()) {  // away from the windows' thread
    held->messages.push_back({text, title, type});
    return IDOK;
  }
  return win::Ui().MessageBox(owner, text, title.empty() ? win::Widen(modMain::kTitle) : title, type);
}

void WireLowerRooms() {
  modMain::PlaceLog([] {
    const modMain::DataFolder& data = modMain::Data();
    return modMain::LogPlace{data.path, data.writable};
  });
  words::Give({[](const char* section, const char* key, const std::vector<std::string>& args) {
                 return win::Narrow(FillFrom(EnglishValue(section, key), args));
               },
               [](const char* key, const std::vector<std::string>& args, UINT type) {
                 return Say(nullptr, FillFrom(Lookup("Messages", key, key), args), type);
               },
               [](const std::wstring& text, UINT type, const std::wstring& title) {
                 return Say(nullptr, text, type, title);
               }});
}

}  // namespace modLang
