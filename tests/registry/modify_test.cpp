// The properties dialog, loaded in-process for rows of a real MenuExt key, with the real
// registry editor behind renames.
#include <gtest/gtest.h>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "operations/frmModify.h"
#include "operations/modOperations.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using modReg::RegValue;
using testkit::LogMessages;

const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kMenuExt = modReg::kMenuExtPath;
std::string Key(const std::string& name) { return kMenuExt + "\\" + name; }
std::string Full(const std::string& name) { return std::string(modReg::kMenuExtFull) + "\\" + name; }
RegValue Value(const std::string& name, const std::string& value) { return modReg::GetValue(HKCU, Key(name), value); }
RegValue Text(const std::string& text) { return text; }

std::vector<std::string> Subkeys() {
  std::vector<std::string> names;
  HKEY key = modReg::OpenKey(HKCU, kMenuExt);
  char name[256];
  for (DWORD i = 0, n = sizeof name; RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) == 0;
       n = sizeof name, ++i)
    names.emplace_back(name, n);
  RegCloseKey(key);
  return names;
}

// Runs the registry editor, except that the first `drop` imports do nothing.
class DroppingSeam : public testkit::ScriptedSeam {
 public:
  int drop = 1;
  win::LaunchResult Launch(const std::string& command, int show, DWORD waitMs) override {
    if (command.rfind("regedit /s", 0) == 0 && drop > 0) {
      --drop;
      return {true, 0, true, 0};
    }
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
    ASSERT_TRUE(main_.Create());
  }
  void TearDown() override {
    dialog_.Unload();
    testkit::EmptyMenuExtTest::TearDown();
  }
  void Add(const std::string& name, const std::string& path, DWORD contexts = 34) {
    testkit::RegSetString(HKCU, Key(name), "", path);
    testkit::RegSetDword(HKCU, Key(name), "Contexts", contexts);
  }
  // Lists the installed extensions and loads the dialog for one of them.
  void Open(const std::string& name) {
    modMain::Extensions model;
    modMain::LoadInstalled(model, modMain::Reader::Wizard);
    for (const modMain::InstalledExtension& extension : model.Installed)
      if (extension.Name == name) {
        ASSERT_TRUE(dialog_.Load(main_.Handle(), extension, [this](bool renamed) {
          main_.LoadExtensionInfo();
          if (renamed) main_.LoadAvailableExtensions();
        }));
        return;
      }
    FAIL() << name << " is not listed";
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
  frmMain main_;
  frmModify dialog_;
};

TEST_F(Modify, TakesTheLanguageCaptionsAndCancelWritesNothing) {
  Add("Google", In("luGoogle.htm"));
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
}

TEST_F(Modify, ContextsAreWrittenOnlyWhenTypedAndAsDecimal) {
  Add("Google", In("luGoogle.htm"));
  testkit::RegSetString(HKCU, Key("Plain"), "", In("a.htm"));
  // Keys typed into the box, which takes digits only, or text pasted as it is.
  const struct {
    const char *name, *shown, *typed, *pasted;
    RegValue after;
  } cases[] = {
      {"Google", "22", nullptr, nullptr, int32_t{34}},  // the list's hexadecimal is not taken for a decimal 22
      {"Google", "22", "1x6", nullptr, int32_t{16}},
      {"Google", "10", "\b", nullptr, int32_t{16}},  // an empty box writes nothing
      {"Google", "10", nullptr, "-1", int32_t{-1}},
      {"Plain", "None", nullptr, "NONE", Text("NULL")},  // still no value
  };
  for (const auto& c : cases) {
    Open(c.name);
    EXPECT_EQ(dialog_.txtContexts.Text(), c.shown);
    if (c.typed) Type(dialog_.txtContexts, c.typed);
    if (c.pasted) dialog_.txtContexts.SetText(c.pasted);
    Apply();
    EXPECT_EQ(Value(c.name, "Contexts"), c.after) << c.name << " " << (c.typed ? c.typed : c.pasted ? c.pasted : "");
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Modify, ACaseOnlyRenameIsAnUpdateInPlace) {
  Add("my tool", In("tool.htm"));
  Open("my tool");
  Type(dialog_.txtName, "My Tool");
  Type(dialog_.txtContexts, "16");
  Apply();
  EXPECT_EQ(Subkeys(), std::vector<std::string>{"my tool"});
  EXPECT_EQ(Value("my tool", "Contexts"), RegValue(int32_t{16}));
  EXPECT_TRUE(ui_.commands.empty());
  EXPECT_FALSE(dialog_.Loaded());
}

TEST_F(Modify, ValuesTheListCannotShowAreLeftAloneUnlessEdited) {
  const std::string longPath = In(std::string(300, 'x') + ".htm");
  testkit::RegSetString(HKCU, Key("Long"), "", longPath);
  testkit::RegSetString(HKCU, Key("Expand"), "", "%TEMP%\\e.htm", REG_EXPAND_SZ);
  for (const char* name : {"Long", "Expand"}) {
    Open(name);
    Apply();
  }
  EXPECT_EQ(Value("Long", ""), Text(longPath));  // listed as "Not Found"
  Open("Long");
  Type(dialog_.txtPath, "C:\\new.htm");
  Apply();
  EXPECT_EQ(Value("Long", ""), Text("C:\\new.htm"));
  DWORD type = 0;
  HKEY key = modReg::OpenKey(HKCU, Key("Expand"));
  RegQueryValueExA(key, "", nullptr, &type, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(Modify, ARenameMovesTheKeyWithAllItsValues) {
  Add("Google", In("luGoogle.htm"));
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
  EXPECT_EQ(Subkeys(), std::vector<std::string>{"Bing"});
  EXPECT_EQ(Value("Bing", ""), Text(In("luGoogle.htm")));
  EXPECT_EQ(Value("Bing", "Contexts"), RegValue(int32_t{34}));
  EXPECT_EQ(Value("Bing", "Flags"), RegValue(int32_t{1}));
  EXPECT_EQ(Value("Bing", "Icon"), Text("%TEMP%\\Google.ico"));
  EXPECT_EQ(Value("Bing", "Lines"), Text(std::string("Google\0two", 10)));
  EXPECT_EQ(Value("Bing", "Say \"hi\\"), Text("line\r\nbreak \"q\" C:\\"));
  // Neither the old key's backup nor the new key's file replaces an earlier backup.
  EXPECT_EQ(testkit::ReadAll(In("Reg_Backup\\Bing.reg")), "an earlier backup");
  EXPECT_TRUE(testkit::HoldsKey(In("Reg_Backup\\Bing (2).reg"), Full("Google")));
  const std::string written = testkit::ReadAll(In("Reg_Backup\\Bing (3).reg"));
  EXPECT_EQ(written.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(written.find("[" + Full("Bing") + "]\r\n"), std::string::npos);
  EXPECT_EQ(main_.lvwInstalled.Cell(0, 0), "Bing");
  EXPECT_TRUE(ui_.messages.empty());
}

// A key with a subkey is refused before anything is written; a backup that the editor
// fails and a new key that the import does not create leave the old key as it was.
TEST_F(Modify, ARenameThatCannotBeCompletedKeepsTheOldKey) {
  Add("Google", In("luGoogle.htm"));
  testkit::RegSetString(HKCU, Key("Google"), "Icon", "%TEMP%\\g.ico", REG_EXPAND_SZ);
  const struct {
    const char* what;
    const char* said;
  } cases[] = {{"subkey", "has subkeys"}, {"exit", "could not be backed up"}, {"no import", "did not create the new key"}};
  for (const auto& c : cases) {
    const std::string what = c.what;
    DroppingSeam failing;
    failing.passThrough = {"regedit"};
    failing.drop = what == "no import" ? 1 : 0;
    failing.exitCode = what == "exit" ? 1 : 0;
    if (what == "subkey") testkit::RegCreate(HKCU, Key("Google") + "\\Sub");
    Open("Google");
    Type(dialog_.txtName, "Bing");
    Apply();
    EXPECT_EQ(dialog_.Loaded(), what == "subkey") << what;
    EXPECT_EQ(Subkeys(), std::vector<std::string>{"Google"}) << what;
    EXPECT_EQ(Value("Google", "Icon"), Text("%TEMP%\\g.ico"));
    EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
    ASSERT_EQ(failing.messages.size(), 1u) << what;
    EXPECT_NE(failing.messages[0].text.find(c.said), std::string::npos) << failing.messages[0].text;
    // Only the import that did nothing leaves files: the proven backup and the new key's file.
    EXPECT_EQ(testkit::ListFolder(In("Reg_Backup")).size(), what == "no import" ? 2u : 0u) << what;
    if (what == "subkey") {
      EXPECT_TRUE(failing.commands.empty());
      testkit::RegDeleteTree(HKCU, Key("Google") + "\\Sub");
    }
    dialog_.Unload();
  }
}

TEST_F(Modify, ApplyRefusesWhatItCannotWriteAndKeepsTheDialogOpen) {
  Add("Google", In("luGoogle.htm"));
  Add("Bing", In("luBing.htm"));
  for (const char* name : {"", " & ", "Web\\Search", "BING"}) {
    Open("Google");
    dialog_.txtName.SetText(name);
    Apply();
    EXPECT_TRUE(dialog_.Loaded()) << name;
  }
  for (const char* contexts : {"2A", "2147483648", "1 2"}) {
    Open("Google");
    dialog_.txtContexts.SetText(contexts);
    Apply();
    EXPECT_TRUE(dialog_.Loaded()) << contexts;
  }
  EXPECT_EQ(ui_.messages.size(), 7u);
  for (const testkit::ShownMessage& shown : ui_.messages)
    EXPECT_EQ(shown.icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_TRUE(ui_.commands.empty());
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
  EXPECT_EQ(Value("Bing", ""), Text(In("luBing.htm")));
}

TEST_F(Modify, TheConfirmationFollowsPropertiesPrompt) {
  Add("Google", In("luGoogle.htm"));
  for (const char* setting : {"1", "yes", ""}) {
    modSettings::WriteINI("", "Settings", "PropertiesPrompt", setting);
    Open("Google");
    Type(dialog_.txtContexts, "7");
    ui_.answers = {IDNO};
    ui_.messages.clear();
    dialog_.lblOK_Click();
    EXPECT_EQ(ui_.messages.size(), 1u) << setting;
    EXPECT_FALSE(dialog_.Loaded());
  }
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
  Open("Google");
  Type(dialog_.txtContexts, "7");
  ui_.messages.clear();
  Apply();  // "0": no question
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{7}));
}

TEST_F(Modify, TheDecimalNoteComesOncePerRunAndNotAfterContextPromptWasOff) {
  Add("Google", In("luGoogle.htm"));
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
  Add("Google", In("luGoogle.htm"));
  testkit::WriteAll(In("new.htm"), "<html></html>");
  Open("Google");
  ui_.files = {"", "a.ht", In("gone.htm"), In("new.htm")};
  for (int i = 0; i < 4; ++i) dialog_.lblBrowse_Click();
  ASSERT_EQ(ui_.fileDialogs.size(), 4u);
  EXPECT_EQ(ui_.fileDialogs[0].initialDir, modMain::AppPath());
  EXPECT_FALSE(ui_.fileDialogs[0].save);
  EXPECT_EQ(dialog_.txtPath.Text(), In("new.htm"));
  EXPECT_EQ(LogMessages().back(), "[ Google ] path changed to [ " + In("new.htm") + " ]");
  dialog_.lblCancel_Click();
  EXPECT_EQ(Value("Google", ""), Text(In("luGoogle.htm")));
}

TEST_F(Modify, ModifyPropertiesNeedsARowWithItsKey) {
  Add("Google", In("luGoogle.htm"));
  main_.LoadExtensionInfo();
  main_.Command(IDM_mnuModify);  // nothing selected: not even a message
  EXPECT_TRUE(ui_.messages.empty());
  modMain::InstalledExtension unread;  // a key that could not be opened
  EXPECT_FALSE(modMain::CheckExtension(main_.Handle(), unread));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
}

}  // namespace
