// The registry layer, the registry editor as the program runs it, backups, registry files.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/Identity.h"
#include "log/modLog.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"
#include "win/Profile.h"

using modReg::RegValue;
using namespace testkit;

namespace {

constexpr char kScratch[] = "Software\\NIMO Test Scratch";
const std::string kExtPath = std::string(kScratch) + "\\My Ext", kExtFull = "HKEY_CURRENT_USER\\" + kExtPath;

class Registry : public testkit::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ui_.passThrough = {"regedit"};
    testkit::RegSetString(HKCU, kExtPath, "", In("ext.htm"));
    testkit::RegSetDword(HKCU, kExtPath, "Contexts", 0x31);
  }
  std::string Backup() const { return In("Reg_Backup\\"); }
  RegValue Get(const std::string& name) { return modReg::GetValue(HKCU, kExtPath, name); }
  std::string Query(const std::string& name, const std::string& path = kExtPath) {  // QueryValue's text and type
    HKEY key = modReg::OpenKey(HKCU, path);
    DWORD type = 0;
    std::string text = modReg::QueryValue(key, name, type);
    RegCloseKey(key);
    return text + "/" + std::to_string(type);
  }
  testkit::RegistryKeyGuard guard_{HKCU, kScratch};
  testkit::ScriptedSeam ui_;
};

// GetValue converts by type at any length; QueryValue reads text up to 260 bytes.
TEST_F(Registry, ValuesReadAndWrittenByTypeAndKeysThatCannotBeDeleted) {
  const std::string z(1, '\0'), over(300, 'o'), huge(5000, 'h');
  const struct { DWORD type; std::string bytes; RegValue value; } stored[] = {
      {REG_EXPAND_SZ, "%WINDIR%" + z, "%WINDIR%"}, {REG_BINARY, std::string("\x00\x01\xff", 3), modReg::Bytes{0, 1, 255}},
      {REG_DWORD, "\x78\x56\x34\x12", int32_t{0x12345678}}, {REG_QWORD, std::string(8, '\1'), std::string("NULL")},
      {REG_MULTI_SZ, "ab" + z + "cde" + z + z, "ab" + z + "cde"}, {REG_MULTI_SZ, "", ""},
      {REG_SZ, huge + z, huge}};  // past the first 1024-byte buffer
  for (const auto& value : stored) {
    testkit::RegSetRaw(HKCU, kExtPath, "value", value.type, value.bytes);
    EXPECT_EQ(Get("value"), value.value) << "type " << value.type << ", " << value.bytes.size() << " bytes";
  }
  EXPECT_EQ(Get("missing"), RegValue(std::string("NULL")));  // the key opened: no default
  testkit::RegSetString(HKCU, kExtPath, "fits", std::string(259, 'f'));
  testkit::RegSetString(HKCU, kExtPath, "over", over);
  testkit::RegSetDword(HKCU, kExtPath, "dword", 0x00636261);  // "abc" as bytes
  EXPECT_EQ(Query("fits"), std::string(259, 'f') + "/1");
  EXPECT_EQ(Query("over") + Query("dword"), "/1abc/4");

  const std::string text = "Zandor \xe9xtension & more";  // ANSI, not ASCII
  EXPECT_TRUE(modReg::SetValue(HKCU, kExtPath, "", text));
  EXPECT_TRUE(modReg::SetValue(HKCU, kExtPath, "Contexts", int32_t{-1}));
  EXPECT_TRUE(modReg::SetValue(HKCU, kExtPath, "blank", std::string()));
  EXPECT_EQ(Query("") + Query("blank"), text + "/1/1");
  EXPECT_EQ(Get("Contexts"), RegValue(int32_t{-1}));

  // A key that does not open gives the default (nothing unless given), and is never made.
  const std::string missing = kExtPath + "\\Missing";
  EXPECT_EQ(modReg::GetValue(HKCU, missing, "sz", RegValue(int32_t{7})), RegValue(int32_t{7}));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(modReg::GetValue(HKCU, missing, "sz")));
  EXPECT_FALSE(modReg::SetValue(HKCU, missing, "", std::string("x")));
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, missing));
  EXPECT_TRUE(ui_.messages.empty());

  // DeleteKey reports what it cannot delete: a key not there, a key with subkeys.
  modReg::DeleteKey(modReg::RootText(HKCU), kExtPath + "\\Leaf");  // no such key
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text.substr(0, 54), "Error: Could not delete key\r\n\r\nError: 2\r\nDescription: ");
  testkit::RegCreate(HKCU, kExtPath + "\\Parent\\Child");  // a key with subkeys stays
  modReg::DeleteKey(modReg::RootText(HKCU), kExtPath + "\\Parent");
  EXPECT_TRUE(testkit::RegKeyExists(HKCU, kExtPath + "\\Parent\\Child"));
  EXPECT_EQ(ui_.messages.size(), 2u);
}

