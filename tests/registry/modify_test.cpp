// The properties dialog, loaded in-process for extensions of a real MenuExt key, with
// the real registry editor behind renames.
#include <gtest/gtest.h>

#include <set>

#include "app/App.h"
#include "inventory/Model.h"
#include "inventory/modReg.h"
#include "operations/frmModify.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using modReg::RegValue;

const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kMenuExt = modReg::kMenuExtPath;
std::string Key(const std::string& name) { return kMenuExt + "\\" + name; }
std::string Full(const std::string& name) { return std::string(modReg::kMenuExtFull) + "\\" + name; }
RegValue Value(const std::string& name, const std::string& value) { return modReg::GetValue(HKCU, Key(name), value); }
RegValue Text(const std::string& text) { return text; }

std::set<std::string> Subkeys() {
  std::set<std::string> names;
  HKEY key = modReg::OpenKey(HKCU, kMenuExt);
  char name[256];
  for (DWORD i = 0, n = sizeof name; RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) == 0;
       n = sizeof name, ++i)
    names.emplace(name, n);
  RegCloseKey(key);
  return names;
}

// Runs the registry editor, except that the first `drop` imports do nothing.
struct DroppingSeam : testkit::ScriptedSeam {
  int drop = 0;
  win::LaunchResult Launch(const std::string& command, int show, DWORD waitMs) override {
    if (command.rfind("regedit /s", 0) == 0 && drop > 0 && drop--) return {true, 0, true, 0};
    return ScriptedSeam::Launch(command, show, waitMs);
  }
};

