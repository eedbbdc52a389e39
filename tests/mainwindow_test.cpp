// The main window without start-up: its screen rules, menus, layout, and what its lists show of a model.
#include <gtest/gtest.h>

#include "app/ScreenRules.h"
#include "base/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "log/modLog.h"
#include "settings/modSettings.h"
#include "support/ProgramStart.h"

namespace {

// Centred within the work area; least sizes cut down where the screen is too small.
TEST(ScreenRules, FirstPlaceAndLeastSizes) {
  const struct { SIZE wanted; RECT work, place; } places[] = {{{900, 500}, {0, 0, 1024, 738}, {62, 119, 962, 619}},
                {{2000, 2000}, {100, 0, 1124, 768}, {100, 0, 1124, 768}},
                {{100, 100}, {0, 30, 800, 630}, {266, 196, 534, 464}}};
  for (const auto& p : places) {
    const RECT got = screen::FirstPlace(p.wanted, {268, 268}, p.work);
    EXPECT_TRUE(EqualRect(&got, &p.place)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
  const struct { UINT dpi; RECT work; SIZE main; UINT wizard; } sizes[] = {
      {96, {0, 0, 1024, 738}, {267, 267}, 96}, {168, {0, 0, 1366, 728}, {467, 467}, 168},
      {288, {0, 0, 3840, 2120}, {800, 800}, 288},
      {288, {0, 0, 1024, 738}, {800, 738}, 147}};  // the wizard: (1024 - 16) * 1440 / 9900 by its width
  for (const auto& s : sizes) {
    const SIZE main = screen::MinimumSize(s.dpi, s.work);
    EXPECT_EQ(main.cx, s.main.cx) << s.dpi;
    EXPECT_EQ(main.cy, s.main.cy) << s.dpi;
    EXPECT_EQ(win::FittingDpi(s.dpi, {9900, 4710}, {16, 39}, s.work), s.wizard) << s.dpi;
  }
}

class MainWindow : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    ASSERT_TRUE(main_.Create());
  }
  testkit::ScriptedSeam seam_;
  Program program_;
  frmMain& main_ = program_.Main();
};

// A hidden or disabled item does not run from its shortcut key.
TEST_F(MainWindow, ViewCommandsSetTheMenuStatesOfTheirView) {
  const auto& menu = main_.menu;
  const UINT installedOnly[] = {IDM_mnuExport, IDM_mnuDisable, IDM_mnuExportExt, IDM_mnuModify, IDM_mnuModifyContent, IDM_mnuDelete};
  for (UINT id : {IDM_mnuDelBackups, IDM_mnuFSep3}) EXPECT_FALSE(menu.IsVisible(id)) << id;  // hidden from the start
  main_.Show();
  main_.Command(IDM_mnuAvailable);
  EXPECT_EQ(modMain::CurrentView, modMain::View::Available);
  EXPECT_EQ(GetFocus(), main_.lvwAvailable.Handle());
  main_.Command(IDM_mnuRefresh);  // fits the hidden list's columns too, and leaves it hidden
  testkit::UntilRead(main_);
  EXPECT_TRUE(main_.lvwAvailable.IsVisible());
  EXPECT_FALSE(main_.lvwInstalled.IsVisible());
  EXPECT_FALSE(main_.Command(IDM_mnuExAll));  // Ctrl+A: File > Export is disabled here
  EXPECT_TRUE(seam_.folderStarts.empty());
  for (UINT id : installedOnly) EXPECT_FALSE(menu.IsEnabled(id)) << menu.Find(id)->name;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile}) {
    EXPECT_TRUE(menu.IsEnabled(id)) << id;
    EXPECT_TRUE(menu.IsVisible(id)) << id;
  }
  EXPECT_FALSE(menu.IsVisible(IDM_mnuESep2));
  EXPECT_TRUE(menu.IsChecked(IDM_mnuAvailable));
  EXPECT_FALSE(menu.IsChecked(IDM_mnuInstalled));
  HMENU edit = menu.Popup(IDM_mnuEdit);
  EXPECT_EQ(GetMenuItemID(edit, 1), static_cast<UINT>(IDM_mnuEnable));
  EXPECT_EQ(GetMenuItemID(edit, 6), static_cast<UINT>(IDM_mnuViewRegFile));
  EXPECT_EQ(GetMenuDefaultItem(edit, FALSE, 0), IDM_mnuEnable);  // bold: what Enter does on the list

  main_.Command(IDM_mnuInstalled);
  EXPECT_EQ(modMain::CurrentView, modMain::View::Installed);
  EXPECT_EQ(GetFocus(), main_.lvwInstalled.Handle());
  main_.Command(IDM_mnuRefresh);
  testkit::UntilRead(main_);
  for (UINT id : installedOnly) EXPECT_TRUE(menu.IsEnabled(id)) << menu.Find(id)->name;
  for (UINT id : {IDM_mnuEnable, IDM_mnuViewRegFile}) EXPECT_FALSE(menu.IsVisible(id)) << id;
  EXPECT_EQ(GetMenuItemCount(edit), 9);
  EXPECT_EQ(GetMenuDefaultItem(edit, FALSE, 0), IDM_mnuModify);
  EXPECT_FALSE(main_.Command(IDM_mnuEnable));
}

