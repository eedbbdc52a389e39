// MenuExt read into the model: odd keys and values, thousands of keys, odd program folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "app/frmMain.h"
#include "base/Identity.h"
#include "base/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "registry/Pack.h"

namespace {

using namespace testkit;

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

class Robustness : public testkit::ProgramStartTest {
 protected:
  void SetUp() override {
    ProgramStartTest::SetUp();
    if (HasFatalFailure()) return;
    testkit::RegDeleteTree(HKCU, kMenuExt);
    testkit::RegCreate(HKCU, kMenuExt);
  }
  bool Start() {  // a new run: the last one's window, and with it its instance mutex, goes first
    program_.reset();
    modMain::CurrentView = modMain::View::None;
    return ProgramStartTest::Start();
  }
  size_t Count(const std::string& lead) const {
    return std::count_if(seam_.messages.begin(), seam_.messages.end(),
                         [&](const testkit::ShownMessage& shown) { return shown.text.rfind(lead, 0) == 0; });
  }
  modMain::Extensions model_;
};

// The default value is the file only when text; Contexts and Flags as hex or "None".
TEST_F(Robustness, OddNamesAndEveryValueTypeReadIntoTheModelAndOperationsTakeThemSafely) {
  const std::string ext = In("ext.htm"), z(1, '\0'), page = "res://" + ext + "/page.htm", gone = In("gone.htm");
  WriteAll(ext, "x");
  WriteAll(In("multi.htm"), "m");
  const DWORD kUnset = ~0u;
  // Each name, its default value and its numbers by type and bytes; what they read as.
  const struct {
    std::string name; DWORD pathType; std::string pathBytes; DWORD numberType; std::string numberBytes, path, number; bool exists;
  } keys[] = {
      {"&Amp", REG_SZ, ext + z, REG_DWORD, Dword(63), ext, "3F", true},
      {"a/../../escape", REG_SZ, page + z, REG_SZ, "34" + z, page, "22", true},  // a page inside the file
      {"..", REG_SZ, ext + z, REG_DWORD, Dword(1), ext, "1", true},
      {".", REG_SZ, gone + z, REG_SZ, "abc" + z, gone, "None", false},
      {"  lead ", REG_SZ, ext + z, REG_DWORD, Dword(0xFFFFFFFF), ext, "FFFFFFFF", true},
      {"\xE9t\xE9", REG_SZ, ext + z, kUnset, "", ext, "None", true},
      {"t expand", REG_EXPAND_SZ, "%NIMO_NOWHERE%\\ext.htm" + z, REG_EXPAND_SZ, "34" + z, "%NIMO_NOWHERE%\\ext.htm", "22", false},
      {"t binary", REG_BINARY, "\x01\x02*", REG_BINARY, Dword(0x22), "", "None", false},
      {"t dword", REG_DWORD, Dword('*'), REG_DWORD, Dword(0x22), "", "22", false},
      {"t qword", REG_QWORD, Dword('*') + Dword(0), REG_QWORD, Dword(0x22) + Dword(0), "", "None", false},
      {"t multi", REG_MULTI_SZ, In("multi.htm") + z + "second" + z + z, REG_MULTI_SZ, "34" + z + z, In("multi.htm"), "22", true},
      {"t none", REG_NONE, "ab", REG_NONE, "34", "", "None", false},
      {"t zero", REG_SZ, "", REG_DWORD, "", "", "None", false}, {"t bare", kUnset, "", kUnset, "", "", "None", false},
      {"t long", REG_SZ, In(std::string(300, 'x') + ".htm") + z, kUnset, "", "", "None", false},
  };
  for (const auto& key : keys) {
    testkit::RegCreate(HKCU, kMenuExt + "\\" + key.name);
    if (key.pathType != kUnset) testkit::RegSetRaw(HKCU, kMenuExt + "\\" + key.name, "", key.pathType, key.pathBytes);
    for (const char* value : {"Contexts", "Flags"})
      if (key.numberType != kUnset) testkit::RegSetRaw(HKCU, kMenuExt + "\\" + key.name, value, key.numberType, key.numberBytes);
  }
  testkit::RegSetDword(HKCU, kMenuExt + "\\&Amp", "Flags", 0);
  const std::string longName(250, 'L');
  for (const std::wstring& name : {std::wstring(L"\u10D0x"), std::wstring(250, L'L')}) testkit::SetMenuExtKeyW(name, ext);
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
  modMain::LoadInstalled(model_, modMain::Reader::Main);
  modMain::LoadInstalled(model_, modMain::Reader::Wizard);

  const size_t count = std::size(keys) + 2;
  ASSERT_EQ(model_.Installed.size(), count);
  const auto entry = [&](const std::string& name) { return Entry(model_.Installed, name); };
  for (const auto& key : keys) {
    const modMain::InstalledExtension e = entry(key.name);
    EXPECT_EQ(e.Name + "|" + e.Path + "|" + e.Contexts + "|" + e.Flags,
              (key.name == "  lead " ? "lead" : key.name) + "|" + key.path + "|" + key.number + "|" +
                  (key.name == "&Amp" ? "0" : key.number));
    EXPECT_TRUE(e.Opened) << key.name;
    EXPECT_TRUE(e.Exact) << key.name;
    EXPECT_EQ(e.FileExists, key.exists) << key.name;
  }
  EXPECT_TRUE(entry(longName).Exact);
  EXPECT_EQ(entry(longName).Path, ext);
  const auto outside = std::find_if(model_.Installed.begin(), model_.Installed.end(),
                                    [](const modMain::InstalledExtension& e) { return !e.Exact; });
  ASSERT_NE(outside, model_.Installed.end());
  EXPECT_EQ(outside->Name + "|" + outside->Path, "?x|" + ext);  // read from the key itself
  const auto log = testkit::LogMessages();
  for (const auto& [line, times] : std::vector<std::pair<std::string, long>>{
           {std::to_string(count) + " extensions found", 1}, {"Verifying [ " + page + " ] exists", 1},
           {"[ " + gone + " ] does not exist", 1}, {"[ Not Found ] does not exist", 7},
           {"Unable to retrieve registry value for: t binary", 4}})  // both values, both loads
    EXPECT_EQ(std::count(log.begin(), log.end(), line), times) << line;

  // Every key but the one outside the code page and one not opened (made by hand).
  seam_.passThrough = {"regedit"};
  std::vector<modMain::InstalledExtension> all = model_.Installed;
  all.emplace_back();
  testkit::TempFolder out;
  seam_.folders = {out.path(), out.path()};
  std::string status;  // twice: the second time beside the first files, never over them
  for (int i = 0; i < 2; ++i) modMain::ExportAll(nullptr, all, [&](const std::wstring& line) { status = win::Narrow(line); });
  EXPECT_EQ(status, std::to_string(count - 1) + " of " + std::to_string(count + 1) + " extensions exported to " + out.path() + "\\");
  EXPECT_EQ(testkit::Files(out.path()).size(), 2 * (count - 1));
  EXPECT_TRUE(HoldsKey(out / "a_.._.._escape (2).reg", kFull + "a/../../escape"));
  EXPECT_TRUE(HoldsKey(out / (longName.substr(0, 200) + ".reg"), kFull + longName));
  EXPECT_EQ(seam_.Texts(), Lines(2, "These extensions could not be exported to " + out.path() + "\\:\r\n\r\n?x" +
                                        modReg::kOutsideCodePageMark));
  // Disabled: an odd name backed up under its safe name and deleted; a key not opened refused.
  EXPECT_TRUE(modMain::DisableExtension(nullptr, entry("a/../../escape")));
  EXPECT_EQ(testkit::Files(In("Reg_Backup")), std::set<std::string>{"a_.._.._escape.reg"});
  EXPECT_TRUE(HoldsKey(In("Reg_Backup\\a_.._.._escape.reg"), kFull + "a/../../escape"));
  EXPECT_FALSE(modMain::DisableExtension(nullptr, modMain::InstalledExtension{}));
  EXPECT_EQ(seam_.Texts().back(), "[ Not Found ] is not an extension key under MenuExt\r\n\r\nNothing was exported or deleted.");
  modMain::LoadInstalled(model_, modMain::Reader::Wizard);
  EXPECT_EQ(model_.Installed.size(), count - 1);
}

// Neither the program's folder nor local application data can hold a file.
TEST_F(Robustness, NoFolderForTheDataIsSaidOnceAndADisableRefusesWithOneMessage) {
  const std::string shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  testkit::RegistryKeyGuard guard(HKCU, shellFolders);
  testkit::RegSetString(HKCU, shellFolders, "Local AppData", In("blocker\\Local"), REG_EXPAND_SZ);
  WriteAll(In("blocker"), "a file where a folder would be");
  WriteAll(In("mine.htm"), "x");
  testkit::RegSetString(HKCU, kMenuExt + "\\Mine", "", In("mine.htm"));
  modMain::SetAppPathOverride(In("blocker\\NIMO"));
  ASSERT_TRUE(Start());
  main_->Command(IDM_mnuRefresh);
  testkit::UntilRead(*main_);
  ASSERT_EQ(seam_.messages.size(), 1u) << ::testing::PrintToString(seam_.Texts());
  EXPECT_EQ(Count("Zandor Extension Pack cannot keep its settings, log and backups: the program's folder " + In("blocker\\NIMO") +
                  " cannot be written (" + modMain::SystemErrorText(ERROR_PATH_NOT_FOUND) + "), and the shell names no "), 1u)
      << seam_.Texts()[0];
  modMain::LoadInstalled(model_, modMain::Reader::Wizard);
  ASSERT_EQ(model_.Installed.size(), 1u);
  modMain::DisableExtension(nullptr, model_.Installed[0]);
  ASSERT_EQ(seam_.messages.size(), 2u) << ::testing::PrintToString(seam_.Texts());
  EXPECT_EQ(Count("The key of [ Mine ] could not be backed up: the program has no folder it can write (the program's folder"), 1u)
      << seam_.Texts()[1];
  EXPECT_TRUE(testkit::RegKeyExists(HKCU, kMenuExt + "\\Mine"));
  EXPECT_EQ(testkit::Files(folder_.path()), (std::set<std::string>{"blocker", "mine.htm"}));
}

// A folder named with "void " (refused in extension paths), Registry_Backup past 154 characters.
TEST_F(Robustness, AProgramFolderOfAnyNameAndLengthKeepsItsOwnFilesAndPaths) {
  std::string program = In("Avoid me");
  CreateDirectoryA(program.c_str(), nullptr);
  program += "\\" + std::string(150 - program.size() - 1, 'p');
  ASSERT_TRUE(CreateDirectoryA(program.c_str(), nullptr));
  modMain::SetAppPathOverride(program);
  const std::string pack = program + "\\pack\\";
  for (const char* folder : {"", "Reg_Files", "Reg_Files\\Translators"}) CreateDirectoryA((pack + folder).c_str(), nullptr);
  WriteAll(pack + "Reg_Files\\Translators\\tGoogle.txt", "REGEDIT4\r\n");
  testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(seam_.messages.empty()) << seam_.messages[0].text;
  EXPECT_EQ(modReg::RegistryBackupFolder(), program + "\\Reg_Backup\\");
  EXPECT_EQ(modSettings::LanguageFile(), program + "\\en.lng");
  EXPECT_EQ(modSettings::Setting("Settings", "Lang", "").size(), modSettings::kMaxValue);  // other reads stay cut
  modMain::LoadCatalog(model_, modMain::Reader::Wizard);
  ASSERT_EQ(model_.CatalogCount, 47);
  for (const modMain::CatalogEntry& entry : model_.Catalog)
    EXPECT_EQ(entry.RegFileExists, entry.RegFile == pack + "Reg_Files\\Translators\\tGoogle.reg") << entry.RegFile;

  const std::string edited = ReadAll(program + "\\NIMO_Ext.ini") + ";a local note\r\n";
  WriteAll(program + "\\NIMO_Ext.ini", edited);
  const std::string tooLong = program + "\\" + std::string(120, 'e') + "\\";
  modSettings::WriteINI("", "Paths", "Extension_Backup", tooLong);
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(program + "\\NIMO_Ext.ini"), edited);
  EXPECT_EQ(Count("These settings in " + program + "\\NIMO.ini hold paths longer than"), 1u);
  EXPECT_NE(seam_.Texts().back().find("\r\nPaths/Extension_Backup: " + tooLong + "\r\n"), std::string::npos);
  main_->Command(IDM_mnuAppLog);
  EXPECT_EQ(seam_.commands.back(), "notepad " + program + "\\Logs\\applog.log");
}

TEST_F(Robustness, APackWithoutRegistryFilesMarksEveryEntryAndEnablingSaysTheFileIsMissing) {
  testkit::RemoveTree(pack_ / "Reg_Files");
  ASSERT_TRUE(Start());
  EXPECT_EQ(seam_.Texts(), Lines{"Zandor Extension Pack could not verify the location of the extensions registry files"});
  modMain::LoadCatalog(model_, modMain::Reader::Wizard);
  ASSERT_EQ(model_.CatalogCount, 47);
  EXPECT_FALSE(modMain::EnableExtension(main_->Handle(), model_.Catalog[5]));
  EXPECT_EQ(seam_.Texts().back(), win::Narrow(modMain::MissingFileText(L"Unable to import extension.", model_.Catalog[5].RegFile)));
  for (const std::string& command : seam_.commands) EXPECT_EQ(command.rfind("regedit /s", 0), std::string::npos);
  EXPECT_FALSE(Exists(pack_ / "Reg_Files"));
  EXPECT_EQ(modSettings::Setting("Paths", "NIMO_Reg_Files", "<none>"), "<none>");
}

}  // namespace
