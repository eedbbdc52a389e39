// The rules the extension operations apply to names and keys.
#include <gtest/gtest.h>

#include <vector>

#include "inventory/modReg.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "restore/Backups.h"
#include "support/TestKit.h"

namespace {

const SYSTEMTIME kClock{2027, 2, 1, 1, 9, 7, 3, 0};  // 01-02-27_090703
const std::string kMenuExt = std::string(modReg::kMenuExtFull) + "\\";

TEST(FileNameRule, NamesStayInTheirFolder) {
  using modMain::SafeFileName;
  EXPECT_EQ(SafeFileName("&Translate", kClock), "&Translate");
  EXPECT_EQ(SafeFileName("..\\..\\Windows\\evil", kClock), ".._.._Windows_evil");
  EXPECT_EQ(SafeFileName("C:/a*b?\"c\"<d>|e", kClock), "C__a_b__c__d__e");
  EXPECT_EQ(SafeFileName("tab\there\r\n", kClock), "tab_here__");
  EXPECT_EQ(SafeFileName("  Leading spaces", kClock), "  Leading spaces");
  EXPECT_EQ(SafeFileName("\xDC" "bersetzen \xE9t\xE9", kClock), "\xDC" "bersetzen \xE9t\xE9");  // ANSI letters kept
  // Nothing usable left: the clock names the file.
  for (const char* empty : {"", "   ", ".", "..", " .. ", "..."}) EXPECT_EQ(SafeFileName(empty, kClock), "01-02-27_090703");
  EXPECT_EQ(SafeFileName("./", kClock), "._");
  // Device names would write to the device, not to a file.
  EXPECT_EQ(SafeFileName("CON", kClock), "CON_");
  EXPECT_EQ(SafeFileName("nul.txt", kClock), "nul_.txt");
  EXPECT_EQ(SafeFileName(" Com1 ", kClock), " Com1_ ");
  EXPECT_EQ(SafeFileName("CONSOLE", kClock), "CONSOLE");
  EXPECT_EQ(SafeFileName(std::string(300, 'x'), kClock).size(), 200u);
  // Backups drop "&" first; a name of nothing but "&" then gets the clock name.
  EXPECT_EQ(modMain::WithoutAmpersands("&Tr&ans&&late"), "Translate");
  EXPECT_EQ(SafeFileName(modMain::WithoutAmpersands("&&"), kClock), "01-02-27_090703");
}

// What a backup is, from the log and from the file: the kind, the new name of a rename,
// the page a delete copied; the contents column; newest first.
TEST(RestoreRules, KindContentsAndOrderOfBackups) {
  using modRestore::Kind;
  const std::string folder = "C:\\P\\Reg_Backup\\";
  const std::vector<std::string> log{
      "User wishes to disable [ &Translate ] ",
      "Backing up [ " + kMenuExt + "&Translate ]",
      "Exporting [ " + kMenuExt + "&Translate ] to [ " + folder + "Translate ]",
      "User wishes to delete [ " + kMenuExt + "Define ]",
      "Preparing to backup [ " + kMenuExt + "Define ]",
      "Exporting [ " + kMenuExt + "Define ] to [ " + folder + "Define ]",
      "Copied [ C:\\Pack\\define.htm ] to [ C:\\P\\Ext_Backup\\define (2).htm ]",
      "User changed key name from [ Google ] to [ &Bing ].",
      "Backing up [ " + kMenuExt + "Google ]",
      "Exporting [ " + kMenuExt + "Google ] to [ " + folder + "Bing (2) ]",
      "Exporting MenuExt registry key",
      "Exporting [ " + std::string(modReg::kMenuExtFull) + " ] to [ " + folder + "01-02-27_090703 ]",
      "Exporting [ " + kMenuExt + "Define ] to [ " + folder + "mine.reg ]",
      "User wishes to disable [ Define ] ",  // a later disable names the file Define (2)
      "Exporting [ " + kMenuExt + "Define ] to [ " + folder + "Define (2) ]",
      "Copied [ C:\\x.htm ] to [ C:\\P\\Ext_Backup\\x.htm ]",
  };
  struct Case {
    std::string file;
    Kind kind;
    std::string renamedTo, page;
  };
  for (const Case& c : std::vector<Case>{
           {"Translate.reg", Kind::Disable, "", ""},
           {"define.REG", Kind::Delete, "", "C:\\P\\Ext_Backup\\define (2).htm"},
           {"Bing (2).reg", Kind::Rename, "&Bing", ""},
           {"01-02-27_090703.reg", Kind::MenuExt, "", ""},
           {"mine.reg", Kind::Export, "", ""},
           {"Define (2).reg", Kind::Disable, "", ""},  // the copy after it is not its page
           {"Other.reg", Kind::Unknown, "", ""},
       }) {
    const modRestore::LogFacts facts = modRestore::ReadLog(log, folder + c.file);
    EXPECT_EQ(facts.kind, c.kind) << c.file;
    EXPECT_EQ(facts.renamedTo, c.renamedTo) << c.file;
    EXPECT_EQ(facts.page, c.page) << c.file;
  }
  // Without the log: the whole key, and a file named after another name than its key's.
  const std::string menuExt = modReg::kMenuExtFull;
  struct FileCase {
    std::string file;
    std::vector<std::string> keys;
    Kind kind;
    std::string contents;
  };
  for (const FileCase& c : std::vector<FileCase>{
           {"01-02-27_090703.reg", {menuExt, kMenuExt + "A", kMenuExt + "B"}, Kind::MenuExt, "MenuExt, 2 extensions"},
           {"x.reg", {menuExt}, Kind::MenuExt, "MenuExt, 0 extensions"},
           {"Bing (3).reg", {kMenuExt + "Google"}, Kind::Rename, "Google"},
           {"Translate (2).reg", {kMenuExt + "&Translate"}, Kind::Unknown, "&Translate"},
           {"&Translate.reg", {kMenuExt + "&Translate"}, Kind::Unknown, "&Translate"},
           {"a_b.reg", {kMenuExt + "a/b"}, Kind::Unknown, "a/b"},
           {"two.reg", {kMenuExt + "A", "HKEY_CURRENT_USER\\Software\\Other"}, Kind::Unknown,
            "A, HKEY_CURRENT_USER\\Software\\Other"},
       }) {
    EXPECT_EQ(modRestore::KindOfFile(folder + c.file, c.keys), c.kind) << c.file;
    EXPECT_EQ(modRestore::ContentsText(c.keys), c.contents) << c.file;
  }
  std::vector<modRestore::Backup> backups(4);
  const char* names[] = {"b", "old", "new", "a"};
  const DWORD times[] = {5, 1, 9, 5};
  for (int i = 0; i < 4; ++i) backups[i].file = names[i], backups[i].made.dwLowDateTime = times[i];
  modRestore::NewestFirst(backups);
  std::vector<std::string> order;
  for (const auto& backup : backups) order.push_back(backup.file);
  EXPECT_EQ(order, (std::vector<std::string>{"new", "a", "b", "old"}));
}

TEST(ExtensionKeys, OnlyOneDirectSubkeyOfMenuExtIsAnExtension) {
  using modMain::IsExtensionKey;
  EXPECT_TRUE(IsExtensionKey(kMenuExt + "&Translate"));
  EXPECT_TRUE(IsExtensionKey(kMenuExt + "  Spaced/and:odd*"));
  EXPECT_EQ(modMain::ExtensionSubkey(kMenuExt + "&Translate"),
            "Software\\Microsoft\\Internet Explorer\\MenuExt\\&Translate");
  for (const std::string& bad : std::vector<std::string>{
           std::string(), kMenuExt, std::string(modReg::kMenuExtFull), kMenuExt + "A\\B", kMenuExt + "A\\",
           "HKEY_CURRENT_USER\\Software", "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\MenuExt\\A",
           "hkey_current_user\\Software\\Microsoft\\Internet Explorer\\MenuExt\\A", "Not Found"})
    EXPECT_FALSE(IsExtensionKey(bad)) << bad;
}

TEST(ExtensionFiles, PathsAreNormalisedAndProgramFilesKnown) {
  EXPECT_EQ(modMain::NormalisedPath("\\\\server\\share\\a\\..\\b.htm"), "\\\\server\\share\\b.htm");
  // A path not rooted at a drive or share would name a file in the current folder.
  for (const char* relative : {"", "fs.htm", "..\\fs.htm", "C:fs.htm", "\\fs.htm", "Not Found"})
    EXPECT_EQ(modMain::NormalisedPath(relative), "") << relative;
  for (const char* program : {"C:\\w\\notepad.exe", "C:\\a\\X.DLL", "b.ocx", "c.cpl", "d.sys", "e.scr", "f.com", "g.drv",
                              "h.msi", "i.bat", "j.cmd", "C:\\w\\write.exe. "})
    EXPECT_TRUE(modMain::IsProgramFile(program)) << program;
  for (const char* page : {"C:\\ext\\fs.htm", "script.js", "menu.vbs", "C:\\a.exe\\page.htm", "notes.exe.htm", "exe"})
    EXPECT_FALSE(modMain::IsProgramFile(page)) << page;
}

// What delete may do with the file a default value names, against files on disk.
TEST(ExtensionFiles, OnlyAPlainFileOfTheExtensionsOwnMayBeDeleted) {
  testkit::TempFolder folder;
  const std::string root = folder.path();
  for (const char* sub : {"A", "B", "Sub"}) CreateDirectoryA((folder / sub).c_str(), nullptr);
  for (const char* file : {"A\\tool.htm", "B\\tool.htm", "shared.htm", "prog.exe", "hidden.htm"})
    testkit::WriteAll(folder / file, "x");
  SetFileAttributesA((folder / "hidden.htm").c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::string slashed = folder / "A\\tool.htm";
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  const std::vector<std::pair<std::string, std::string>> others{
      {"Two", root + "\\Sub\\..\\SHARED.HTM"}, {"Web", "http://example.com/a.htm"}, {"Res", "res://" + root + "\\prog.exe/1"}};
  struct Case {
    std::string value;
    std::string file;  // the normalised file; empty when missing
    std::string kept;  // the start of the reason it is kept
  };
  for (const Case& c : std::vector<Case>{
           {folder / "A\\tool.htm", folder / "A\\tool.htm", ""},
           {slashed, folder / "A\\tool.htm", ""},
           {folder / "A\\Sub/../../B\\tool.htm", folder / "B\\tool.htm", ""},
           {"file://" + (folder / "B\\tool.htm"), folder / "B\\tool.htm", ""},
           {folder / "shared.htm", folder / "shared.htm", "it is also the file of [ Two ]"},
           {folder / "prog.exe", folder / "prog.exe", "it is a program file"},
           {"res://" + (folder / "prog.exe") + "/1234", "", "it names a resource inside the program module " + (folder / "prog.exe")},
           {folder / "*.htm", "", "it holds wildcards"},
           {folder / "hidden.htm", "", ""},
           {folder / "A", "", ""},
           {folder / "gone.htm", "", ""},
           {"A\\tool.htm", "", ""},
           {"javascript:void(0)", "", ""},
           {"", "", ""}}) {
    const modMain::ExtensionFileCheck check = modMain::CheckExtensionFile(c.value, others);
    EXPECT_EQ(check.missing, c.file.empty() && c.kept.empty()) << c.value;
    if (!c.file.empty()) {
      EXPECT_EQ(check.file, c.file) << c.value;
    }
    EXPECT_EQ(check.keptBecause.substr(0, c.kept.size()), c.kept) << c.value;
    EXPECT_EQ(check.keptBecause.empty(), c.kept.empty()) << c.value;
  }
}

// The properties dialog's places in pixels: the layout's twips at the resolution, the
// label column as wide as its widest caption, boxes and buttons held to the right edge.
TEST(PropertiesLayout, CaptionsWidenTheLabelColumnAndTheRightEdgeStretchesTheBoxes) {
  using L = frmModify;
  const struct {
    int dpi, width, label, button;  // caption widths: the widest label's and each button's
    int boxLeft, boxRight, pathRight, browseLeft, cancelLeft, applyLeft, minWidth;
  } cases[] = {
      {96, 0, 45, 30, 64, 297, 273, 277, 128, 216, 306},    // English: the layout itself
      {144, 0, 68, 45, 96, 446, 410, 416, 191, 324, 460},   // the same at 144 dpi
      {96, 0, 70, 30, 86, 319, 295, 299, 150, 238, 328},    // "Contextes :" moves the boxes
      {96, 600, 45, 30, 64, 591, 567, 571, 422, 510, 306},  // widened by the user
      {96, 200, 45, 30, 64, 297, 273, 277, 128, 216, 306},  // never below the layout
      {96, 0, 45, 200, 64, 447, 423, 427, 8, 231, 456},     // long button captions
  };
  for (const auto& c : cases) {
    std::array<SIZE, L::kCaptions> captions{};
    for (int i = 0; i < L::kCaptions; ++i)
      captions[i] = {i >= L::kCancel ? c.button : i == L::kContexts ? c.label : 10, 13};
    const L::Layout l = L::Arrange(c.dpi, c.width, captions);
    SCOPED_TRACE(testing::Message() << c.dpi << " dpi, width " << c.width << ", captions " << c.label << "/" << c.button);
    for (int i = L::kName; i <= L::kKey; ++i) {
      EXPECT_EQ(l.box[i].left, c.boxLeft);
      EXPECT_EQ(l.box[i].right, i == L::kPath ? c.pathRight : c.boxRight);
      EXPECT_LE(l.label[i].right, c.boxLeft - MulDiv(120, c.dpi, 1440));  // the caption shows whole
      EXPECT_GE(l.label[i].right - l.label[i].left, captions[i].cx);
    }
    EXPECT_EQ(l.browse.left, c.browseLeft);
    EXPECT_EQ(l.label[L::kCancel].left, c.cancelLeft);
    EXPECT_EQ(l.label[L::kApply].left, c.applyLeft);
    EXPECT_EQ(l.label[L::kApply].right, c.boxRight);
    EXPECT_GE(l.label[L::kCancel].right - l.label[L::kCancel].left, c.button);
    EXPECT_EQ(l.minWidth, c.minWidth);
    EXPECT_EQ(l.height, MulDiv(1905, c.dpi, 1440));
  }
}

}  // namespace