// An absent setting counts as on; with logging disabled the log is still written.
TEST_F(MainWindow, SettingAndLogMenus) {
  auto& menu = main_.menu;
  const struct { UINT id; const char *key, *off, *on; } toggles[] = {
      {IDM_mnuRegBackup, "RMEK_Backup", "0", "1"}, {IDM_mnuPromptInstall, "InstallPrompt", "0", "1"},
      {IDM_mnuPromptContext, "ContextPrompt", "0", "1"}, {IDM_mnuPromptProperties, "PropertiesPrompt", "0", "1"},
      {IDM_mnuStartupWizard, "UseClassic", "1", "0"}};
  for (const auto& toggle : toggles)
    for (const std::string value : {toggle.off, toggle.on}) {
      main_.Command(toggle.id);
      EXPECT_EQ(Ini("Settings", toggle.key), value);
      EXPECT_EQ(menu.IsChecked(toggle.id), value == toggle.on) << toggle.key;
    }
  auto marks = [&] {
    return std::to_string(menu.IsChecked(IDM_mnuStartupWizard)) + std::to_string(menu.IsChecked(IDM_mnuStartupAvailable)) +
           std::to_string(menu.IsChecked(IDM_mnuStartupInstalled));
  };
  for (const auto& [id, settings] : {std::pair{IDM_mnuStartupInstalled, "01 001"}, {IDM_mnuStartupAvailable, "11 010"},
                                      {IDM_mnuStartupWizard, "10 100"}}) {  // Mode, UseClassic, the marks
    main_.Command(id);
    EXPECT_EQ(Ini("Startup", "Mode") + Ini("Settings", "UseClassic") + " " + marks(), settings);
  }
  EXPECT_EQ(modMain::CurrentView, modMain::View::None);

  main_.Command(IDM_mnuAppLog);
  EXPECT_EQ(seam_.Texts(), Lines{"Unable to locate application log"});
  modMain::WriteLog("A");
  main_.Command(IDM_mnuAppLogClear);
  main_.Command(IDM_mnuClearLog);
  EXPECT_FALSE(testkit::Exists(In("Logs\\applog.log")));
  EXPECT_EQ(Ini("Shutdown", "ClearLog"), "1");
  EXPECT_TRUE(menu.IsChecked(IDM_mnuClearLog));
  for (const std::string disabled : {"1", "0"}) {
    main_.Command(IDM_mnuAppLogDisable);
    EXPECT_EQ(Ini("Settings", "DisableLog") + (menu.IsChecked(IDM_mnuAppLogDisable) ? " checked" : ""),
              disabled == "1" ? "1 checked" : "0");
    for (UINT id : {IDM_mnuClearLog, IDM_mnuAppLog, IDM_mnuAppLogClear}) EXPECT_EQ(menu.IsEnabled(id), disabled == "0");
    modMain::WriteLog(disabled);
    EXPECT_EQ(testkit::LogMessages().back(), disabled);
  }
}

