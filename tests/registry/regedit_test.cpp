#include <gtest/gtest.h>

#include "app/App.h"
#include "inventory/modReg.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "log/modLog.h"
#include "operations/modRegedit.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using testkit::LogMessages;
using testkit::ReadAll;
using testkit::WriteAll;

namespace {

constexpr char kScratch[] = "Software\\NIMO Test Scratch";
const std::string kExtPath = std::string(kScratch) + "\\My Ext";
const std::string kExtFull = "HKEY_CURRENT_USER\\" + kExtPath;
const HKEY HKCU = HKEY_CURRENT_USER;

class Regedit : public testkit::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ui_.passThrough = {"regedit"};
    testkit::RegSetString(HKCU, kExtPath, "", In("ext.htm"));
    testkit::RegSetDword(HKCU, kExtPath, "Contexts", 0x31);
  }
  std::string Backup() const { return In("Reg_Backup\\"); }
  testkit::RegistryKeyGuard guard_{HKCU, kScratch};
  testkit::ScriptedSeam ui_;
};

TEST(RegeditNames, ArgumentsAreQuotedAsThePlatformReadsThemBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Reg Backup\\a.reg", "\"C:\\Reg Backup\\a.reg\""},
      {"HKEY_CURRENT_USER\\MenuExt\\Q\"x", "\"HKEY_CURRENT_USER\\MenuExt\\Q\\\"x\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},  // a backslash before a quote doubles
      {"ends in\\", "\"ends in\\\\\""},  // and so does one before the closing quote
      {"\"", "\"\\\"\""},
  };
  for (const auto& [text, quoted] : cases) EXPECT_EQ(modReg::Quoted(text), quoted) << text;
}

// An editor that is still running when the wait ends.
class HangingSeam : public testkit::ScriptedSeam {
 public:
  win::LaunchResult Launch(const std::string& commandLine, int, DWORD waitMs) override {
    commands.push_back(commandLine);
    waits.push_back(waitMs);
    return {true, 0, false, 0};
  }
  std::vector<DWORD> waits;
};

