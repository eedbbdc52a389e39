// The rules the extension operations apply to names, keys and files.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "base/TextRules.h"
#include "lang/modLang.h"
#include "operations/modOperations.h"
#include "restore/Backups.h"
#include "support/TestKit.h"

namespace {

const SYSTEMTIME kClock{2027, 2, 1, 1, 9, 7, 3, 0};  // 01-02-27_090703

// A name with nothing usable left gets the clock's name.
TEST(FileNameRule, NamesStayInTheirFolder) {
  for (const auto& [name, file] : std::vector<std::pair<std::string, std::string>>{
           {"..\\..\\Windows\\evil", ".._.._Windows_evil"}, {"C:/a*b?\"c\"<d>|e", "C__a_b__c__d__e"},
           {"tab\there\r\n", "tab_here__"}, {"  Leading spaces", "  Leading spaces"},
           {"\xDC" "bersetzen \xE9t\xE9", "\xDC" "bersetzen \xE9t\xE9"}, {" .. ", "01-02-27_090703"}, {"./", "._"},
           {"nul.txt", "nul_.txt"}, {" Com1 ", " Com1_ "}, {"CONSOLE", "CONSOLE"},
           {modMain::WithoutAmpersands("&&"), "01-02-27_090703"}})
    EXPECT_EQ(modMain::SafeFileName(name, kClock), file) << name;
  EXPECT_EQ(modMain::SafeFileName(std::string(300, 'x'), kClock).size(), 200u);
  EXPECT_EQ(modMain::WithoutAmpersands("&Tr&ans&&late"), "Translate");
}

// A backup's kind from the log and from its file; which unreadable file is still being written.
TEST(RestoreRules, KindAndContentsOfBackups) {
  using modRestore::Kind;
  const std::string folder = "C:\\P\\Reg_Backup\\";
  const auto exporting = [&](const std::string& key, const std::string& stem) {
    return "Exporting [ " + key + " ] to [ " + folder + stem + " ]";
  };
  const Lines log{"User wishes to delete [ " + kFull + "Define ]", exporting(kFull + "Define", "Define"),
                  "Copied [ C:\\Pack\\define.htm ] to [ C:\\P\\Ext_Backup\\define (2).htm ]",
                  exporting(kFull + "Define", "mine.reg"), "User wishes to disable [ Define ] ",
                  exporting(kFull + "Define", "Define (2)"), "Copied [ C:\\x.htm ] to [ C:\\P\\Ext_Backup\\x.htm ]",
                  "2 extensions found", "Exporting MenuExt registry key", exporting(modReg::kMenuExtFull, "auto"),
                  "User wishes to restore [ " + folder + "Bing.reg ]", "Exporting MenuExt registry key",
                  exporting(modReg::kMenuExtFull, "restore"), "Removing [ Bing ], the name [ Google ] was renamed to",
                  "User wishes to disable [ Bing ] ", "Backing up [ " + kFull + "Bing ]", exporting(kFull + "Bing", "Bing"),
                  "[ " + folder + "Bing.reg ] restored", "Exporting MenuExt registry key", exporting(modReg::kMenuExtFull, "enable")};
  const struct { std::string file; Kind kind; std::string page; } cases[] = {
      {"define.REG", Kind::Delete, "C:\\P\\Ext_Backup\\define (2).htm"}, {"mine.reg", Kind::Export, ""},
      {"Define (2).reg", Kind::Disable, ""}, {"Other.reg", Kind::Unknown, ""}, {"auto.reg", Kind::Automatic, ""},
      {"enable.reg", Kind::MenuExt, ""}, {"restore.reg", Kind::Restore, ""}, {"Bing.reg", Kind::Restore, ""}};
  for (const auto& c : cases) {
    const modRestore::LogFacts facts = modRestore::ReadLog(log, folder + c.file);
    EXPECT_EQ(facts.kind, c.kind) << c.file;
    EXPECT_EQ(facts.page, c.page) << c.file;
    EXPECT_EQ(facts.renamedTo, "") << c.file;
  }
  const struct { std::string file; Lines keys; Kind kind; std::string contents; } files[] = {
      {"x.reg", {modReg::kMenuExtFull, kFull + "A", kFull + "B"}, Kind::Automatic, "MenuExt, 2 extensions"},
      {"Bing (3).reg", {kFull + "Google"}, Kind::Rename, "Google"},
      {"Translate (2).reg", {kFull + "&Translate"}, Kind::Unknown, "Translate"},
      {"a_b.reg", {kFull + "a&&/b"}, Kind::Unknown, "a&/b"},
      {"two.reg", {kFull + "A", "HKEY_CURRENT_USER\\Software\\Other"}, Kind::Unknown,
       "A, HKEY_CURRENT_USER\\Software\\Other"}};
  for (const auto& c : files) {
    EXPECT_EQ(modRestore::KindOfFile(folder + c.file, c.keys), c.kind) << c.file;
    EXPECT_EQ(win::Narrow(modRestore::ContentsText(c.keys)), c.contents) << c.file;
  }

  // Locked by its writer, or in its first minute empty or a registry file's start.
  const std::string wide("\xFF\xFEW\0i\0n\0", 8);
  const struct { std::string bytes; DWORD error; ULONGLONG age; bool writing; } unreadable[] = {
      {"", 0, 1000, true}, {"", 0, 61000, false}, {wide.substr(0, 5), 0, 10, true}, {"REGEDIT4\r\n[HKEY_CU", 0, 10, true},
      {"not a registry file", 0, 10, false}, {"", ERROR_SHARING_VIOLATION, 3600000, true}, {"", ERROR_ACCESS_DENIED, 10, false}};
  for (const auto& c : unreadable)
    EXPECT_EQ(modRestore::BeingWritten(c.bytes, c.error, c.age), c.writing) << c.bytes.size() << " " << c.error;
}

// What a restore replaces, removes, puts back and asks: by the backup and what is there now.
TEST(RestoreRules, PlanOfARestore) {
  const std::string g = kFull + "Google", replaced = "\r\n\r\nWhat is replaced is backed up first.\r\n\r\nRestore it?";
  const struct { Lines keys; std::set<std::string, text::NameLess> there; std::string renamed, target, removes, asks; } cases[] = {
      {{modReg::kMenuExtFull, g, kFull + "B"}, {g}, "", "", "", "adds back 1 extension not installed now and "
       "writes the other 1 over the installed ones." + replaced},
      {{g}, {kFull + "Bing"}, "Bing", "C:\\g.htm", "Bing", "keys:\r\n\r\n" + g + "\r\n\r\nThe extension's present name [ Bing "
       "] then goes; its key is backed up first.\r\n\r\nIts page goes back to C:\\g.htm.\r\n\r\nRestore it?"},
      {{g}, {g}, "Bing", "", "", g + "   (exists now: it will be replaced)" + replaced},  // Bing gone; a page without its target
      {{g}, {g}, "GOOGLE", "", "", g + "   (exists now: it will be replaced)" + replaced},  // the same key
  };
  for (const auto& c : cases) {
    modRestore::Backup backup;
    backup.renamedTo = c.renamed, backup.page = "C:\\E\\g.htm", backup.pageTarget = c.target;
    const auto plan = modRestore::PlanRestore(backup, c.keys, [&](const std::string& key) { return c.there.count(key) > 0; });
    EXPECT_EQ(plan.removes, c.removes) << c.asks;
    EXPECT_EQ(plan.pageTo, c.target) << c.asks;
    EXPECT_EQ(plan.replaces, text::EndsWith(c.asks, replaced)) << c.asks;
    EXPECT_TRUE(text::EndsWith(win::Narrow(plan.question), c.asks)) << win::Narrow(plan.question);
  }
}

TEST(ExtensionKeysAndFiles, OnlyADirectSubkeyOfMenuExtAndAPlainFileOfItsOwn) {
  EXPECT_TRUE(modMain::IsExtensionKey(kFull + "  Spaced/and:odd*"));
  EXPECT_EQ(modMain::ExtensionSubkey(kFull + "&T"), "Software\\Microsoft\\Internet Explorer\\MenuExt\\&T");
  for (const std::string& bad : Lines{"", kFull, modReg::kMenuExtFull, kFull + "A\\B", kFull + "A\\",
                                      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\MenuExt\\A",
                                      "hkey_current_user\\Software\\Microsoft\\Internet Explorer\\MenuExt\\A"})
    EXPECT_FALSE(modMain::IsExtensionKey(bad)) << bad;
  // Only a plain file of the extension's own, rooted at a drive or share, may be deleted.
  EXPECT_EQ(modMain::NormalisedPath("\\\\server\\share\\a\\..\\b.htm"), "\\\\server\\share\\b.htm");
  for (const char* relative : {"", "fs.htm", "..\\fs.htm", "C:fs.htm", "\\fs.htm", "Not Found"})
    EXPECT_EQ(modMain::NormalisedPath(relative), "") << relative;
  for (const char* program : {"C:\\a\\X.DLL", "f.com", "C:\\w\\write.exe. "}) EXPECT_TRUE(modMain::IsProgramFile(program));
  for (const char* page : {"C:\\a.exe\\page.htm", "notes.exe.htm", "exe"}) EXPECT_FALSE(modMain::IsProgramFile(page));
  testkit::TempFolder folder;
  CreateDirectoryA((folder / "A").c_str(), nullptr);
  for (const char* file : {"A\\tool.htm", "prog.exe", "hidden.htm"}) testkit::WriteAll(folder / file, "x");
  SetFileAttributesA((folder / "hidden.htm").c_str(), FILE_ATTRIBUTE_HIDDEN);
  const std::vector<std::pair<std::string, std::string>> others{{"Web", "http://example.com/a.htm"},
                                                                {"Res", "res://" + (folder / "prog.exe") + "/1"}};
  // The normalised file, empty when missing; the start of why it is kept.
  const struct { std::string value, file, kept; } cases[] = {
      {"file://" + (folder / "A\\tool.htm"), folder / "A\\tool.htm", ""},
      {folder / "prog.exe", folder / "prog.exe", "it is a program file"},
      {"res://" + (folder / "prog.exe") + "/1234", "", "it names a resource inside the program module"},
      {folder / "*.htm", "", "it holds wildcards"}, {folder / "hidden.htm", "", ""},
      {folder / "A", "", ""}, {folder / "gone.htm", "", ""}, {"A\\tool.htm", "", ""}, {"javascript:void(0)", "", ""}};
  for (const auto& c : cases) {
    const modMain::ExtensionFileCheck check = modMain::CheckExtensionFile(c.value, others);
    EXPECT_EQ(check.missing, c.file.empty() && c.kept.empty()) << c.value;
    if (!c.file.empty()) {
      EXPECT_EQ(check.file, c.file) << c.value;
    }
    const std::string kept = check.keptBecause ? modLang::English("Reasons", check.keptBecause, {check.keptFor}) : "";
    EXPECT_EQ(kept.substr(0, c.kept.size()), c.kept) << c.value;
    EXPECT_EQ(kept.empty(), c.kept.empty()) << c.value;
  }
}

}  // namespace