TEST(RegeditNames, ArgumentsAreQuotedAsThePlatformReadsThemBack) {
  // A backslash before a quote doubles, and so does one before the closing quote.
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Reg Backup\\a.reg", "\"C:\\Reg Backup\\a.reg\""}, {"a\\\"b", "\"a\\\\\\\"b\""}, {"ends in\\", "\"ends in\\\\\""}};
  for (const auto& [text, quoted] : cases) EXPECT_EQ(modReg::Quoted(text), quoted) << text;
}

struct HangingSeam : testkit::ScriptedSeam {
  win::LaunchResult Launch(const std::string& commandLine, int, DWORD waitMs) override {
    commands.push_back(commandLine);
    waits.push_back(waitMs);
    return {true, 0, false, 0};
  }
  std::vector<DWORD> waits;
};

TEST_F(Registry, AnEditorThatCannotStartOrDoesNotFinishIsReported) {
  ui_.launchError = ERROR_NOT_ENOUGH_MEMORY;
  modReg::RunRegedit(modReg::Regedit::ExportTo, kExtFull, In("y.reg"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text + "|" + std::to_string(ui_.messages[0].type),
            "8 - " + modMain::SystemErrorText(ERROR_NOT_ENOUGH_MEMORY) + "\r\n\r\nSource: prjNIMO|" +
                std::to_string(MB_OK | MB_ICONEXCLAMATION));
  HangingSeam hanging;
  modMain::DeleteLog();
  modReg::RunRegedit(modReg::Regedit::Import, In("x.reg"), "");
  EXPECT_EQ(hanging.waits, std::vector<DWORD>{60000});
  ASSERT_EQ(hanging.messages.size(), 1u);
  EXPECT_EQ(hanging.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  for (const std::string& said : {hanging.messages[0].text, LogMessages().back()})
    EXPECT_NE(said.find("did not finish within 60 seconds"), std::string::npos) << said;
}

// A name is given back when nothing was written; a folder set without its "\" works.
TEST_F(Registry, BackupsAreNamedAndNeverReplaceEachOther) {
  modMain::SetClockOverride(SYSTEMTIME{2009, 2, 0, 1, 9, 7, 3, 0});
  auto command = [](const std::string& file) { return "regedit /e /s \"" + file + "\" \"" + kExtFull + "\""; };
  const std::string name = Backup() + "01-02-09_090703";
  modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "");
  EXPECT_EQ(Ini("Paths", "Registry_Backup"), Backup());
  ASSERT_EQ(ui_.commands, Lines{command(name + ".reg")});
  {
    HangingSeam hanging;  // started, never finished, nothing written
    modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "", false);
    modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "", false);
    EXPECT_EQ(hanging.waits, (std::vector<DWORD>{0, 0}));
    EXPECT_EQ(hanging.commands, (Lines{command(name + " (2).reg"), command(name + " (3).reg")}));
  }
  EXPECT_EQ(testkit::Files(Backup()).size(), 3u);
  ui_.launchError = ERROR_NOT_ENOUGH_MEMORY;
  modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "", false);
  ui_.launchError = 0;
  ui_.passThrough.clear();
  modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "");
  EXPECT_EQ(testkit::Files(Backup()).size(), 3u);
  EXPECT_EQ(ui_.commands.size(), 3u);

  ui_.passThrough = {"regedit"};
  CreateDirectoryA(In("Saved").c_str(), nullptr);
  modSettings::WriteINI(modMain::kTitle, "Paths", "Registry_Backup", In("Saved"));
  std::string first, second;
  EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "My Ext", true, &first));
  testkit::RegSetDword(HKCU, kExtPath, "Contexts", 0x22);
  EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::Backup, kExtFull, "My Ext", true, &second));
  EXPECT_EQ(first + "|" + second, In("Saved\\My Ext.reg") + "|" + In("Saved\\My Ext (2).reg"));
  const Lines log = LogMessages();
  EXPECT_EQ(Lines(log.end() - 2, log.end()),
            (Lines{"Exporting [ " + kExtFull + " ] to [ " + In("Saved\\My Ext (2)") + " ]",
                   "Through the registry editor [ " + command(second) + " ]"}));
  EXPECT_NE(ReadAll(first).find(testkit::Utf16("\"Contexts\"=dword:00000031")), std::string::npos);  // not replaced
}

