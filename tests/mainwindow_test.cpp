// The main window's menus, toggles and layout, driven in-process without start-up.
#include <gtest/gtest.h>

#include "app/App.h"
#include "app/ScreenRules.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "log/modLog.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using Lines = std::vector<std::string>;

TEST(ScreenRules, TitleStatusStartMarksAndFirstPlace) {
  // The title and status bar describe the list on show (view 1 available, 0 and 2
  // installed); a list not loaded yet leaves the bare title.
  const struct {
    int view;
    long installed, available;
    const char *title, *status;
  } texts[] = {{1, 5, 47, "Zandor Extension Pack [ 47 extensions available ]", "47 extensions available"},
               {0, 5, 47, "Zandor Extension Pack [ 5 extensions installed ]", "5 extensions installed"},
               {2, 0, 3, "Zandor Extension Pack [ 0 extensions installed ]", "0 extensions installed"},
               {1, 5, -1, "Zandor Extension Pack", ""}};
  for (const auto& t : texts) {
    const screen::Texts shown = screen::Describe(t.view, t.installed, t.available);
    EXPECT_EQ(shown.title, t.title);
    EXPECT_EQ(shown.status, t.status);
  }
  // Exactly one start mode is marked, the one start-up would choose.
  const struct {
    const char *useClassic, *mode;
    bool wizard, available, installed;
  } marks[] = {{"0", "1", true, false, false}, {"2", "0", true, false, false}, {"", "1", true, false, false},
               {"1", "1", false, true, false}, {"1", "0", false, false, true},  {"1", "", false, false, true}};
  for (const auto& m : marks) {
    const screen::StartMarks got = screen::StartModeMarks(m.useClassic, m.mode);
    EXPECT_EQ(got.wizard, m.wizard) << m.useClassic << "/" << m.mode;
    EXPECT_EQ(got.available, m.available) << m.useClassic << "/" << m.mode;
    EXPECT_EQ(got.installed, m.installed) << m.useClassic << "/" << m.mode;
  }
  // The first window: never below the minimum nor beyond the work area, centred on it.
  const struct {
    SIZE wanted;
    RECT work, place;
  } places[] = {{{900, 500}, {0, 0, 1024, 738}, {62, 119, 962, 619}},
                {{2000, 2000}, {100, 0, 1124, 768}, {100, 0, 1124, 768}},
                {{100, 100}, {0, 30, 800, 630}, {266, 196, 534, 464}}};
  for (const auto& p : places) {
    const RECT got = screen::FirstPlace(p.wanted, {268, 268}, p.work);
    EXPECT_TRUE(EqualRect(&got, &p.place)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
  // Sort order per column kind: text without regard to case; hexadecimal numbers as
  // numbers, with any other text after them.
  using Order = win::CListView::Order;
  const struct {
    Order order;
    const char *a, *b;
    int sign;
  } pairs[] = {{Order::Text, "alpha", "Beta", -1}, {Order::Text, "ALPHA", "alpha", 0}, {Order::Text, "10", "9", -1},
               {Order::Hex, "A", "10", -1},        {Order::Hex, "3F", "3f", 0},        {Order::Hex, "FFFFFFFF", "None", -1},
               {Order::Hex, "", "0", 1}};
  for (const auto& p : pairs) {
    const int got = win::CListView::CompareCells(p.order, p.a, p.b);
    EXPECT_EQ((got > 0) - (got < 0), p.sign) << p.a << " " << p.b;
  }
}

// A main window whose start-up is not run: only its controls and menus.
class MainWindow : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    ASSERT_TRUE(main_.Create());
  }
  std::string Ini(const std::string& section, const std::string& key) {
    return modSettings::ReadINI(modMain::kTitle, section, key, "<none>");
  }
  testkit::ScriptedSeam seam_;
  frmMain main_;
};

