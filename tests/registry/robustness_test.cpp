// Robustness with the registry: start-up on odd, unwritable and held files, a MenuExt
// key of thousands of extensions with odd names and values of every type, a pack
// without its registry files, and a registry file of two megabytes imported for real.
// What MenuExt and the catalog read as is checked on the model; windows only start up.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <set>

#include "app/App.h"
#include "app/TextRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Model.h"
#include "inventory/modReg.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"
#include "wizard/frmNIMOWizard.h"

namespace {

using testkit::Exists;
using testkit::Files;
using testkit::HoldsKey;
using testkit::Logged;
using testkit::ReadAll;
using testkit::WriteAll;
using Lines = std::vector<std::string>;

const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kMenuExt = modReg::kMenuExtPath;
const std::string kFull = std::string(modReg::kMenuExtFull) + "\\";

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Holds(const std::string& bytes, const std::string& part) { return bytes.find(part) != std::string::npos; }

// Every file below a folder with its bytes, by path relative to it.
void Contents(const std::string& folder, const std::string& prefix, std::map<std::string, std::string>& out) {
  for (const std::string& name : testkit::ListFolder(folder)) {
    const std::string path = folder + "\\" + name;
    if (modMain::FolderExists(path)) Contents(path, prefix + name + "\\", out);
    else out[prefix + name] = ReadAll(path);
  }
}

// The program start of ProgramStartTest with MenuExt empty, and files held open as
// another program would hold them.
class Robustness : public testkit::ProgramStartTest {
 protected:
  void SetUp() override {
    ProgramStartTest::SetUp();
    if (HasFatalFailure()) return;
    testkit::RegDeleteTree(HKCU, kMenuExt);
    testkit::RegCreate(HKCU, kMenuExt);
  }
  void TearDown() override {
    main_.reset();
    for (HANDLE handle : held_) CloseHandle(handle);
    ProgramStartTest::TearDown();
  }
  // A new run: the last one's window, and with it its instance mutex, goes first.
  bool Start() {
    main_.reset();
    modMain::CurrentView = 0;
    return ProgramStartTest::Start();
  }
  // Opens a file as another program would, allowing others only to read it.
  void Hold(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE) << path;
    held_.push_back(handle);
  }

  std::vector<HANDLE> held_;
};

// A badly laid-out catalog (what it reads as: CatalogModel) stops no start-up and is
// not replaced while the version is current.
TEST_F(Robustness, StartupGoesOnWithABadlyLaidOutCatalog) {
  modSettings::WriteINI("", "Settings", "Ver", modMain::VersionText());
  const std::string bad = modMain::ResourceBytes(IDR_CATALOG, "Custom") + "a line without an equals sign\r\n";
  WriteAll(In("NIMO_Ext.ini"), bad);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(main_->Wizard() && main_->Wizard()->IsVisible());
  EXPECT_EQ(main_->lvwAvailable.Count() + main_->Wizard()->lvwAvailable.Count(), 0);
  ASSERT_FALSE(seam_.messages.empty());
  for (const testkit::ShownMessage& shown : seam_.messages)
    EXPECT_EQ(shown.text + "|" + std::to_string(shown.icon()), modSettings::BadIniDescription() + "|48");
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), bad);
}

// ---------------------------------------------------------------------------
// A program folder that cannot be written

size_t Count(const testkit::ScriptedSeam& seam, const std::string& lead) {
  return std::count_if(seam.messages.begin(), seam.messages.end(),
                       [&](const testkit::ShownMessage& shown) { return shown.text.rfind(lead, 0) == 0; });
}