// HasEditorHeader: false when importable as it is; FixRegFileHeader fixes it and ends lines in CR LF.
TEST_F(Registry, TheRegistryFileHeaderTestAndFix) {
  const struct { std::string content; bool importable; const char* fixed = nullptr; } cases[] = {
      {"\r\n\r\nWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=\"b\"\r\n\r\n", false,
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=\"b\"\r\n\r\n"},
      {"Windows Registry Editor Version 5.00\r\n[k]", false, "REGEDIT4\r\n[k]\r\n"},
      {"Windows Registry Editor Version 4.00\r\"Windows Registry Editor Version\"=\"a\nb\"\n", false,
       "REGEDIT4 4.00\r\n\"REGEDIT4\"=\"a\nb\"\n\r\n"},
      {"\r\r\n\r", true, "\r\n"}, {"WINDOWS REGISTRY EDITOR VERSION 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n", false,
       "WINDOWS REGISTRY EDITOR VERSION 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n"},  // left as it is
      {"\r\n\r\nREGEDIT4\r\n; windows registry editor version\r\n", false},
      {"Windows Registry Editor\r\nVersion 5.00\r\n", true},  // a line break is not a blank
      {"\xff\xfe" + testkit::Utf16("Windows Registry Editor Version 5.00\r\n"), true}, {"", true},
  };
  for (const auto& c : cases) {
    WriteAll(In("t.reg"), c.content);
    EXPECT_NE(modReg::HasEditorHeader(In("t.reg")), c.importable) << c.content;
    if (!c.fixed) continue;
    modReg::FixRegFileHeader(In("t.reg"));
    EXPECT_EQ(ReadAll(In("t.reg")), c.fixed);
  }
  EXPECT_TRUE(ui_.messages.empty());

  // A missing file is not made; one held open by another program is left as it was.
  const std::string missing = In("missing.reg"), locked = In("in use.reg");
  const std::string content = "\r\nWindows Registry Editor Version 5.00\r\n";
  modReg::FixRegFileHeader(missing);  // reported, and no file made
  EXPECT_FALSE(modReg::HasEditorHeader(missing));
  EXPECT_FALSE(testkit::Exists(missing));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_NE(ui_.messages[0].text.find(missing), std::string::npos);
  WriteAll(locked, content);
  HANDLE other = CreateFileA(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(modReg::HasEditorHeader(locked));
  modReg::FixRegFileHeader(locked);
  CloseHandle(other);
  EXPECT_EQ(ReadAll(locked), content);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_NE(ui_.messages[2].text.find(locked), std::string::npos);
  EXPECT_EQ(ui_.messages[2].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_NE(LogMessages().back().find(locked), std::string::npos);
}

// Exported in-process, every kind of value comes back intact through either import.
TEST_F(Registry, InProcessFilesAreTheEditorsOwn) {
  const std::string top = std::string(kScratch) + "\\Kinds", full = "HKEY_CURRENT_USER\\" + top;
  const auto w = [](const std::wstring& text) { return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2); };
  const std::wstring z(1, L'\0'), sub = L"\\Sub\\Deeper";
  const struct { std::wstring key, name; DWORD type; std::string data; } values[] = {
      {L"", L"", REG_SZ, w(L"C:\\Pack\\x.htm" + z)}, {L"", L"Say \"hi\\ a=b", REG_SZ, w(L"\"q\" C:\\ =" + z)},
      {L"", L"\u041f\u0440\u0438\u0432\u0435\u0442", REG_SZ, w(L"\u043c\u0438\u0440 \u4e16\u754c" + z)},
      {L"", L"expand", REG_EXPAND_SZ, w(L"%TEMP%\\x" + z)}, {L"", L"multi", REG_MULTI_SZ, w(L"a" + z + L"bc" + z + z)},
      {L"", L"dword", REG_DWORD, "\x78\x56\x34\x12"}, {L"", L"qword", REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"},
      {L"", L"binary", REG_BINARY, std::string(100, '\xa5')}, {L"", L"none", REG_NONE, ""}, {L"", L"odd", 0x20000, "\x01"},
      {L"", std::wstring(60, L'n'), REG_BINARY, std::string(30, 'Z')},  // a long name moves the first break
      {sub, L"", REG_BINARY, ""}, {sub, L"empty", REG_SZ, ""},  // text that the editor's own export would alter
      {sub, L"lines", REG_SZ, w(L"a\r\nb" + z)}, {sub, L"unended", REG_SZ, w(L"no NUL")},
      {sub, L"inner NUL", REG_SZ, w(L"a" + z + L"b" + z)}, {sub, L"short dword", REG_DWORD, "\x01\x02"},
  };
  for (const auto& v : values) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKCU, (win::Widen(top) + v.key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()), DWORD(v.data.size()));
    RegCloseKey(key);
  }
  const auto tree = [&] {
    const auto keys = modReg::ReadKeyTree(full);
    return keys ? modReg::Version5Text(*keys) : "unreadable";
  };
  const std::string before = tree(), ours = In("ours.reg");
  ASSERT_NE(before.find(w(L"[" + win::Widen(full) + L"\\Sub]\r\n\r\n[")), std::string::npos);
  ui_.launchError = modReg::kElevationRequired;
  EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::ExportTo, full, ours));
  for (const bool editor : {false, true}) {
    if (editor) modReg::TryRegistryEditorAgain(), ui_.launchError = 0;
    testkit::RegDeleteTree(HKCU, top);
    EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::Import, ours, ""));
    EXPECT_EQ(tree(), before) << (editor ? "the registry editor" : "in-process");
  }
  EXPECT_EQ(ui_.commands.size(), 2u);  // the first export, then the editor's import

  ui_.launchError = modReg::kElevationRequired;
  WriteAll(In("edits.reg"), "REGEDIT4\r\n\r\n[-" + full + "\\Sub]\r\n\r\n[HKCU\\" + top +
                                "]\r\n\"dword\"=-\r\n; a comment\r\n@=\"\xe9t\xe9\"\r\n\"added\" = hex(2):25,\\\r\n  00\r\n");
  EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::Import, In("edits.reg"), ""));
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, top + "\\Sub"));
  EXPECT_EQ(Query("", top) + Query("added", top) + Query("dword", top), "\xe9t\xe9/1%/2/0");

  modReg::TryRegistryEditorAgain();
  ui_.launchError = 0;
  EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::ExportTo, full, In("theirs.reg")));
  ui_.launchError = modReg::kElevationRequired;
  EXPECT_TRUE(modReg::RunRegedit(modReg::Regedit::ExportTo, full, ours));
  EXPECT_EQ(ReadAll(ours), ReadAll(In("theirs.reg")));
  EXPECT_NE(ReadAll(ours).find(w(L"\"" + std::wstring(60, L'n') + L"\"=hex:5a,5a,5a,5a,\\\r\n  5a,")), std::string::npos);
  EXPECT_TRUE(ui_.messages.empty());

  // A policy that blocks the editor: not tried at all.
  const std::string policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
  testkit::RegistryKeyGuard policy(HKCU, policies);
  testkit::RegSetDword(HKCU, policies, "DisableRegistryTools", 1);
  modReg::TryRegistryEditorAgain();
  ui_.launchError = 0;
  const size_t commands = ui_.commands.size();
  WriteAll(In("other.reg"), "REGEDIT4\r\n\r\n[HKCU\\" + top + "\\New]\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\NIMO]\r\n");
  EXPECT_FALSE(modReg::RunRegedit(modReg::Regedit::Import, In("other.reg"), ""));
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, top + "\\New"));
  EXPECT_EQ(ui_.commands.size(), commands);
  EXPECT_EQ(ui_.Texts(), Lines{"The registry file " + In("other.reg") + " could not be imported whole without the registry "
                               "editor: it writes HKEY_LOCAL_MACHINE\\Software\\NIMO, which only the registry editor may change"});
}