class Modify : public testkit::EmptyMenuExtTest {
 protected:
  void SetUp() override {
    testkit::EmptyMenuExtTest::SetUp();
    if (HasFatalFailure()) return;
    modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
    frmModify::bContextNoteShown = false;  // a new run
    ui_.passThrough = {"regedit"};
    Add("Google", In("luGoogle.htm"));
  }
  void TearDown() override {
    dialog_.Unload();
    testkit::EmptyMenuExtTest::TearDown();
  }
  void Add(const std::string& name, const std::string& path, DWORD contexts = 34) {
    testkit::RegSetString(HKCU, Key(name), "", path);
    testkit::RegSetDword(HKCU, Key(name), "Contexts", contexts);
  }
  // Reads the installed extensions and loads the dialog for one of them.
  void Open(const std::string& name) {
    modMain::Extensions model;
    modMain::LoadInstalled(model, modMain::Reader::Wizard);
    for (const modMain::InstalledExtension& extension : model.Installed)
      if (extension.Name == name) {
        ASSERT_TRUE(dialog_.Load(nullptr, extension, [this](bool renamed) { applied_.push_back(renamed); }));
        return;
      }
    FAIL() << name << " is not read";
  }
  // Keys pressed in a box whose text is selected first; "\b" empties it.
  static void Type(const win::CWindow& box, const std::string& keys) {
    box.Send(EM_SETSEL, 0, -1);
    for (char c : keys) box.Send(WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void Apply() {
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", "0");
    dialog_.lblOK_Click();
  }
  testkit::ScriptedSeam ui_;
  frmModify dialog_;
  std::vector<bool> applied_;  // what the dialog told its owner, one entry per apply
};

TEST_F(Modify, TakesTheLanguageCaptionsTabsInOrderAndCancelWritesNothing) {
  testkit::WriteAll(In("de.lng"), "[frmModify]\r\nlblOK=Anwenden\r\nlblPath=Speicherort:\r\n");
  modSettings::WriteINI("", "Settings", "Lang", In("de.lng"));
  Open("Google");
  EXPECT_EQ(dialog_.lblOK.Text(), "Anwenden");
  EXPECT_EQ(dialog_.lblCancel.Text(), "Cancel");  // no entry: its English caption
  // A longer caption widens its label, and the text boxes make room for it.
  const RECT path = dialog_.lblPath.RectInParent();
  EXPECT_GE(path.right - path.left, dialog_.lblPath.TextSize().cx);
  EXPECT_LT(path.right, dialog_.txtPath.RectInParent().left);
  // Tab order: as the controls show, top to bottom and left to right.
  HWND at = dialog_.txtName;
  for (HWND next : {dialog_.txtPath.Handle(), dialog_.lblBrowse.Handle(), dialog_.txtContexts.Handle(),
                    dialog_.txtRegKey.Handle(), dialog_.lblCancel.Handle(), dialog_.lblOK.Handle(),
                    dialog_.txtName.Handle()})
    EXPECT_EQ(at = GetNextDlgTabItem(dialog_, at, FALSE), next);
  Type(dialog_.txtContexts, "7");
  dialog_.lblCancel_Click();
  EXPECT_FALSE(dialog_.Loaded());
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
  EXPECT_TRUE(applied_.empty());
}

// Contexts are written only when typed, as decimal; values the list cannot show (a
// long path, an expandable one) stay as they are unless edited; a case-only rename is
// an update in place.
TEST_F(Modify, ApplyWritesOnlyWhatWasEdited) {
  testkit::RegSetString(HKCU, Key("Plain"), "", In("a.htm"));
  const std::string longPath = In(std::string(300, 'x') + ".htm");
  testkit::RegSetString(HKCU, Key("Long"), "", longPath);
  testkit::RegSetString(HKCU, Key("Expand"), "", "%TEMP%\\e.htm", REG_EXPAND_SZ);
  const struct {
    const char *name, *shown, *typed, *pasted;
    RegValue after;
  } cases[] = {
      {"Google", "22", nullptr, nullptr, int32_t{34}},  // the list's hexadecimal is not taken for a decimal 22
      {"Google", "22", "1x6", nullptr, int32_t{16}},
      {"Google", "10", "\b", nullptr, int32_t{16}},  // an empty box writes nothing
      {"Google", "10", nullptr, "-1", int32_t{-1}},
      {"Plain", "None", nullptr, "NONE", Text("NULL")},  // still no value
      {"Long", "None", nullptr, nullptr, Text("NULL")},
      {"Expand", "None", nullptr, nullptr, Text("NULL")},
  };
  for (const auto& c : cases) {
    Open(c.name);
    EXPECT_EQ(dialog_.txtContexts.Text(), c.shown);
    if (c.typed) Type(dialog_.txtContexts, c.typed);
    if (c.pasted) dialog_.txtContexts.SetText(c.pasted);
    Apply();
    EXPECT_EQ(Value(c.name, "Contexts"), c.after) << c.name << " " << (c.typed ? c.typed : c.pasted ? c.pasted : "");
  }
  EXPECT_EQ(Value("Long", ""), Text(longPath));  // listed as "Not Found"
  DWORD type = 0;
  HKEY key = modReg::OpenKey(HKCU, Key("Expand"));
  RegQueryValueExA(key, "", nullptr, &type, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  Open("Long");
  Type(dialog_.txtPath, "C:\\new.htm");
  Apply();
  EXPECT_EQ(Value("Long", ""), Text("C:\\new.htm"));

  Open("Google");
  Type(dialog_.txtName, "GOOGLE");
  Type(dialog_.txtContexts, "16");
  Apply();
  EXPECT_EQ(Subkeys(), (std::set<std::string>{"Google", "Plain", "Long", "Expand"}));
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{16}));
  EXPECT_TRUE(ui_.commands.empty() && ui_.messages.empty());
  EXPECT_FALSE(dialog_.Loaded());
  EXPECT_EQ(applied_, std::vector<bool>(9, false));
}

TEST_F(Modify, ARenameMovesTheKeyWithAllItsValues) {
  testkit::RegSetDword(HKCU, Key("Google"), "Flags", 1);
  testkit::RegSetString(HKCU, Key("Google"), "Icon", "%TEMP%\\Google.ico", REG_EXPAND_SZ);
  testkit::RegSetRaw(HKCU, Key("Google"), "Lines", REG_MULTI_SZ, std::string("Google\0two\0\0", 12));
  testkit::RegSetString(HKCU, Key("Google"), "Say \"hi\\", "line\r\nbreak \"q\" C:\\");
  testkit::RegSetRaw(HKCU, Key("Google"), "Unended", REG_SZ, "no NUL\n");
  CreateDirectoryA(In("Reg_Backup").c_str(), nullptr);
  testkit::WriteAll(In("Reg_Backup\\Bing.reg"), "an earlier backup");
  Open("Google");
  Type(dialog_.txtName, "Bing");
  Type(dialog_.txtPath, "C:\\ignored.htm");  // a rename carries the old values
  Apply();
  EXPECT_EQ(Subkeys(), std::set<std::string>{"Bing"});
  EXPECT_EQ(Value("Bing", ""), Text(In("luGoogle.htm")));
  EXPECT_EQ(Value("Bing", "Contexts"), RegValue(int32_t{34}));
  EXPECT_EQ(Value("Bing", "Flags"), RegValue(int32_t{1}));
  EXPECT_EQ(Value("Bing", "Icon"), Text("%TEMP%\\Google.ico"));
  EXPECT_EQ(Value("Bing", "Lines"), Text(std::string("Google\0two", 10)));
  EXPECT_EQ(Value("Bing", "Say \"hi\\"), Text("line\r\nbreak \"q\" C:\\"));
  EXPECT_EQ(Value("Bing", "Unended"), Text("no NUL\n"));
  // Neither the old key's backup nor the new key's file replaces an earlier backup.
  EXPECT_EQ(testkit::ReadAll(In("Reg_Backup\\Bing.reg")), "an earlier backup");
  EXPECT_TRUE(testkit::HoldsKey(In("Reg_Backup\\Bing (2).reg"), Full("Google")));
  const std::string written = testkit::ReadAll(In("Reg_Backup\\Bing (3).reg"));
  EXPECT_EQ(written.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(written.find("[" + Full("Bing") + "]\r\n"), std::string::npos);
  EXPECT_EQ(applied_, std::vector<bool>{true});
  EXPECT_TRUE(ui_.messages.empty());
}

// A key with a subkey is refused before anything is written; a backup that the editor
// fails and a new key that the import does not create leave the old key as it was.
TEST_F(Modify, ARenameThatCannotBeCompletedKeepsTheOldKey) {
  testkit::RegSetString(HKCU, Key("Google"), "Icon", "%TEMP%\\g.ico", REG_EXPAND_SZ);
  const struct {
    const char *what, *said;
    int drop;
    DWORD exitCode;
    size_t files;  // the import that did nothing leaves the proven backup and the new key's file
  } cases[] = {{"subkey", "has subkeys", 0, 0, 0}, {"exit", "could not be backed up", 0, 1, 0},
               {"no import", "did not create the new key", 1, 0, 2}};
  for (const auto& c : cases) {
    DroppingSeam failing;
    failing.passThrough = {"regedit"};
    failing.drop = c.drop;
    failing.exitCode = c.exitCode;
    const bool subkey = std::string(c.what) == "subkey";
    if (subkey) testkit::RegCreate(HKCU, Key("Google") + "\\Sub");
    Open("Google");
    Type(dialog_.txtName, "Bing");
    Apply();
    EXPECT_EQ(dialog_.Loaded(), subkey) << c.what;
    EXPECT_EQ(Subkeys(), std::set<std::string>{"Google"}) << c.what;
    EXPECT_EQ(Value("Google", "Icon"), Text("%TEMP%\\g.ico"));
    EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
    ASSERT_EQ(failing.Texts().size(), 1u) << c.what;
    EXPECT_NE(failing.Texts()[0].find(c.said), std::string::npos) << failing.Texts()[0];
    EXPECT_EQ(testkit::ListFolder(In("Reg_Backup")).size(), c.files) << c.what;
    EXPECT_EQ(failing.commands.empty(), subkey) << c.what;
    if (subkey) testkit::RegDeleteTree(HKCU, Key("Google") + "\\Sub");
    dialog_.Unload();
  }
}

TEST_F(Modify, ApplyRefusesWhatItCannotWriteAndKeepsTheDialogOpen) {
  Add("Bing", In("luBing.htm"));
  const std::vector<std::pair<const win::CWindow*, const char*>> refused{
      {&dialog_.txtName, ""}, {&dialog_.txtName, " & "}, {&dialog_.txtName, "Web\\Search"}, {&dialog_.txtName, "BING"},
      {&dialog_.txtContexts, "2A"}, {&dialog_.txtContexts, "2147483648"}, {&dialog_.txtContexts, "1 2"}};
  for (const auto& [box, text] : refused) {
    Open("Google");
    box->SetText(text);
    Apply();
    EXPECT_TRUE(dialog_.Loaded()) << text;
  }
  EXPECT_EQ(ui_.messages.size(), refused.size());
  for (const testkit::ShownMessage& shown : ui_.messages) EXPECT_EQ(shown.icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(ui_.commands.empty() && applied_.empty());
  EXPECT_EQ(Subkeys(), (std::set<std::string>{"Google", "Bing"}));
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
}

// PropertiesPrompt other than "0" asks first; No writes nothing and closes the dialog.
TEST_F(Modify, TheConfirmationFollowsPropertiesPrompt) {
  for (const char* setting : {"1", "yes", "", "0"}) {
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", setting);
    Open("Google");
    Type(dialog_.txtContexts, "7");
    ui_.answers = {IDNO};
    ui_.messages.clear();
    dialog_.lblOK_Click();
    EXPECT_EQ(ui_.messages.size(), *setting == '0' ? 0u : 1u) << setting;
    EXPECT_FALSE(dialog_.Loaded());
    EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{*setting == '0' ? 7 : 34})) << setting;
  }
}

TEST_F(Modify, TheDecimalNoteComesOncePerRunAndNotAfterContextPromptWasOff) {
  auto press = [this] {
    dialog_.txtContexts.Send(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    dialog_.txtContexts.Send(WM_LBUTTONUP, 0, 0);
  };
  Open("Google");
  press();
  press();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_NE(ui_.messages[0].text.find("DECIMAL"), std::string::npos);
  Open("Google");
  press();
  EXPECT_EQ(ui_.messages.size(), 1u);

  frmModify::bContextNoteShown = false;  // another run, opened once with the note off
  modSettings::WriteINI("", "Settings", "ContextPrompt", "0");
  Open("Google");
  modSettings::WriteINI("", "Settings", "ContextPrompt", "1");
  Open("Google");
  press();
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(Modify, BrowseTakesAnExistingFileAndLogsAtOnce) {
  testkit::WriteAll(In("new.htm"), "<html></html>");
  Open("Google");
  ui_.files = {"", "a.ht", In("gone.htm"), In("new.htm")};
  for (int i = 0; i < 4; ++i) dialog_.lblBrowse_Click();
  ASSERT_EQ(ui_.fileDialogs.size(), 4u);
  EXPECT_EQ(ui_.fileDialogs[0].initialDir, modMain::AppPath());
  EXPECT_FALSE(ui_.fileDialogs[0].save);
  EXPECT_EQ(dialog_.txtPath.Text(), In("new.htm"));
  EXPECT_EQ(testkit::LogMessages().back(), "[ Google ] path changed to [ " + In("new.htm") + " ]");
  dialog_.lblCancel_Click();
  EXPECT_EQ(Value("Google", ""), Text(In("luGoogle.htm")));
}

}  // namespace