// In every mode an editor that cannot start is reported; one that does not finish
// within the minute too, and in the log.
TEST_F(Regedit, AnEditorThatCannotStartOrDoesNotFinishIsReported) {
  ui_.failLaunch = true;
  modReg::RunRegedit(1, In("x.reg"), "");
  modReg::RunRegedit(2, kExtFull, "");
  modReg::RunRegedit(3, kExtFull, In("y.reg"));
  EXPECT_EQ(ui_.commands.size(), 3u);
  ASSERT_EQ(ui_.messages.size(), 3u);
  for (const testkit::ShownMessage& shown : ui_.messages) {
    EXPECT_EQ(shown.text, "2 - " + modMain::SystemErrorText(ERROR_FILE_NOT_FOUND) + "\r\n\r\nSource: prjNIMO");
    EXPECT_EQ(shown.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  }
  HangingSeam hanging;
  modMain::DeleteLog();
  modReg::RunRegedit(1, In("x.reg"), "");
  EXPECT_EQ(hanging.waits, std::vector<DWORD>{60000});
  ASSERT_EQ(hanging.messages.size(), 1u);
  EXPECT_NE(hanging.messages[0].text.find("did not finish within 60 seconds"), std::string::npos);
  EXPECT_EQ(hanging.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(LogMessages().size(), 2u);
  EXPECT_NE(LogMessages().back().find("did not finish within 60 seconds"), std::string::npos);
}

// Unnamed backups take the clock's name in the default folder (stored as the setting);
// backups of one name keep apart, even while the editor is still writing, and a name
// taken for an editor that did not start or wrote nothing is given back. Named ones go
// below the folder set, which needs no trailing "\".
TEST_F(Regedit, BackupsAreNamedAndNeverReplaceEachOther) {
  modMain::SetClockOverride(SYSTEMTIME{2009, 2, 0, 1, 9, 7, 3, 0});
  ASSERT_FALSE(testkit::Exists(Backup()));
  auto command = [](const std::string& file) { return "regedit /e /s \"" + file + "\" \"" + kExtFull + "\""; };
  const std::string name = Backup() + "01-02-09_090703";
  modReg::RunRegedit(2, kExtFull, "");
  EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Paths", "Registry_Backup", ""), Backup());
  ASSERT_EQ(ui_.commands, std::vector<std::string>{command(name + ".reg")});
  const std::string exported = ReadAll(name + ".reg");
  ASSERT_EQ(exported.substr(0, 2), "\xff\xfe");
  EXPECT_NE(exported.find(testkit::Utf16("[" + kExtFull + "]")), std::string::npos);
  EXPECT_NE(exported.find(testkit::Utf16("\"Contexts\"=dword:00000031")), std::string::npos);
  {
    HangingSeam hanging;  // started, never finished, nothing written
    modReg::RunRegedit(2, kExtFull, "", false);
    modReg::RunRegedit(2, kExtFull, "", false);
    EXPECT_EQ(hanging.waits, (std::vector<DWORD>{0, 0}));
    EXPECT_EQ(hanging.commands, (std::vector<std::string>{command(name + " (2).reg"), command(name + " (3).reg")}));
    EXPECT_TRUE(hanging.messages.empty());
  }
  EXPECT_EQ(testkit::ListFolder(Backup()).size(), 3u);
  ui_.failLaunch = true;
  modReg::RunRegedit(2, kExtFull, "", false);
  ui_.failLaunch = false;
  ui_.passThrough.clear();
  modReg::RunRegedit(2, kExtFull, "");
  EXPECT_EQ(testkit::ListFolder(Backup()).size(), 3u);
  EXPECT_EQ(ui_.commands.size(), 3u);

  ui_.passThrough = {"regedit"};
  CreateDirectoryA(In("Saved").c_str(), nullptr);
  modSettings::WriteINI(modMain::kTitle, "Paths", "Registry_Backup", In("Saved"));
  std::string first, second;
  EXPECT_TRUE(modReg::RunRegedit(2, kExtFull, "My Ext", true, &first));
  testkit::RegSetDword(HKCU, kExtPath, "Contexts", 0x22);
  EXPECT_TRUE(modReg::RunRegedit(2, kExtFull, "My Ext", true, &second));
  EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Paths", "Registry_Backup", ""), In("Saved"));
  EXPECT_EQ(first + "|" + second, In("Saved\\My Ext.reg") + "|" + In("Saved\\My Ext (2).reg"));
  EXPECT_EQ(LogMessages().back(), "Exporting [ " + kExtFull + " ] to [ " + In("Saved\\My Ext (2)") + " ]");
  EXPECT_NE(ReadAll(first).find(testkit::Utf16("\"Contexts\"=dword:00000031")), std::string::npos);
  EXPECT_NE(ReadAll(second).find(testkit::Utf16("\"Contexts\"=dword:00000022")), std::string::npos);
}

TEST_F(Regedit, ABackupFolderThatCannotBeCreatedExportsNothing) {
  WriteAll(In("taken"), "a file where the folder should be");
  for (const std::string& folder : {In("no parent\\Backups"), In("taken")}) {
    modSettings::WriteINI(modMain::kTitle, "Paths", "Registry_Backup", folder);
    ui_.messages.clear();
    modReg::RunRegedit(2, kExtFull, "My Ext");
    ASSERT_EQ(ui_.messages.size(), 1u) << folder;
    EXPECT_NE(ui_.messages[0].text.find(folder + "\\"), std::string::npos) << ui_.messages[0].text;
    EXPECT_EQ(ui_.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_NE(LogMessages().back().find(folder + "\\"), std::string::npos);
  }
  EXPECT_TRUE(ui_.commands.empty());
}

// ---------------------------------------------------------------------------
// The header test and fix

// The test finds the header words in any case (mode 2: true when importable as it is);
// the fix (mode 1) writes REGEDIT4 for every occurrence in the original case, keeps
// another version's number, and ends lines in CR LF (CR alone ends one, LF alone not).
TEST_F(Regedit, TheRegistryFileHeaderTestAndFix) {
  const struct {
    std::string content;
    bool importable;
    const char* fixed = nullptr;
  } cases[] = {
      {"\r\n\r\nWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=\"b\"\r\n\r\n", false,
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"A\"=\"b\"\r\n\r\n"},
      {"Windows Registry Editor Version 5.00\r\n[k]", false, "REGEDIT4\r\n[k]\r\n"},
      {"Windows Registry Editor Version 4.00\r\"Windows Registry Editor Version\"=\"a\nb\"\n", false,
       "REGEDIT4 4.00\r\n\"REGEDIT4\"=\"a\nb\"\n\r\n"},
      {"\r\r\n\r", true, "\r\n"},
      {"WINDOWS REGISTRY EDITOR VERSION 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n", false,
       "WINDOWS REGISTRY EDITOR VERSION 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n"},  // left as it is
      {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n", true},
      {"\r\n\r\nREGEDIT4\r\n; windows registry editor version\r\n", false},
      {"Windows Registry Editor\r\nVersion 5.00\r\n", true},  // a line break is not a blank
      {"\xff\xfe" + testkit::Utf16("Windows Registry Editor Version 5.00\r\n"), true},
      {"", true},
  };
  for (const auto& c : cases) {
    WriteAll(In("t.reg"), c.content);
    EXPECT_EQ(modReg::CheckRegFile(2, In("t.reg")), c.importable) << c.content;
    if (!c.fixed) continue;
    EXPECT_FALSE(modReg::CheckRegFile(1, In("t.reg")));
    EXPECT_EQ(ReadAll(In("t.reg")), c.fixed);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Regedit, RegistryFilesThatCannotBeReadOrWrittenAreReportedAndLeftAlone) {
  const std::string missing = In("missing.reg");
  EXPECT_TRUE(modReg::CheckRegFile(2, missing));
  EXPECT_FALSE(modReg::CheckRegFile(1, missing));
  EXPECT_FALSE(testkit::Exists(missing));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_NE(ui_.messages[0].text.find(missing), std::string::npos);

  // Another program holds the file open for reading: it can be read but not rewritten.
  const std::string locked = In("in use.reg");
  const std::string content = "\r\nWindows Registry Editor Version 5.00\r\n";
  WriteAll(locked, content);
  HANDLE other = CreateFileA(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(modReg::CheckRegFile(2, locked));
  EXPECT_FALSE(modReg::CheckRegFile(1, locked));
  CloseHandle(other);
  EXPECT_EQ(ReadAll(locked), content);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_NE(ui_.messages[2].text.find(locked), std::string::npos);
  EXPECT_EQ(ui_.messages[2].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_NE(LogMessages().back().find(locked), std::string::npos);
}

// ---------------------------------------------------------------------------
// Registry files read back

// The keys of a file as one line: "[path]{name=type:data;...}", "-" for removals, text
// data as text ("|" for NUL), other data in hexadecimal; "error" when it is not read.
std::string Render(const std::string& bytes) {
  const auto keys = modReg::ReadRegFile(bytes);
  if (!keys) return "error";
  auto narrow = [](const std::wstring& w) {
    std::string a;
    for (wchar_t c : w) a += c ? static_cast<char>(c) : '|';
    return a;
  };
  std::string out;
  for (const modReg::RegFileKey& key : *keys) {
    out += (key.remove ? "[-" : "[") + narrow(key.path) + "]{";
    for (const modReg::RegFileValue& v : key.values) {
      out += narrow(v.name) + (v.remove ? "=-" : "=" + std::to_string(v.type) + ":");
      if (v.type == REG_SZ || v.type == REG_EXPAND_SZ)
        out += narrow(std::wstring(reinterpret_cast<const wchar_t*>(v.data.data()), v.data.size() / 2));
      else
        for (unsigned char c : v.data) out += "0123456789abcdef"[c >> 4], out += "0123456789abcdef"[c & 15];
      out += ";";
    }
    out += "}";
  }
  return out;
}

TEST(RegFileReader, ReadsBothEncodingsAndRefusesWhatIsCutOff) {
  const std::string body =
      "\r\n[HKEY_CURRENT_USER\\A]\r\n@=\"C:\\\\x.htm\"\r\n\"Contexts\"=dword:00000022\r\n"
      "\"Q\\\"x\" = \"a\\\\\\\"b\"\r\n\"Bin\"=hex:01,02,\\\r\n  03\r\n; a comment\r\n"
      "[-HKEY_CURRENT_USER\\B]\r\n[HKCU\\C]\r\n\"Gone\"=-\r\n";
  const std::string v5 = "Windows Registry Editor Version 5.00\r\n" + body + "\"E\"=hex(2):41,00,00,00\r\n";
  const std::string v4 = "REGEDIT4\r\n" + body + "\"E\"=hex(2):41,00\r\n";
  const std::string read =
      "[HKEY_CURRENT_USER\\A]{=1:C:\\x.htm|;Contexts=4:22000000;Q\"x=1:a\\\"b|;Bin=3:010203;}"
      "[-HKEY_CURRENT_USER\\B]{}[HKCU\\C]{Gone=-;E=2:A|;}";
  const std::string wide = "\xff\xfe" + testkit::Utf16(v5);
  const std::pair<std::string, std::string> cases[] = {
      {wide, read},
      {v4, read},  // ANSI text: hex(2) holds ANSI bytes
      {"\r\nREGEDIT4\r\n", ""},
      {wide.substr(0, wide.size() - 1), "error"},  // ends inside a character
      {v4.substr(0, v4.find("\"C:") + 5), "error"},  // inside a text
      {v4.substr(0, v4.find("  03")), "error"},      // inside a continued list
      {v4.substr(0, v4.find("B]")), "error"},        // inside a key line
      {"REGEDIT4\r\n@=\"no key\"\r\n", "error"},
      {"REGEDIT4\r\n[HKCU\\A]\r\nvalue\r\n", "error"},
      {"REGEDIT5\r\n[HKCU\\A]\r\n", "error"},
      {"", "error"},
  };
  for (const auto& [bytes, expected] : cases) EXPECT_EQ(Render(bytes), expected) << bytes;
}

TEST(RegFileReader, ListsWhatAFileDoesBeyondAddingExtensions) {
  const std::string menuExt = modReg::kMenuExtFull;
  const std::pair<std::string, std::string> cases[] = {
      {"[" + menuExt + "\\New]\r\n@=\"x\"\r\n[" + menuExt + "]\r\n", ""},
      {"[hkcu\\software\\microsoft\\internet explorer\\menuext\\New]\r\n", ""},
      {"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"x\"=\"y\"\r\n",
       "writes HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {"[" + menuExt + "Plus]\r\n", "writes " + menuExt + "Plus"},
      {"[HKEY_LOCAL_MACHINE\\" + std::string(modReg::kMenuExtPath) + "]\r\n",
       "writes HKEY_LOCAL_MACHINE\\" + std::string(modReg::kMenuExtPath)},
      {"[-" + menuExt + "\\Victim]\r\n[" + menuExt + "\\Kept]\r\n\"Flags\"=-\r\n\"Contexts\"=-\r\n",
       "removes " + menuExt + "\\Victim|removes values of " + menuExt + "\\Kept"},
  };
  for (const auto& [keys, expected] : cases) {
    std::string changes;
    for (const std::string& change : modReg::ChangesBeyondMenuExt(*modReg::ReadRegFile("REGEDIT4\r\n" + keys)))
      changes += (changes.empty() ? "" : "|") + change;
    EXPECT_EQ(changes, expected) << keys;
  }
}

// Values of every kind and names that need escaping, in a key whose name holds a quote
// beside a key that the unescaped name would reach.
TEST_F(Regedit, ABackupCountsOnlyWhenItHoldsTheKeyWhole) {
  const std::string quotePath = std::string(kScratch) + "\\Q\"x", quoteFull = "HKEY_CURRENT_USER\\" + quotePath;
  testkit::RegSetString(HKCU, std::string(kScratch) + "\\Qx", "", "the other key");
  testkit::RegSetString(HKCU, quotePath, "", "C:\\Pack\\q.htm");
  testkit::RegSetDword(HKCU, quotePath, "Contexts", 0x22);
  testkit::RegSetString(HKCU, quotePath, "Icon", "%TEMP%\\q.ico", REG_EXPAND_SZ);
  testkit::RegSetRaw(HKCU, quotePath, "Lines", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
  testkit::RegSetRaw(HKCU, quotePath, "Bytes", REG_BINARY, std::string("\0\x01\xff", 3));
  testkit::RegSetRaw(HKCU, quotePath, "Unended", REG_SZ, "no NUL");
  testkit::RegSetString(HKCU, quotePath, "Say \"hi\\", "line\r\nbreak \"quoted\" C:\\");
  testkit::RegSetRaw(HKCU, quotePath, "Big", REG_BINARY, std::string(100000, '\x5a'));
  testkit::RegSetDword(HKCU, quotePath + "\\Sub", "Inner", 7);

  std::string file, why;
  ASSERT_TRUE(modMain::BackUpKey(nullptr, quoteFull, "Q_x", file, why)) << why;
  EXPECT_EQ(file, Backup() + "Q_x.reg");
  EXPECT_EQ(ui_.commands.back(), "regedit /e /s \"" + file + "\" \"HKEY_CURRENT_USER\\" + kScratch + "\\Q\\\"x\"");
  EXPECT_TRUE(testkit::HoldsKey(file, quoteFull));
  EXPECT_FALSE(testkit::HoldsKey(file, std::string("HKEY_CURRENT_USER\\") + kScratch + "\\Qx"));

  // Read back cut short (as by a full disk or a killed editor), of another key, or
  // missing a value added since: not a backup.
  const std::string whole = ReadAll(file);
  const size_t size = whole.size();
  for (size_t cut : {size / 4, size / 2, size * 3 / 4, size - 11}) {
    WriteAll(file, whole.substr(0, cut));
    EXPECT_FALSE(modReg::ProveBackup(file, quoteFull, &why)) << cut;
  }
  WriteAll(file, whole);
  EXPECT_FALSE(modReg::ProveBackup(file, std::string("HKEY_CURRENT_USER\\") + kScratch + "\\Qx", &why));
  EXPECT_NE(why.find("does not hold the key"), std::string::npos) << why;
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