TEST_F(MainWindow, ViewCommandsSetTheMenuStatesOfTheirView) {
  const auto& menu = main_.menu;
  // The backups' Delete item and its separator are hidden from the start.
  EXPECT_FALSE(menu.IsVisible(IDM_mnuDelBackups) || menu.IsVisible(IDM_mnuFSep3));
  main_.Show();
  main_.Command(IDM_mnuAvailable);
  EXPECT_EQ(modMain::CurrentView, 1);
  EXPECT_TRUE(main_.lvwAvailable.IsVisible());
  EXPECT_FALSE(main_.lvwInstalled.IsVisible());
  // The list on show has the focus, and the title and status bar speak of it, also
  // after a refresh, which loads the installed list last but one.
  EXPECT_EQ(GetFocus(), main_.lvwAvailable.Handle());
  main_.Command(IDM_mnuRefresh);
  EXPECT_NE(main_.Text().find(" extensions available ]"), std::string::npos) << main_.Text();
  EXPECT_NE(main_.ctlSBar.Text().find(" extensions available"), std::string::npos);
  // Ctrl+A acts only as its menu would: File > Export is disabled in this view.
  EXPECT_FALSE(main_.Command(IDM_mnuExAll));
  EXPECT_TRUE(seam_.folderTitles.empty());
  for (UINT id : {IDM_mnuExport, IDM_mnuDisable, IDM_mnuExportExt, IDM_mnuModify, IDM_mnuModifyContent, IDM_mnuDelete})
    EXPECT_FALSE(menu.IsEnabled(id)) << menu.Find(id)->name;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile}) {
    EXPECT_TRUE(menu.IsEnabled(id));
    EXPECT_TRUE(menu.IsVisible(id));
  }
  EXPECT_FALSE(menu.IsVisible(IDM_mnuESep2));
  EXPECT_TRUE(menu.IsChecked(IDM_mnuAvailable));
  EXPECT_FALSE(menu.IsChecked(IDM_mnuInstalled));
  // Enable sits between Disable and Export extension; View associated registry file before its separator.
  HMENU edit = menu.Popup(IDM_mnuEdit);
  EXPECT_EQ(GetMenuItemID(edit, 1), static_cast<UINT>(IDM_mnuEnable));
  EXPECT_EQ(GetMenuItemID(edit, 6), static_cast<UINT>(IDM_mnuViewRegFile));

  main_.Command(IDM_mnuInstalled);
  EXPECT_EQ(modMain::CurrentView, 2);
  EXPECT_EQ(GetFocus(), main_.lvwInstalled.Handle());
  main_.Command(IDM_mnuRefresh);
  EXPECT_NE(main_.ctlSBar.Text().find(" extensions installed"), std::string::npos) << main_.ctlSBar.Text();
  for (UINT id : {IDM_mnuExport, IDM_mnuDisable, IDM_mnuExportExt, IDM_mnuModify, IDM_mnuModifyContent, IDM_mnuDelete})
    EXPECT_TRUE(menu.IsEnabled(id)) << menu.Find(id)->name;
  EXPECT_FALSE(menu.IsVisible(IDM_mnuEnable));
  EXPECT_FALSE(menu.IsVisible(IDM_mnuViewRegFile));
  EXPECT_EQ(GetMenuItemCount(edit), 9);
  // A hidden, disabled item does not run from its shortcut key.
  EXPECT_FALSE(main_.Command(IDM_mnuEnable));
}