// The program folder is a path through a file: nothing can be created in it.
TEST_F(Robustness, StartupGoesOnInAFolderThatCannotHoldFilesAndSaysWhatFailed) {
  WriteAll(In("blocker"), "a file where a folder would be");
  const std::string program = In("blocker\\NIMO") + "\\";
  modMain::SetAppPathOverride(In("blocker\\NIMO"));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(main_->Wizard() && main_->Wizard()->IsVisible());
  EXPECT_EQ(Count(seam_, "Unable to write the application log " + program + "Logs\\applog.log"), 1u);
  EXPECT_EQ(Count(seam_, "Unable to write the settings file " + program + "NIMO.ini"), 1u);
  for (const std::string& lead : {"Unable to restore the language file " + program + "en.lng",
                                  "Unable to create the folder " + program + "Reg_Backup\\",
                                  "Unable to create the folder " + program + "Ext_Backup\\",
                                  "Unable to restore the list of available extensions:\r\n" + program + "NIMO_Ext.ini",
                                  "Unable to create the registry backup folder " + program + "Reg_Backup\\"})
    EXPECT_GE(Count(seam_, lead), 1u) << lead;
  for (const testkit::ShownMessage& shown : seam_.messages)
    EXPECT_EQ(shown.icon(), static_cast<UINT>(MB_ICONEXCLAMATION)) << shown.text;
  EXPECT_EQ(Files(folder_.path()), std::set<std::string>{"blocker"});
  EXPECT_EQ(ReadAll(In("blocker")), "a file where a folder would be");
}

// A program folder whose name holds "void " (which the rule for extension paths
// rejects) and whose path is long enough that Registry_Backup passes 154 characters:
// the program finds its own files, keeps a local edit of the catalog, and reads its
// path settings whole; a path setting too long for the platform is named at start-up.
TEST_F(Robustness, AProgramFolderOfAnyNameAndLengthKeepsItsOwnFilesAndPaths) {
  std::string program = In("Avoid me");
  CreateDirectoryA(program.c_str(), nullptr);
  program += "\\" + std::string(150 - program.size() - 1, 'p');
  ASSERT_TRUE(CreateDirectoryA(program.c_str(), nullptr));
  modMain::SetAppPathOverride(program);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(seam_.messages.empty()) << seam_.messages[0].text;
  EXPECT_EQ(modReg::RegistryBackupFolder(), program + "\\Reg_Backup\\");
  EXPECT_EQ(modSettings::LanguageFile(), program + "\\en.lng");
  EXPECT_EQ(modSettings::Setting("Settings", "Lang", "").size(), modSettings::kMaxValue);  // other reads stay cut

  const std::string edited = ReadAll(program + "\\NIMO_Ext.ini") + ";a local note\r\n";
  WriteAll(program + "\\NIMO_Ext.ini", edited);
  const std::string tooLong = program + "\\" + std::string(120, 'e') + "\\";
  modSettings::WriteINI("", "Paths", "Extension_Backup", tooLong);
  ASSERT_TRUE(Start());
  EXPECT_EQ(ReadAll(program + "\\NIMO_Ext.ini"), edited);
  EXPECT_EQ(Count(seam_, "These settings in " + program + "\\NIMO.ini hold paths longer than"), 1u);
  EXPECT_TRUE(Holds(seam_.Texts().back(), "\r\nPaths/Extension_Backup: " + tooLong + "\r\n"));
  main_->Command(IDM_mnuAppLog);
  EXPECT_EQ(seam_.commands.back(), "notepad " + program + "\\Logs\\applog.log");

  // The pack in that folder too: its shipped registry file is prepared and found.
  const std::string pack = program + "\\pack\\";
  for (const char* folder : {"", "Reg_Files", "Reg_Files\\Translators"})
    CreateDirectoryA((pack + folder).c_str(), nullptr);
  WriteAll(pack + "Reg_Files\\Translators\\tGoogle.txt", "REGEDIT4\r\n");
  testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack);
  ASSERT_TRUE(Start());
  modMain::Extensions model;
  modMain::LoadCatalog(model, modMain::Reader::Wizard);
  ASSERT_EQ(model.CatalogCount, 47);
  EXPECT_TRUE(Exists(pack + "Reg_Files\\Translators\\tGoogle.reg"));
  for (const modMain::CatalogEntry& entry : model.Catalog)
    EXPECT_EQ(entry.RegFileExists, entry.RegFile == pack + "Reg_Files\\Translators\\tGoogle.reg") << entry.RegFile;
}