// A key named with a quote beside the key its unescaped name would reach.
TEST_F(Registry, ABackupCountsOnlyWhenItHoldsTheKeyWhole) {
  const std::string quotePath = std::string(kScratch) + "\\Q\"x", quoteFull = "HKEY_CURRENT_USER\\" + quotePath;
  const std::string otherFull = "HKEY_CURRENT_USER\\" + std::string(kScratch) + "\\Qx";
  testkit::RegSetString(HKCU, std::string(kScratch) + "\\Qx", "", "the other key");
  testkit::RegSetString(HKCU, quotePath, "", "C:\\Pack\\q.htm");
  testkit::RegSetDword(HKCU, quotePath, "Contexts", 0x22);
  testkit::RegSetRaw(HKCU, quotePath, "Bytes", REG_BINARY, std::string("\0\x01\xff", 3));
  testkit::RegSetRaw(HKCU, quotePath, "Big", REG_BINARY, std::string(100000, '\x5a'));
  testkit::RegSetDword(HKCU, quotePath + "\\Sub", "Inner", 7);

  std::string file, why;
  ASSERT_TRUE(modMain::BackUpKey(nullptr, quoteFull, "Q_x", file, why)) << why;
  EXPECT_EQ(file, Backup() + "Q_x.reg");
  EXPECT_EQ(ui_.commands.back(), "regedit /e /s \"" + file + "\" \"HKEY_CURRENT_USER\\" + kScratch + "\\Q\\\"x\"");

  // The key read once and given key by key: the editor's file holds exactly what was read.
  modReg::RegFileCopy copy;
  std::vector<modReg::RegFileKey> keys;
  modReg::ReadKeyTree(quoteFull, keys);
  for (const modReg::RegFileKey& key : keys) copy.Add(key);
  EXPECT_TRUE(copy.Prove(file, &why)) << why;

  // Cut short, of another key, or missing a subkey or value added since: not a backup.
  const std::string whole = ReadAll(file);
  for (size_t cut : {whole.size() / 4, whole.size() / 2, whole.size() * 3 / 4, whole.size() - 11}) {
    WriteAll(file, whole.substr(0, cut));
    EXPECT_FALSE(modReg::ProveBackup(file, quoteFull, &why) || copy.Prove(file, &why)) << cut;
  }
  WriteAll(file, whole);
  EXPECT_FALSE(modReg::ProveBackup(file, otherFull, &why));  // the unescaped name's key
  testkit::RegCreate(HKCU, quotePath + "\\Sub\\Since");
  EXPECT_FALSE(modReg::ProveBackup(file, quoteFull, &why));
  EXPECT_EQ(why, "the file written does not hold the key " + quoteFull + "\\Sub\\Since");
  testkit::RegDeleteTree(HKCU, quotePath + "\\Sub\\Since");
  testkit::RegSetDword(HKCU, quotePath, "Flags", 1);
  EXPECT_FALSE(modReg::ProveBackup(file, quoteFull, &why));
  EXPECT_EQ(why, "the file written does not hold every value of " + quoteFull);
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