TEST_F(MainWindow, SettingToggles) {
  auto& menu = main_.menu;
  // An absent key counts as on: the first click turns it off, the second on again. The
  // wizard's item is on while UseClassic is "0".
  const struct {
    UINT id;
    const char *key, *off, *on;
  } toggles[] = {{IDM_mnuRegBackup, "RMEK_Backup", "0", "1"},       {IDM_mnuPromptInstall, "InstallPrompt", "0", "1"},
                 {IDM_mnuPromptContext, "ContextPrompt", "0", "1"}, {IDM_mnuPromptProperties, "PropertiesPrompt", "0", "1"},
                 {IDM_mnuStartupWizard, "UseClassic", "1", "0"}};
  for (const auto& toggle : toggles) {
    main_.Command(toggle.id);
    EXPECT_EQ(Ini("Settings", toggle.key), toggle.off);
    EXPECT_FALSE(menu.IsChecked(toggle.id)) << toggle.key;
    main_.Command(toggle.id);
    EXPECT_EQ(Ini("Settings", toggle.key), toggle.on);
    EXPECT_TRUE(menu.IsChecked(toggle.id)) << toggle.key;
  }
  // Start modes, without changing the view.
  main_.Command(IDM_mnuStartupInstalled);
  EXPECT_EQ(Ini("Startup", "Mode"), "0");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuStartupInstalled));
  EXPECT_EQ(Ini("Settings", "UseClassic"), "1");  // a classic list is a classic start
  EXPECT_FALSE(menu.IsChecked(IDM_mnuStartupWizard));
  main_.Command(IDM_mnuStartupAvailable);
  EXPECT_EQ(Ini("Startup", "Mode"), "1");
  EXPECT_FALSE(menu.IsChecked(IDM_mnuStartupInstalled));
  EXPECT_TRUE(menu.IsChecked(IDM_mnuStartupAvailable));
  // The wizard again: the classic marks go, so that one start mode is marked.
  main_.Command(IDM_mnuStartupWizard);
  EXPECT_TRUE(menu.IsChecked(IDM_mnuStartupWizard));
  EXPECT_FALSE(menu.IsChecked(IDM_mnuStartupAvailable) || menu.IsChecked(IDM_mnuStartupInstalled));
  EXPECT_EQ(modMain::CurrentView, 0);
}

TEST_F(MainWindow, LogMenus) {
  auto& menu = main_.menu;
  // View with no log.
  main_.Command(IDM_mnuAppLog);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "Unable to locate application log");
  EXPECT_EQ(seam_.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  modMain::WriteLog("A");
  main_.Command(IDM_mnuAppLog);
  ASSERT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(seam_.commands[0], "notepad " + In("Logs\\applog.log"));
  main_.Command(IDM_mnuAppLogClear);
  EXPECT_FALSE(testkit::Exists(In("Logs\\applog.log")));
  // Always clear: an absent key is written "0" first, then toggled on.
  main_.Command(IDM_mnuClearLog);
  EXPECT_EQ(Ini("Shutdown", "ClearLog"), "1");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuClearLog));
  // Disable logging switches the three items off and back; the log is still written.
  main_.Command(IDM_mnuAppLogDisable);
  EXPECT_EQ(Ini("Settings", "DisableLog"), "1");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuAppLogDisable));
  for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) EXPECT_FALSE(menu.IsEnabled(id));
  EXPECT_FALSE(main_.Command(IDM_mnuAppLogClear));
  modMain::WriteLog("B");
  EXPECT_EQ(testkit::LogMessages().back(), "B");
  main_.Command(IDM_mnuAppLogDisable);
  EXPECT_EQ(Ini("Settings", "DisableLog"), "0");
  for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) EXPECT_TRUE(menu.IsEnabled(id));
}

TEST_F(MainWindow, TheWindowStopsAtItsMinimumSizeWithoutAWord) {
  const int minimum = main_.TwipsToPixelsY(4000);
  SetWindowPos(main_.Handle(), nullptr, 0, 0, 2 * minimum, minimum / 2, SWP_NOZORDER | SWP_NOMOVE);
  RECT r = main_.WindowRect();
  EXPECT_EQ(r.bottom - r.top, minimum);
  EXPECT_EQ(r.right - r.left, 2 * minimum);
  SetWindowPos(main_.Handle(), nullptr, 0, 0, minimum / 3, 2 * minimum, SWP_NOZORDER | SWP_NOMOVE);
  r = main_.WindowRect();
  EXPECT_EQ(r.right - r.left, main_.TwipsToPixelsX(4000));
  EXPECT_TRUE(seam_.messages.empty());
  // The lists fill the client area down to the status bar.
  RECT client = main_.ClientRect(), list = main_.lvwAvailable.RectInParent();
  EXPECT_EQ(list.right, client.right);
  EXPECT_EQ(list.bottom, client.bottom - main_.ctlSBar.Height());
}