// Every file of a set-up program folder is held open by another program that lets
// others only read it, as read-only files are: start-up reads them, every write fails,
// the user hears once of the log and once of the settings, and no file changes.
TEST_F(Robustness, StartupGoesOnWithEveryProgramFileHeldOpenAndChangesNone) {
  ASSERT_TRUE(Start());
  main_.reset();
  ASSERT_TRUE(seam_.messages.empty());
  std::map<std::string, std::string> before, after;
  Contents(folder_.path(), "", before);
  ASSERT_TRUE(before.count("NIMO.ini") && before.count("NIMO_Ext.ini") && before.count("en.lng") &&
              before.count("Logs\\applog.log"));
  for (const auto& file : before) Hold(In(file.first));

  ASSERT_TRUE(Start());
  EXPECT_TRUE(main_->Wizard() && main_->Wizard()->IsVisible());
  EXPECT_EQ(main_->lvwAvailable.Count(), 47);
  main_->Command(IDM_mnuRegBackup);  // a setting changed for this run only
  main_->Command(IDM_mnuRefresh);
  main_->Command(IDM_mnuInstalled);
  const std::string why = "\r\n\r\n" + modMain::SystemErrorText(ERROR_SHARING_VIOLATION) + "\r\n\r\n";
  EXPECT_EQ(seam_.Texts(), (Lines{"Unable to write the application log " + In("Logs\\applog.log") + why +
                                      "The program goes on without it.",
                                  "Unable to write the settings file " + In("NIMO.ini") + why +
                                      "Settings changed while the program runs are not saved."}));
  // Every file is as it was; the only new ones are the list's MenuExt backups.
  Contents(folder_.path(), "", after);
  for (const auto& file : before) EXPECT_EQ(after[file.first], file.second) << file.first;
  for (const auto& file : after)
    EXPECT_TRUE(before.count(file.first) || file.first.rfind("Reg_Backup\\", 0) == 0) << file.first;
}

// ---------------------------------------------------------------------------
// MenuExt

// Read into the model, and shown, in bounded time.
TEST_F(Robustness, FiveThousandExtensionsLoadInOnePass) {
  WriteAll(In("ext.htm"), "x");
  for (DWORD i = 0; i < 5000; ++i) {  // every second one without its file
    const std::string key = kMenuExt + "\\Ext " + std::to_string(i);
    testkit::RegSetString(HKCU, key, "", In(i % 2 ? "gone.htm" : "ext.htm"));
    testkit::RegSetDword(HKCU, key, "Contexts", i);
  }
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
  modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
  main_ = std::make_unique<frmMain>();
  ASSERT_TRUE(main_->Create());

  const auto start = std::chrono::steady_clock::now();
  modMain::Extensions model;
  modMain::LoadInstalled(model, modMain::Reader::Main);
  modMain::LoadCatalog(model, modMain::Reader::Main);
  main_->ShowInstalled(model, modMain::Reader::Main);
  main_->ShowCatalog(model, modMain::Reader::Main);
  const double seconds = SecondsSince(start);

  ASSERT_EQ(model.Installed.size(), 5000u);
  std::set<std::string> seen;
  for (const modMain::InstalledExtension& e : model.Installed) {
    const unsigned long i = std::stoul(e.Name.substr(4));
    char hex[16];
    snprintf(hex, sizeof hex, "%lX", i);
    EXPECT_EQ(e.Path + "|" + e.Contexts, In(i % 2 ? "gone.htm" : "ext.htm") + "|" + hex) << e.Name;
    EXPECT_EQ(e.FileExists, i % 2 == 0) << e.Name;
    EXPECT_EQ(e.Key, kFull + e.Name);
    seen.insert(e.Name);
  }
  EXPECT_EQ(seen.size(), 5000u);
  EXPECT_EQ(main_->lvwInstalled.Count(), 5000);
  EXPECT_EQ(main_->Text(), "Zandor Extension Pack [ 5000 extensions installed ]");
  EXPECT_EQ(main_->lvwAvailable.Count(), 47);
  EXPECT_TRUE(seam_.messages.empty());
  EXPECT_LT(seconds, 60.0);
}

// A key whose default value, Contexts and Flags are all of one type, and how they read.
struct TypedKey {
  std::string name;
  std::pair<DWORD, std::string> path, number;
  std::string pathRead, numberRead;
  bool missing;
};
std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

