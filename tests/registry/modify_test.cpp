// The properties dialog, loaded in-process for rows of a real MenuExt key, with the real
// registry editor behind renames.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/modReg.h"
#include "operations/frmModify.h"
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

// The log from the first line that reads `first`.
std::vector<std::string> LogFrom(const std::string& first) {
  const std::vector<std::string> log = LogMessages();
  return {std::find(log.begin(), log.end(), first), log.end()};
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
    main_.LoadExtensionInfo();
    for (int row = 0; row < main_.lvwInstalled.Count(); ++row)
      if (main_.lvwInstalled.Cell(row, 0) == name) {
        ASSERT_TRUE(dialog_.Load(main_, frmModify::RowOf(main_.lvwInstalled, row)));
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

TEST_F(Modify, LoadsTheRowWithItsLayoutCaptionsAndTips) {
  Add("Google", In("luGoogle.htm"));
  testkit::WriteAll(In("de.lng"), "[frmModify]\r\nlblOK=Anwenden\r\nlblPath=Speicherort:\r\n");
  modSettings::WriteINI("", "Settings", "Lang", In("de.lng"));
  Open("Google");
  EXPECT_EQ(dialog_.Text(), "Modify Extension");
  EXPECT_EQ(GetWindow(dialog_, GW_OWNER), main_.Handle());
  EXPECT_FALSE(dialog_.IsVisible());
  const RECT client = dialog_.ClientRect();
  EXPECT_EQ(client.right, dialog_.TwipsToPixelsX(4590));
  EXPECT_EQ(client.bottom, dialog_.TwipsToPixelsY(1905));
  EXPECT_EQ(dialog_.lblOK.Text(), "Anwenden");
  EXPECT_EQ(dialog_.lblCancel.Text(), "");  // no entry: an empty caption
  // A longer caption widens its label, up to the text boxes.
  const RECT path = dialog_.lblPath.RectInParent();
  EXPECT_GT(path.right - path.left, dialog_.TwipsToPixelsX(375));
  EXPECT_LE(path.right, dialog_.txtPath.RectInParent().left);
  EXPECT_EQ(dialog_.txtName.Text(), "Google");
  EXPECT_EQ(dialog_.txtPath.Text(), In("luGoogle.htm"));
  EXPECT_EQ(dialog_.txtContexts.Text(), "22");
  EXPECT_EQ(dialog_.txtRegKey.Text(), Key("Google"));
  EXPECT_EQ(frmModify::sOldName, "Google");
  EXPECT_TRUE(GetWindowLongA(dialog_.txtContexts, GWL_STYLE) & ES_NUMBER);
  EXPECT_EQ(dialog_.ToolTip(dialog_.lblBrowse), "Change the path for this extension");
  EXPECT_EQ(dialog_.ToolTip(dialog_.txtRegKey), "Extensions registry path");
  // Tab order: name, path, contexts, key.
  HWND at = dialog_.txtName;
  for (HWND next :
       {dialog_.txtPath.Handle(), dialog_.txtContexts.Handle(), dialog_.txtRegKey.Handle(), dialog_.txtName.Handle()})
    EXPECT_EQ(at = GetNextDlgTabItem(dialog_, at, FALSE), next);
  dialog_.lblCancel_Click();
  EXPECT_FALSE(dialog_.Loaded());
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
}

TEST_F(Modify, ContextsAreWrittenOnlyWhenTypedAndAsDecimal) {
  Add("Google", In("luGoogle.htm"));
  Open("Google");
  Apply();  // the "22" the list shows is not taken for a decimal 22
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
  Open("Google");
  Type(dialog_.txtContexts, "3x4");  // the box takes digits only
  EXPECT_EQ(dialog_.txtContexts.Text(), "34");
  EXPECT_TRUE(frmModify::bContextsChanged);
  Apply();
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
  Open("Google");
  dialog_.txtContexts.SetText("-1");  // pasted
  Apply();
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{-1}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Modify, NoneOrAnEmptyBoxWritesNoContexts) {
  testkit::RegSetString(HKCU, Key("Plain"), "", In("a.htm"));
  Open("Plain");
  EXPECT_EQ(dialog_.txtContexts.Text(), "None");
  Type(dialog_.txtPath, "C:\\new.htm");
  dialog_.txtContexts.SetText("NONE");
  Apply();
  EXPECT_EQ(Value("Plain", ""), Text("C:\\new.htm"));
  EXPECT_EQ(Value("Plain", "Contexts"), Text("NULL"));
  Add("Google", In("luGoogle.htm"));
  Open("Google");
  Type(dialog_.txtContexts, "\b");
  Apply();
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
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
  Open("Google");
  Type(dialog_.txtName, "Bing");
  Type(dialog_.txtPath, "C:\\ignored.htm");  // a rename carries the old values
  Apply();

  const std::string file = In("Reg_Backup\\Bing.reg");
  const std::vector<std::string> expected = {
      "User changed key name from [ Google ] to [ Bing ].",
      "Backing up [ " + Full("Google") + " ]",
      "Exporting [ " + Full("Google") + " ] to [ " + In("Reg_Backup\\Bing") + " ]",
      "[ " + Full("Google") + " ] backed up",
      "Deleting [ " + Full("Google") + " ]",
      "[ " + Full("Google") + " ] deleted, applying new key information",
      "New key file: " + file,
      "New registry key: " + Full("Bing"),
      "IMPORTING [ " + file + " ]",
      "Importing [ " + file + " ] into registry"};
  std::vector<std::string> log = LogFrom(expected[0]);
  log.resize(std::min(log.size(), expected.size()));
  EXPECT_EQ(log, expected);
  EXPECT_EQ(Subkeys(), std::vector<std::string>{"Bing"});
  EXPECT_EQ(Value("Bing", ""), Text(In("luGoogle.htm")));
  EXPECT_EQ(Value("Bing", "Contexts"), RegValue(int32_t{34}));
  EXPECT_EQ(Value("Bing", "Flags"), RegValue(int32_t{1}));
  EXPECT_EQ(Value("Bing", "Icon"), Text("%TEMP%\\Google.ico"));
  EXPECT_EQ(Value("Bing", "Lines"), Text(std::string("Google\0two", 10)));
  const std::string written = testkit::ReadAll(file);
  EXPECT_EQ(written.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(written.find("[" + Full("Bing") + "]\r\n"), std::string::npos);
  EXPECT_EQ(main_.lvwInstalled.Cell(0, 0), "Bing");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Modify, ARenameWhoseImportFailsBringsTheOldKeyBack) {
  Add("Google", In("luGoogle.htm"));
  testkit::RegSetString(HKCU, Key("Google"), "Icon", "%TEMP%\\g.ico", REG_EXPAND_SZ);
  for (int drop : {1, 2}) {
    DroppingSeam failing;
    failing.passThrough = {"regedit"};
    failing.drop = drop;
    Open("Google");
    Type(dialog_.txtName, "Bing");
    Apply();
    EXPECT_FALSE(testkit::RegKeyExists(HKCU, Key("Bing")));
    ASSERT_EQ(failing.messages.size(), 1u);
    if (drop == 1) {  // the backup is imported again
      EXPECT_NE(failing.messages[0].text.find("has been restored as it was"), std::string::npos);
      EXPECT_EQ(Value("Google", "Icon"), Text("%TEMP%\\g.ico"));
      EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
    } else {  // nor is that possible: the user learns where the backup is
      EXPECT_NE(failing.messages[0].text.find("Its backup is " + In("Reg_Backup\\Bing.reg")), std::string::npos);
      EXPECT_NE(testkit::ReadAll(In("Reg_Backup\\Bing.reg")).find(std::string("G\0o\0o\0g\0l\0e\0]", 13)),
                std::string::npos);
    }
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

TEST_F(Modify, AKeyThatCannotBeDeletedKeepsItsName) {
  Add("Google", In("luGoogle.htm"));
  testkit::RegCreate(HKCU, Key("Google") + "\\Sub");  // the platform refuses to delete it
  Open("Google");
  Type(dialog_.txtName, "Bing");
  Apply();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text.rfind("Error: Could not delete key", 0), 0u);
  EXPECT_EQ(Subkeys(), std::vector<std::string>{"Google"});
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{34}));
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
    ASSERT_EQ(ui_.messages.size(), 1u) << setting;
    EXPECT_EQ(ui_.messages[0].text,
              "Warning: You have asked to modify your registry, are you sure you want to proceed?");
    EXPECT_EQ(ui_.messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
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
  EXPECT_EQ(ui_.messages[0].text,
            "Note: If changing the context value, please ensure\r\nyou enter the value in DECIMAL form. E.g.\r\n\r\n"
            "1 = 1\r\n10 = 16\r\n14 = 20");
  EXPECT_EQ(ui_.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(ui_.messages[0].title, "Zandor Extension Pack");
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
  EXPECT_EQ(ui_.fileDialogs[0].title, "Select new file");
  EXPECT_EQ(ui_.fileDialogs[0].filter, "HTML Files (.htm, .html)|*.html;*.htm|All Files (*.*)|*.*");
  EXPECT_EQ(ui_.fileDialogs[0].initialDir, modMain::AppPath());
  EXPECT_FALSE(ui_.fileDialogs[0].save);
  EXPECT_EQ(dialog_.txtPath.Text(), In("new.htm"));
  EXPECT_EQ(LogMessages().back(), "[ Google ] path changed to [ " + In("new.htm") + " ]");
  dialog_.lblCancel_Click();
  EXPECT_EQ(Value("Google", ""), Text(In("luGoogle.htm")));
}

TEST_F(Modify, LabelButtonsLightUpUnderTheHandPointer) {
  Add("Google", In("luGoogle.htm"));
  Open("Google");
  auto over = [this](HWND control) {
    return dialog_.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  auto fills = [this] {
    return std::vector<COLORREF>{dialog_.shOK.fill, dialog_.shCancel.fill, dialog_.shBrowse.fill};
  };
  EXPECT_TRUE(over(dialog_.lblOK));
  EXPECT_EQ(GetCursor(), LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND)));
  EXPECT_EQ(fills(), (std::vector<COLORREF>{0xFFFFFF, 0xE0E0E0, 0xE0E0E0}));
  over(dialog_.lblBrowse);
  EXPECT_EQ(fills(), (std::vector<COLORREF>{0xE0E0E0, 0xE0E0E0, 0xFFFFFF}));
  EXPECT_FALSE(over(dialog_.txtName));
  EXPECT_EQ(fills(), (std::vector<COLORREF>{0xE0E0E0, 0xE0E0E0, 0xE0E0E0}));
  over(dialog_.lblCancel);
  dialog_.Send(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(fills(), (std::vector<COLORREF>{0xE0E0E0, 0xE0E0E0, 0xE0E0E0}));
}

// The menu command runs the dialog modally; a timer plays the user.
frmMain* g_main = nullptr;
bool g_ownerWasDisabled = false;
void CALLBACK ClickApply(HWND, UINT, UINT_PTR timer, DWORD) {
  frmModify* dialog = frmModify::Current();
  if (!dialog || !dialog->IsVisible()) return;  // not shown yet
  KillTimer(nullptr, timer);
  g_ownerWasDisabled = !IsWindowEnabled(g_main->Handle());
  dialog->txtContexts.SetText("5");
  dialog->lblOK.Send(WM_LBUTTONDOWN, MK_LBUTTON, 0);  // the label's own click
}

TEST_F(Modify, ModifyPropertiesOpensTheSelectedRowModally) {
  Add("Google", In("luGoogle.htm"));
  main_.LoadExtensionInfo();
  main_.Command(IDM_mnuModify);  // nothing selected
  EXPECT_EQ(frmModify::Current(), nullptr);
  main_.lvwInstalled.Select(main_.lvwInstalled.AddRow("Not Found"));
  main_.Command(IDM_mnuModify);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));

  main_.lvwInstalled.Select(0);
  modSettings::WriteINI("", "Settings", "PropertiesPrompt", "0");
  g_main = &main_;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, ClickApply);
  main_.Command(IDM_mnuModify);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_ownerWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(main_.Handle()));
  EXPECT_EQ(frmModify::Current(), nullptr);
  EXPECT_EQ(Value("Google", "Contexts"), RegValue(int32_t{5}));
}

}  // namespace