// Moved to a monitor of another scaling, the window takes the suggested place.
TEST_F(MainWindow, MinimumSizeAndTheListsPlacesAtEachScaling) {
  const UINT dpi = win::DpiOf(main_);
  for (UINT scaling : {dpi, 2 * dpi}) {  // a move to a monitor of the same scaling, then of twice it
    const int minimum = MulDiv(4000, scaling, 1440);
    RECT suggested{10, 20, 10 + 3 * minimum / 2, 20 + 5 * minimum / 4}, r{};
    main_.Send(WM_DPICHANGED, MAKEWPARAM(scaling, scaling), reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(main_, &r);
    EXPECT_TRUE(EqualRect(&r, &suggested)) << scaling;
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(main_.lvwInstalled.Send(WM_GETFONT)), sizeof font, &font);
    int tick = 0, height = 0;
    ImageList_GetIconSize(ListView_GetImageList(main_.lvwInstalled, LVSIL_SMALL), &tick, &height);
    EXPECT_EQ(font.lfHeight, -MulDiv(8, scaling, 72)) << scaling;
    EXPECT_EQ(tick, win::MetricAt(SM_CXSMICON, scaling)) << scaling;
    SetWindowPos(main_.Handle(), nullptr, 0, 0, 3 * minimum / 2, minimum / 2, SWP_NOZORDER | SWP_NOMOVE);
    r = main_.WindowRect();
    EXPECT_EQ(std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top), std::to_string(3 * minimum / 2) + "x" + std::to_string(minimum));
    SetWindowPos(main_.Handle(), nullptr, 0, 0, minimum / 3, minimum, SWP_NOZORDER | SWP_NOMOVE);
    r = main_.WindowRect();
    EXPECT_EQ(r.right - r.left, minimum);
    RECT client = main_.ClientRect(), list = main_.lvwAvailable.RectInParent();
    EXPECT_EQ(list.right, client.right);
    EXPECT_EQ(list.bottom, client.bottom - main_.ctlSBar.Height());
  }
}