TEST_F(Robustness, OddNamesAndEveryValueTypeLoadAndAreDisabledDeletedAndExportedSafely) {
  seam_.passThrough = {"regedit"};
  modMain::SetClockOverride(SYSTEMTIME{2027, 2, 1, 1, 9, 7, 3, 0});  // every clock name is 01-02-27_090703
  const std::string clock = "01-02-27_090703";
  WriteAll(In("ext.htm"), "x");
  WriteAll(In("multi.htm"), "m");
  const std::string ext = In("ext.htm"), z(1, '\0');
  const Lines names = {"&Amp", "Look/up", "..", ".", "a/../../escape", "  lead", "\xE9t\xE9"};
  for (const std::string& name : names) {
    testkit::RegSetString(HKCU, kMenuExt + "\\" + name, "", ext);
    testkit::RegSetDword(HKCU, kMenuExt + "\\" + name, "Contexts", 1);
  }
  const std::vector<TypedKey> typed = {
      {"t sz", {REG_SZ, ext + z}, {REG_SZ, "34" + z}, ext, "22", false},
      {"t expand", {REG_EXPAND_SZ, "%NIMO_NOWHERE%\\ext.htm" + z}, {REG_EXPAND_SZ, "34" + z},
       "%NIMO_NOWHERE%\\ext.htm", "22", true},
      {"t binary", {REG_BINARY, "\x01\x02*"}, {REG_BINARY, Dword(0x22)}, "", "None", true},
      {"t dword", {REG_DWORD, Dword('*')}, {REG_DWORD, Dword(0x22)}, "", "22", true},
      {"t qword", {REG_QWORD, Dword('*') + Dword(0)}, {REG_QWORD, Dword(0x22) + Dword(0)}, "", "None", true},
      {"t multi", {REG_MULTI_SZ, In("multi.htm") + z + "second" + z + z}, {REG_MULTI_SZ, "34" + z + z},
       In("multi.htm"), "22", false},
      {"t none", {REG_NONE, "ab"}, {REG_NONE, "34"}, "", "None", true},
      {"t zero", {REG_SZ, ""}, {REG_SZ, ""}, "", "None", true},
      {"t zero dword", {REG_DWORD, ""}, {REG_DWORD, ""}, "", "None", true},
  };
  for (const TypedKey& key : typed) {
    testkit::RegSetRaw(HKCU, kMenuExt + "\\" + key.name, "", key.path.first, key.path.second);
    for (const char* value : {"Contexts", "Flags"})
      testkit::RegSetRaw(HKCU, kMenuExt + "\\" + key.name, value, key.number.first, key.number.second);
  }
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
  modMain::Extensions model;
  modMain::LoadInstalled(model, modMain::Reader::Main);
  auto entry = [&](const std::string& name) {
    for (const modMain::InstalledExtension& e : model.Installed)
      if (e.Key == kFull + name) return e;
    ADD_FAILURE() << "no entry for " << name;
    return modMain::InstalledExtension{};
  };

  ASSERT_EQ(model.Installed.size(), names.size() + typed.size());
  for (const std::string& name : names) {
    const modMain::InstalledExtension e = entry(name);
    EXPECT_EQ(e.Name, text::Trim(name));
    EXPECT_EQ(e.Path + "|" + e.Contexts + "|" + e.Flags, ext + "|1|None") << name;
    EXPECT_TRUE(e.Exact && e.FileExists) << name;
  }
  for (const TypedKey& key : typed) {
    const modMain::InstalledExtension e = entry(key.name);
    EXPECT_EQ(e.Path + "|" + e.Contexts + "|" + e.Flags, key.pathRead + "|" + key.numberRead + "|" + key.numberRead);
    EXPECT_EQ(e.FileExists, !key.missing) << key.name;
  }
  EXPECT_TRUE(Logged("Unable to retrieve registry value for: t binary"));
  EXPECT_TRUE(seam_.messages.empty());

  // Disabled: each key backed up inside the backup folder under its safe name, then deleted.
  for (const char* name : {"Look/up", "a/../../escape", "\xE9t\xE9", "&Amp", "  lead"})
    EXPECT_TRUE(modMain::DisableExtension(nullptr, entry(name))) << name;
  // A name of dots is backed up under the clock; the list's own MenuExt backup in the
  // same second, as the window's reload makes it, does not take its place.
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "1");
  EXPECT_TRUE(modMain::DisableExtension(nullptr, entry("..")));
  modMain::LoadInstalled(model, modMain::Reader::Main);
  for (const char* name : {"Look/up", "a/../../escape", "\xE9t\xE9", "&Amp", "  lead", ".."})
    EXPECT_FALSE(testkit::RegKeyExists(HKCU, kMenuExt + "\\" + name)) << name;
  const std::string backups = In("Reg_Backup\\");
  EXPECT_EQ(Files(backups), (std::set<std::string>{"Look_up.reg", "a_.._.._escape.reg", "\xE9t\xE9.reg", "Amp.reg",
                                                   "lead.reg", clock + ".reg", clock + " (2).reg"}));
  EXPECT_TRUE(HoldsKey(backups + "Look_up.reg", kFull + "Look/up"));
  EXPECT_TRUE(HoldsKey(backups + "a_.._.._escape.reg", kFull + "a/../../escape"));
  EXPECT_TRUE(HoldsKey(backups + "\xE9t\xE9.reg", kFull + "\xE9t\xE9"));
  EXPECT_TRUE(HoldsKey(backups + clock + ".reg", kFull + ".."));
  // The list's own backup is started, not awaited.
  bool listBackup = false;
  for (int i = 0; i < 600 && !(listBackup = HoldsKey(backups + clock + " (2).reg", modReg::kMenuExtFull)); ++i) Sleep(50);
  EXPECT_TRUE(listBackup);
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");

  // Deleted: a key without a file is refused its file with a message; a key whose
  // default is a list of strings has its first one backed up and deleted.
  const std::string sure = "Are you sure you want to delete this extension and the file associated with it?";
  seam_.answers = {IDYES, IDYES};
  modMain::DeleteExtension(nullptr, entry("t dword"));
  EXPECT_EQ(seam_.Texts(), (Lines{sure, "Could not delete the file associated with this extension."}));
  EXPECT_EQ(seam_.messages[0].type & MB_DEFMASK, static_cast<UINT>(MB_DEFBUTTON2));  // No unless Yes is chosen
  EXPECT_TRUE(modMain::DeleteExtension(nullptr, entry("t multi")));
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, kMenuExt + "\\t dword") || testkit::RegKeyExists(HKCU, kMenuExt + "\\t multi"));
  EXPECT_TRUE(HoldsKey(backups + "t dword.reg", kFull + "t dword") && HoldsKey(backups + "t multi.reg", kFull + "t multi"));
  EXPECT_FALSE(Exists(In("multi.htm")));
  EXPECT_EQ(ReadAll(In("Ext_Backup\\multi.htm")), "m");

  // Exported, all and one: every file inside the chosen folder.
  modMain::LoadInstalled(model, modMain::Reader::Wizard);
  testkit::TempFolder out;
  seam_.folders = {out.path()};
  modMain::ExportAll(nullptr, model.Installed, [](const std::string&) {});
  const std::set<std::string> exported = {clock + ".reg", "t sz.reg", "t expand.reg", "t binary.reg", "t qword.reg",
                                          "t none.reg", "t zero.reg", "t zero dword.reg"};
  EXPECT_EQ(Files(out.path()), exported);
  EXPECT_TRUE(HoldsKey(out / (clock + ".reg"), kFull + "."));
  EXPECT_TRUE(HoldsKey(out / "t binary.reg", kFull + "t binary"));
  seam_.files = {out / "chosen.reg"};
  modMain::ExportSelected(nullptr, entry("t qword"));
  EXPECT_EQ(seam_.fileDialogs.back().fileName, "t qword.reg");
  EXPECT_TRUE(HoldsKey(out / "chosen.reg", kFull + "t qword"));
  EXPECT_EQ(Files(out.path()).size(), exported.size() + 1);  // no "file" copied beside it

  EXPECT_EQ(seam_.messages.size(), 3u);  // the two questions and the file-missing message
  EXPECT_EQ(Files(folder_.path()), (std::set<std::string>{"Ext_Backup", "Logs", "NIMO.ini", "Reg_Backup", "ext.htm"}));
}

