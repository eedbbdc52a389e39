// Restore: the backups listed, put back and deleted.
#include <gtest/gtest.h>

#include "operations/modRegedit.h"
#include "registry/Pack.h"
#include "restore/frmRestore.h"

namespace {

using namespace testkit;

class RestoreWithOrWithoutTheEditor : public OperationsWindow, public ::testing::WithParamInterface<DWORD> {};
INSTANTIATE_TEST_SUITE_P(Editor, RestoreWithOrWithoutTheEditor, ::testing::Values(DWORD{0}, modReg::kElevationRequired));
TEST_P(RestoreWithOrWithoutTheEditor, RestoreUndoesEachOperationAndRefusesAFileThatIsNoBackup) {
  seam_.launchError = GetParam();
  WriteAll(pack_ / "Lookup\\google.htm", "google()");
  Install({{"Google", pack_ / "Lookup\\google.htm"}});
  seam_.files = {Reg("define")};
  EXPECT_TRUE(Enable("&Translate", {IDYES, IDYES}));
  EXPECT_TRUE(modMain::ImportChosenFile(nullptr));
  EXPECT_EQ(Value("&Translate", ""), RegValue(Ext("translate")));
  EXPECT_EQ(Value("Define", ""), RegValue(Ext("define")));
  EXPECT_EQ(Files(In("Reg_Backup")).size(), 2u);  // the two MenuExt backups
  const std::string junk = In("Reg_Backup\\junk.reg"), outside = In("Reg_Backup\\outside.reg");
  EXPECT_TRUE(Disable("&Translate"));
  EXPECT_TRUE(Delete("Define"));
  Open("Google");
  Type(dialog_.txtName, "Bing");
  Apply();
  ASSERT_EQ(Keys(), std::set<std::string>{"Bing"});
  ASSERT_FALSE(Exists(Ext("define")));
  WriteAll(Ext("define"), "another file");
  WriteAll(junk, "not a registry file");
  WriteAll(outside, "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software\\NIMO Test Scratch]\r\n\r\n[" + kFull + "Outside]\r\n");
  seam_.messages.clear();

  frmRestore window;
  int restored = 0;  // the window's call to have the lists read again
  ASSERT_TRUE(window.Load(main_.Handle(), [&] {
    ++restored;
    main_.LoadExtensionInfo();
    main_.LoadAvailableExtensions();
  }));
  win::CListView& list = window.lvwBackups;
  const auto select = [&](int column, const std::string& text) {
    list.Select(-1);
    for (int row = list.Count() - 1; row >= 0; --row)
      if (list.Cell(row, column) == text) list.Select(row);
    const int at = list.Selected();
    return at >= 0 ? list.Cell(at, 1) + " | " + list.Cell(at, 2) + " | " + list.Cell(at, 3) : "none";
  };
  size_t asked = 0;  // the restore's question among the messages
  const auto restore = [&](std::deque<int> answers) {
    asked = seam_.messages.size();
    seam_.answers = std::move(answers);
    window.cmdRestore_Click();
    return seam_.messages.size() > asked ? seam_.messages[asked].text : "";
  };
  EXPECT_EQ(select(1, "disable"), "disable | Translate | ");
  const size_t backups = Files(In("Reg_Backup")).size();
  EXPECT_NE(restore({IDYES, IDOK}).find("\r\n" + kFull + "&Translate\r\n"), std::string::npos);
  EXPECT_TRUE(Installed("&Translate"));
  EXPECT_EQ(Files(In("Reg_Backup")).size(), backups + 1);  // MenuExt's backup, taken before the import
  EXPECT_GE(Row(main_.lvwInstalled, "Translate"), 0);  // both lists read again
  EXPECT_LT(Row(main_.lvwAvailable, "Translate"), 0);
  // A backup that writes beyond MenuExt is asked about as any import is: No writes nothing.
  EXPECT_NE(select(4, "outside.reg"), "none");
  restore({IDYES, IDNO});
  EXPECT_NE(seam_.Texts().back().find("does more than add extensions under MenuExt"), std::string::npos);
  EXPECT_FALSE(Installed("Outside"));

  // Another file in the page's place: No keeps it, Yes moves it to Ext_Backup.
  for (int answer : {IDNO, IDYES}) {
    EXPECT_EQ(select(1, "delete"), "delete | Define | In Ext_Backup: define.htm");
    restore({IDYES, answer, IDOK});
    EXPECT_EQ(seam_.messages[asked].type, answer == IDNO ? UINT{MB_YESNO | MB_ICONQUESTION} : kAskNo);  // No when it replaces
    EXPECT_EQ(seam_.messages[seam_.messages.size() - 2].type, kAskNo);
    EXPECT_TRUE(Installed("Define"));
    EXPECT_EQ(ReadAll(Ext("define")), answer == IDNO ? "another file" : "define()");
  }
  EXPECT_NE(seam_.Texts().back().find("Its page is back at " + Ext("define") + "."), std::string::npos);
  EXPECT_EQ(ReadAll(In("Ext_Backup\\define (2).htm")), "another file");

  EXPECT_EQ(select(1, "rename"), "rename | Google | ");
  EXPECT_NE(restore({IDYES, IDOK}).find("present name [ Bing ] then goes"), std::string::npos);
  EXPECT_TRUE(Installed("Google"));
  EXPECT_FALSE(Installed("Bing"));
  EXPECT_EQ(Value("Google", ""), RegValue(pack_ / "Lookup\\google.htm"));
  EXPECT_NE(select(2, "Bing"), "none");  // the name it took away is a backup in its turn

  EXPECT_NE(select(4, "junk.reg").find(" | Not a registry file: "), std::string::npos);
  const size_t commands = seam_.commands.size();
  EXPECT_NE(restore({IDOK}).find("is not a registry file that can be restored"), std::string::npos);
  EXPECT_EQ(seam_.commands.size(), commands);
  EXPECT_EQ(seam_.unanswered, 0);
  EXPECT_EQ(restored, 4);
  if (GetParam()) {
    EXPECT_EQ(commands, 1u);  // the editor tried once
  }
  EXPECT_EQ(Logged("Imported [ " + Reg("define") + " ] in-process"), GetParam() != 0);
}

// Only the newest automatic copy shows unless asked; several rows go after one question.
using RestoreWindow = OperationsWindow;
TEST_F(RestoreWindow, RestoreHidesOlderAutomaticCopiesAndDeletesSeveralRowsAtOnce) {
  CreateDirectoryA(In("Reg_Backup").c_str(), nullptr);
  ULARGE_INTEGER now{};
  GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&now));
  for (ULONGLONG i = 0; i < 4; ++i) {  // minutes apart, oldest first: three whole copies, then one key's
    const std::string file = In("Reg_Backup\\" + (i < 3 ? "05-12-26_13051" + std::to_string(i) : std::string("A")) + ".reg");
    WriteAll(file, "REGEDIT4\r\n\r\n" + (i < 3 ? "[" + std::string(modReg::kMenuExtFull) + "]\r\n" : "") + "[" + kFull + "A]\r\n");
    const ULONGLONG made = now.QuadPart - (10 - i) * 600000000ULL;
    HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(handle, nullptr, nullptr, reinterpret_cast<const FILETIME*>(&made));
    CloseHandle(handle);
  }
  WriteAll(In("Reg_Backup\\writing.reg"), "");  // the registry editor has only just begun it
  frmRestore window;
  ASSERT_TRUE(window.Load(main_.Handle(), nullptr));
  ShowWindow(window.Handle(), SW_SHOW);
  win::CListView& list = window.lvwBackups;
  const auto rows = [&](int automatic) {
    window.chkAutomatic.Send(BM_SETCHECK, automatic);
    window.chkAutomatic_Click();
    std::string shown;
    for (int row = 0; row < list.Count(); ++row) shown += list.Cell(row, 4) + " " + list.Cell(row, 1) + "|";
    return shown;
  };
  EXPECT_EQ(rows(BST_UNCHECKED), "writing.reg backup|A.reg backup|05-12-26_130512.reg automatic|");
  EXPECT_EQ(list.Cell(0, 2), "Still being written");
  rows(BST_CHECKED);
  ASSERT_EQ(list.Count(), 5);
  list.Select(2);
  ListView_SetItemState(list.Handle(), 3, LVIS_SELECTED, LVIS_SELECTED);
  seam_.answers = {IDYES};
  window.cmdDelete_Click();
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].type, kAskNo);
  EXPECT_EQ(seam_.messages[0].text.rfind("Delete these 2 backups?", 0), 0u);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Selected(), 2);
  EXPECT_EQ(GetFocus(), list.Handle());
  EXPECT_EQ(rows(BST_UNCHECKED), "writing.reg backup|A.reg backup|05-12-26_130510.reg automatic|");
}

}  // namespace