// What the lists show of a model made by hand: the names (marked when the code page
// cannot hold them, "Not Found" for a key that could not be opened), the cells, the tick,
// the tips, red marks where a file is missing, the counts in the caption and status bar;
// the order header clicks choose, held when the model is shown again; the context menu.
TEST_F(MainWindow, TheListsShowTheModelSortedAsChosen) {
  const std::string key = std::string(modReg::kMenuExtFull) + "\\";
  modMain::Extensions model;  // Opened, Name, Key, Exact, Path, Contexts, Flags, FileExists
  model.Installed = {{true, "beta", key + "beta", true, "C:\\beta.htm", "3F", "0", true},
                     {true, "Alpha", key + "Alpha", false, "C:\\Alpha.htm", "A", "0", false},
                     {true, "gamma", key + "gamma", true, "", "None", "0", false},
                     {true, "Delta", key + "Delta", true, "C:\\Delta.htm", "10", "0", true},
                     {}};  // a key that could not be opened
  model.InstalledCount = 5;
  const Lines texts = {"beta", "Alpha" + std::string(modReg::kOutsideCodePageMark), "gamma", "Delta", "Not Found"},
              paths = {"C:\\beta.htm", "C:\\Alpha.htm", "Not Found", "C:\\Delta.htm", "Not Found"};
  main_.ShowInstalled(model, modMain::Reader::Main);

  auto& list = main_.lvwInstalled;
  ASSERT_EQ(list.Count(), 5);
  for (int row = 0; row < 5; ++row) {
    const int i = list.Item(row);
    ASSERT_TRUE(i >= 0 && i < 5) << row;
    const modMain::InstalledExtension& e = model.Installed[i];
    EXPECT_EQ(list.Cell(row, 0) + "|" + list.Cell(row, 1), texts[i] + "|" + paths[i]);
    EXPECT_EQ(list.Cell(row, 2) + "|" + list.Cell(row, 3), e.Contexts + "|" + e.Flags);
    EXPECT_EQ(list.Image(row), e.Opened ? main_.TickedImage : -1) << i;
    EXPECT_EQ(list.Tip(row), e.Key) << i;
    for (int column : {0, 1, 2, 3}) {
      const bool red = !e.FileExists && column < 3;
      EXPECT_EQ(list.Style(row, column).bold, red) << i << " column " << column;
      EXPECT_EQ(list.Style(row, column).color == COLORREF{255}, red) << i << " column " << column;
    }
  }
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack [ 5 extensions installed ]");
  EXPECT_TRUE(main_.menu.IsChecked(IDM_mnuInstalled));
  model.InstalledCount = 7;
  main_.ShowInstalled(model, modMain::Reader::Wizard);  // the wizard's load leaves the caption alone
  EXPECT_EQ(main_.ctlSBar.Text(), "5 extensions installed");

  auto cells = [&](int column) {
    Lines texts;
    for (int row = 0; row < list.Count(); ++row) texts.push_back(list.Cell(row, column));
    return texts;
  };
  auto arrow = [&](int column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(ListView_GetHeader(list.Handle()), column, &item);
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
  };
  // Context values are numbers; a second click on the same header reverses.
  main_.lvwInstalled_ColumnClick(2);
  EXPECT_EQ(arrow(2), HDF_SORTUP);
  main_.lvwInstalled_ColumnClick(2);
  main_.ShowInstalled(model, modMain::Reader::Main);
  const Lines contexts = cells(2);
  EXPECT_EQ(Lines(contexts.end() - 3, contexts.end()), (Lines{"3F", "10", "A"}));
  EXPECT_EQ(arrow(2), HDF_SORTDOWN);
  main_.lvwInstalled_ColumnClick(0);  // names as text, the arrow moves with the sort
  EXPECT_EQ(cells(0), (Lines{texts[1], "beta", "Delta", "gamma", "Not Found"}));
  EXPECT_EQ(arrow(0) | arrow(2), HDF_SORTUP);

  // The menu key and Shift+F10 say (-1, -1): the Edit menu opens below the selected row;
  // a right click opens it at the pointer; an empty list opens none.
  list.Select(2);
  main_.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(-1, -1));
  main_.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(120, 240));
  ASSERT_EQ(seam_.popups.size(), 2u);
  RECT row{};
  ListView_GetItemRect(list.Handle(), 2, &row, LVIR_BOUNDS);
  MapWindowPoints(list.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&row), 2);
  EXPECT_EQ(seam_.popups[0].menu, main_.menu.Popup(IDM_mnuEdit));
  EXPECT_EQ(seam_.popups[0].at.y, row.bottom);
  EXPECT_TRUE(seam_.popups[0].at.x >= row.left && seam_.popups[0].at.x < row.right);
  EXPECT_EQ(seam_.popups[1].at.x, 120);
  EXPECT_EQ(seam_.popups[1].at.y, 240);
  list.Clear();
  main_.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(seam_.popups.size(), 2u);

  // The catalog less what is installed, sorted by name without regard to case; with no
  // catalog to read the list is empty and the status bar says so, not the last count.
  model.Catalog = {{"Lookup", "zeta", "Lookup\\z.htm", "Z", "C:\\P\\z.reg", true},
                   {"Misc", "Alpha", "Misc\\a.htm", "A", "C:\\P\\a.reg", false},
                   {"Misc", "Taken", "Delta.htm", "T", "C:\\P\\t.reg", true},
                   {"Misc", "beta", "Misc\\b.htm", "B", "C:\\P\\b.reg", true}};
  model.CatalogCount = 4;
  modMain::CurrentView = 1;
  main_.ShowCatalog(model, modMain::Reader::Main);
  auto& available = main_.lvwAvailable;
  ASSERT_EQ(available.Count(), 3);
  for (int row = 0; row < 3; ++row) {
    const modMain::CatalogEntry& e = model.Catalog.at(available.Item(row));
    EXPECT_EQ(available.Cell(row, 0), (Lines{"Alpha", "beta", "zeta"}[row]));
    EXPECT_EQ(available.Cell(row, 1) + "|" + available.Cell(row, 2) + "|" + available.Cell(row, 3),
              e.Category + "|" + e.Description + "|" + e.File);
    EXPECT_EQ(available.Tip(row), e.RegFile);
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(available.Style(row, column).bold, !e.RegFileExists) << e.Name << " column " << column;
      EXPECT_EQ(available.Style(row, column).color == COLORREF{255}, !e.RegFileExists) << e.Name;
    }
  }
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack [ 3 extensions available ]");
  model.Catalog.clear();
  model.CatalogCount = -1;
  main_.ShowCatalog(model, modMain::Reader::Main);
  EXPECT_EQ(available.Count(), 0);
  EXPECT_EQ(main_.ctlSBar.Text(), "0 extensions available");
}

TEST_F(MainWindow, AutosizeKeepsTheVisibilityOfTheList) {
  main_.lvwInstalled.AddRow("A rather long extension name that needs room");
  ListView_SetColumnWidth(main_.lvwInstalled.Handle(), 0, 10);
  main_.lvwAvailable.Hide();
  main_.lvAutosizeControl(main_.lvwInstalled);
  main_.lvAutosizeControl(main_.lvwAvailable);
  EXPECT_GT(main_.lvwInstalled.ColumnWidth(0), 100);
  EXPECT_FALSE(main_.lvwAvailable.IsVisible());
}

}  // namespace