// ---------------------------------------------------------------------------
// A pack without its registry files: start-up says so once, every entry is marked
// missing, and enabling any of them names its file and runs nothing.

TEST_F(Robustness, APackWithoutRegistryFilesMarksEveryEntryAndEnablingSaysTheFileIsMissing) {
  testkit::RemoveTree(pack_ / "Reg_Files");
  ASSERT_TRUE(Start());
  EXPECT_EQ(seam_.Texts(), Lines{"Zandor Extension Pack could not verify the location of the extensions registry files"});
  seam_.messages.clear();
  modMain::Extensions model;
  modMain::LoadCatalog(model, modMain::Reader::Wizard);
  ASSERT_EQ(model.CatalogCount, 47);
  for (const modMain::CatalogEntry& entry : model.Catalog) {
    EXPECT_FALSE(entry.RegFileExists) << entry.RegFile;
    EXPECT_FALSE(modMain::EnableExtension(main_->Handle(), entry));
    EXPECT_EQ(seam_.Texts().back(), modMain::MissingFileText("Unable to import extension.", entry.RegFile));
  }
  EXPECT_EQ(seam_.messages.size(), 47u);
  for (const std::string& command : seam_.commands) EXPECT_EQ(command.rfind("regedit /s", 0), std::string::npos);
  EXPECT_FALSE(Exists(pack_ / "Reg_Files"));
  EXPECT_EQ(modSettings::Setting("Paths", "NIMO_Reg_Files", "<none>"), "<none>");
}