// A model made by hand: red cells and a warning sign where a file is missing; the order held.
TEST_F(MainWindow, TheListsShowTheModelSortedAsChosen) {
  const std::string key = std::string(modReg::kMenuExtFull) + "\\";
  modMain::Extensions model;  // Opened, Name, Key, Exact, Path, Contexts, Flags, FileExists
  model.Installed = {{true, "beta", key + "beta", true, "C:\\beta.htm", "3F", "0", true},
                     {true, "Alpha", key + "Alpha", false, "C:\\Alpha.htm", "A", "0", false},
                     {true, "gamma", key + "gamma", true, "", "None", "1", false},
                     {true, "Delta", key + "Delta", true, "C:\\Delta.htm", "10", "0", true},
                     {}};  // a key that could not be opened
  model.InstalledCount = 5;
  const Lines texts = {"beta", "Alpha" + std::string(modReg::kOutsideCodePageMark), "gamma", "Delta", "Not Found"},
              paths = {"C:\\beta.htm", "C:\\Alpha.htm", "Not Found", "C:\\Delta.htm", "Not Found"};
  main_.ShowInstalled(model, modMain::Reader::Main);
  auto& list = main_.lvwInstalled;
  auto shown = [](const win::CListView& view, int row) {  // the cells and the tip
    return view.Cell(row, 0) + "|" + view.Cell(row, 1) + "|" + view.Cell(row, 2) + "|" + view.Cell(row, 3) + "|" +
           win::Narrow(view.Tip(row));
  };
  auto red = [](const win::CListView& view, int row, int column) {
    return view.Style(row, column).bold + 2 * (view.Style(row, column).color == COLORREF{255});
  };
  ASSERT_EQ(list.Count(), 5);
  for (int row = 0; row < 5; ++row) {
    const int i = list.Item(row);
    ASSERT_GE(i, 0);
    ASSERT_LT(i, 5);
    const modMain::InstalledExtension& e = model.Installed[i];
    EXPECT_EQ(shown(list, row), texts[i] + "|" + paths[i] + "|" + e.Contexts + "|" + e.Flags + "|" + e.Key +
                                    (e.FileExists ? "" : "\r\nFile not found: " + paths[i]));
    EXPECT_EQ(list.Image(row), !e.FileExists ? main_.MissingImage : e.Opened ? main_.TickedImage : -1) << i;
    for (int column : {0, 1, 2, 3}) EXPECT_EQ(red(list, row, column), !e.FileExists && column < 3 ? 3 : 0) << i << "/" << column;
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
    return Header_GetItem(ListView_GetHeader(list.Handle()), column, &item) ? item.fmt & (HDF_SORTUP | HDF_SORTDOWN) : -1;
  };
  // Context values are numbers, with text after them; a second click on the header reverses.
  main_.lvwInstalled_ColumnClick(2);
  EXPECT_EQ(arrow(2), HDF_SORTUP);
  main_.lvwInstalled_ColumnClick(2);
  main_.ShowInstalled(model, modMain::Reader::Main);
  const Lines contexts = cells(2);
  EXPECT_EQ(Lines(contexts.end() - 3, contexts.end()), (Lines{"3F", "10", "A"}));
  EXPECT_EQ(arrow(2), HDF_SORTDOWN);
  main_.lvwInstalled_ColumnClick(0);  // names as text without regard to case; the arrow moves
  EXPECT_EQ(cells(0), (Lines{texts[1], "beta", "Delta", "gamma", "Not Found"}));
  EXPECT_EQ(arrow(0) | arrow(2), HDF_SORTUP);

  // The menu key says (-1, -1): the Edit menu opens below the selected row; none on an empty list.
  list.Select(2);
  main_.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(-1, -1));
  main_.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(120, 240));
  ASSERT_EQ(seam_.popups.size(), 2u);
  RECT row{};
  ListView_GetItemRect(list.Handle(), 2, &row, LVIR_BOUNDS);
  MapWindowPoints(list.Handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&row), 2);
  EXPECT_EQ(seam_.popups[0].menu, main_.menu.Popup(IDM_mnuEdit));
  EXPECT_EQ(seam_.popups[0].at.y, row.bottom);
  EXPECT_GE(seam_.popups[0].at.x, row.left);
  EXPECT_LT(seam_.popups[0].at.x, row.right);
  EXPECT_EQ(seam_.popups[1].at.x, 120);
  EXPECT_EQ(seam_.popups[1].at.y, 240);
  list.Clear();
  main_.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(seam_.popups.size(), 2u);

  // With no catalog to read the list is empty and the status bar says so, not the last count.
  model.Catalog = {{"Lookup", "zeta", "Lookup\\z.htm", "Z", "C:\\P\\z.reg", true, ""},
                   {"Misc", "Alpha", "Misc\\a.htm", "A", "C:\\P\\a.reg", false, ""},
                   {"Misc", "Taken", "Delta.htm", "T", "C:\\P\\t.reg", true, ""},
                   {"Misc", "beta", "Misc\\b.htm", "B", "C:\\P\\b.reg", true, ""}};
  model.CatalogCount = 4, modMain::CurrentView = modMain::View::Available;
  main_.ShowCatalog(model, modMain::Reader::Main);
  auto& available = main_.lvwAvailable;
  ASSERT_EQ(available.Count(), 3);
  for (int row = 0; row < 3; ++row) {
    const modMain::CatalogEntry& e = model.Catalog.at(available.Item(row));
    EXPECT_EQ(shown(available, row), Lines({"Alpha", "beta", "zeta"})[row] + "|" + e.Category + "|" + e.Description + "|" +
                                         e.File + "|" + (e.RegFileExists ? "" : "File not found: ") + e.RegFile);
    for (int column = 0; column < 4; ++column) EXPECT_EQ(red(available, row, column), e.RegFileExists ? 0 : 3) << e.Name;
    EXPECT_EQ(available.Image(row), e.RegFileExists ? -1 : main_.MissingImage);
  }
  EXPECT_EQ(main_.Text(), "Zandor Extension Pack [ 3 extensions available ]");
  model.Catalog.clear(), model.CatalogCount = -1;
  main_.ShowCatalog(model, modMain::Reader::Main);
  EXPECT_EQ(available.Count(), 0);
  EXPECT_EQ(main_.ctlSBar.Text(), "0 extensions available");
}

}  // namespace