// ---------------------------------------------------------------------------
// A registry file of two megabytes

DWORD ValueCount(const std::string& path) {
  HKEY key = modReg::OpenKey(HKCU, path);
  DWORD values = 0;
  if (key) RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  if (key) RegCloseKey(key);
  return values;
}

TEST_F(Robustness, ATwoMegabyteRegistryFileIsFixedAndImportedInBoundedTime) {
  seam_.passThrough = {"regedit"};
  const std::string v5 = "Windows Registry Editor Version 5.00", big = kMenuExt + "\\Big";
  DWORD values = 0;
  const std::string content = testkit::LargeRegFile(v5, kFull + "Big", 2 << 20, &values);
  const std::string file = pack_ / "Reg_Files\\big.reg";
  WriteAll(file, content);
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");

  seam_.answers = {IDYES, IDYES};  // checked; back up MenuExt first
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(modMain::EnableExtension(nullptr, {"Misc", "Big one", "Misc\\big.htm", "Large", file, true}));
  modMain::Extensions model;  // read again, as the windows do after it
  modMain::LoadInstalled(model, modMain::Reader::Main);
  const double enabling = SecondsSince(start);
  EXPECT_EQ(seam_.messages.size(), 2u);
  const std::string fixed = ReadAll(file);
  EXPECT_EQ(fixed.substr(0, 10), "REGEDIT4\r\n");
  EXPECT_TRUE(fixed.substr(8) == content.substr(v5.size())) << "the body changed";
  EXPECT_EQ(ValueCount(big), values);
  EXPECT_EQ(modReg::GetValue(HKCU, big, "S00000"), modReg::RegValue(std::string(1000, 'a')));
  EXPECT_EQ(modReg::GetValue(HKCU, big, "D00700"), modReg::RegValue(int32_t{700}));
  ASSERT_EQ(model.Installed.size(), 1u);
  EXPECT_EQ(model.Installed[0].Name, "Big");
  EXPECT_LT(enabling, 60.0);

  // The editor's own export of the large key (two bytes per character) imports as it is.
  testkit::TempFolder out;
  modReg::RunRegedit(3, kFull + "Big", out / "big export.reg");
  const std::string exported = ReadAll(out / "big export.reg");
  ASSERT_GT(exported.size(), 2u << 20);
  testkit::RegDeleteTree(HKCU, big);
  seam_.files = {out / "big export.reg"};
  start = std::chrono::steady_clock::now();
  EXPECT_TRUE(modMain::ImportChosenFile(nullptr));
  const double importing = SecondsSince(start);
  EXPECT_EQ(ValueCount(big), values);
  EXPECT_TRUE(ReadAll(out / "big export.reg") == exported);
  EXPECT_EQ(seam_.messages.size(), 2u);
  EXPECT_LT(importing, 60.0);
}

}  // namespace
