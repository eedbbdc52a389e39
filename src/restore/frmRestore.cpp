#include "restore/frmRestore.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "base/Identity.h"
#include "base/resource.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"

namespace {

constexpr char kClassName[] = "NIMORestoreWindow";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// Enter is Restore (the default button), Esc is Close.
constexpr UINT kRestoreId = IDOK, kCloseId = IDCANCEL, kOpenId = IDC_RESTORE_OPEN, kDeleteId = IDC_RESTORE_DELETE,
               kListId = IDC_RESTORE_LIST, kAutomaticId = IDC_RESTORE_AUTOMATIC;
// Layout in twips: the margin, a button and the window's first client size.
constexpr int kMargin = 120, kButtonWidth = 1200, kButtonHeight = 375, kWidth = 10200, kHeight = 5400;
constexpr SIZE kLeast{4 * kButtonWidth + 2600 + 7 * kMargin, 3000};  // the smallest client area, in English
// Where the window was closed: left, top, width and height in pixels on the screen, and
// the DPI of its monitor then.
constexpr char kPlaceKey[] = "RestorePlace";

const win::Command<frmRestore> kCommands[] = {
    {kRestoreId, &frmRestore::cmdRestore_Click}, {kOpenId, &frmRestore::cmdOpen_Click},
    {kDeleteId, &frmRestore::cmdDelete_Click},   {kCloseId, &frmRestore::cmdClose_Click},
    {kAutomaticId, &frmRestore::chkAutomatic_Click},
};

}  // namespace

frmRestore::~frmRestore() { Unload(); }

bool frmRestore::Load(HWND owner, std::function<void()> restored) {
  Unload();
  owner_ = owner;
  restored_ = std::move(restored);
  Register(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateBound(kExStyle, kClassName, "Restore", kStyle, 0, 0, 100, 100, owner);
  if (h_) SetTextW(modLang::Text("Restore", "Title"));
  if (!h_ || !CreateControls()) {
    Unload();
    return false;
  }
  Form_Load();
  return true;
}

void frmRestore::FitLayout(UINT dpi) {
  RECT frame{};
  win::AdjustFrameAt(frame, kStyle, false, kExStyle, win::DpiOf(h_));
  dpi_ = win::FittingDpi(dpi, kLeast, {frame.right - frame.left, frame.bottom - frame.top},
                         win::WorkAreaOf(owner_ ? owner_ : h_));
}

bool frmRestore::CreateControls() {
  FitLayout(win::DpiOf(h_));
  RECT frame{0, 0, TwipsToPixelsX(kWidth), TwipsToPixelsY(kHeight)};
  win::AdjustFrameAt(frame, kStyle, false, kExStyle, win::DpiOf(h_));
  SetWindowPos(h_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  win::CentreOnWorkArea(h_, owner_, true);  // resizable: never past the screen

  HFONT font = font_.MakeFor(LayoutDpi());
  auto button = [&](win::CWindow& control, UINT id, const char* caption, DWORD style) {
    control.Attach(CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 0, 0, 0, 0, h_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), modMain::Instance(), nullptr));
    control.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control.Handle() != nullptr;
  };
  if (!lvwBackups.Create(h_, kListId) || !button(cmdRestore, kRestoreId, "&Restore", BS_DEFPUSHBUTTON) ||
      !button(cmdOpen, kOpenId, "&Open", BS_PUSHBUTTON) || !button(cmdDelete, kDeleteId, "&Delete", BS_PUSHBUTTON) ||
      !button(cmdClose, kCloseId, "&Close", BS_PUSHBUTTON) ||
      !button(chkAutomatic, kAutomaticId, "Show &automatic copies", BS_AUTOCHECKBOX))
    return false;
  // Several rows can be deleted at once.
  SetWindowLongPtrA(lvwBackups.Handle(), GWL_STYLE, GetWindowLongPtrA(lvwBackups.Handle(), GWL_STYLE) & ~LVS_SINGLESEL);
  lvwBackups.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (auto [title, width] : {std::pair{"colMade", 1800}, {"colKind", 1000}, {"colContents", 3000}, {"colPage", 2400},
                              {"colFile", 3000}})
    lvwBackups.AddColumn(modLang::Text("Restore", title), TwipsToPixelsX(width));
  lvwBackups.SortBy(0, true);  // newest first
  lvwBackups.Show();
  win::SetTabOrder({lvwBackups.Handle(), cmdRestore, cmdOpen, cmdDelete, chkAutomatic, cmdClose});
  Form_Resize();
  PlaceAsLeft();
  return true;
}

void frmRestore::PlaceAsLeft() {
  int left = 0, top = 0, width = 0, height = 0, dpi = 0;
  const std::string place = modSettings::Setting("Settings", kPlaceKey, "");
  if (std::sscanf(place.c_str(), "%d,%d,%d,%d,%d", &left, &top, &width, &height, &dpi) != 5 || width <= 0 ||
      height <= 0 || dpi <= 0)
    return;
  // Onto its monitor first, which may change the window's DPI; then its size at that DPI,
  // no less than its smallest, wholly on the work area.
  SetWindowPos(h_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const UINT now = win::DpiOf(h_);
  SetWindowPos(h_, nullptr, 0, 0, win::ScaleAt(width, dpi, now), win::ScaleAt(height, dpi, now),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  GetWindowRect(h_, &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const RECT at = win::PlaceOnWorkArea(std::min<int>(r.right - r.left, work.right - work.left),
                                       std::min<int>(r.bottom - r.top, work.bottom - work.top), r, work);
  SetWindowPos(h_, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmRestore::Closing() {
  RECT r{};
  if (!IsWindowVisible(h_) || IsZoomed(h_) || IsIconic(h_) || !GetWindowRect(h_, &r)) return;
  modSettings::WriteINI("", "Settings", kPlaceKey,
                        std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) +
                            "," + std::to_string(r.bottom - r.top) + "," + std::to_string(win::DpiOf(h_)));
}

int frmRestore::ButtonWidth(const win::CWindow& button) const {
  const std::wstring caption = button.TextW();
  RECT text{};
  HDC dc = GetDC(button.Handle());
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(button.Send(WM_GETFONT)));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(button.Handle(), dc);
  // Room for the frame, or for the check box's square, either side.
  const int room = &button == &chkAutomatic ? win::MetricAt(SM_CXMENUCHECK, LayoutDpi()) + TwipsToPixelsX(kMargin)
                                            : 2 * TwipsToPixelsX(kMargin);
  return std::max<int>(&button == &chkAutomatic ? 0 : TwipsToPixelsX(kButtonWidth), text.right + room);
}

int frmRestore::LeastWidth() const {
  int width = TwipsToPixelsX(kMargin);
  for (const win::CWindow* control : {&cmdRestore, &cmdOpen, &cmdDelete, &chkAutomatic, &cmdClose})
    width += ButtonWidth(*control) + TwipsToPixelsX(kMargin);
  return width;
}

std::vector<int> frmRestore::SelectedRows() const {
  std::vector<int> rows;
  for (int row = -1; (row = ListView_GetNextItem(lvwBackups.Handle(), row, LVNI_SELECTED)) >= 0;) rows.push_back(row);
  return rows;
}

std::vector<modLang::Control> frmRestore::Controls() {
  return {modLang::FixedControl("lvwBackups", "ListView"), modLang::TextControl("cmdRestore", "CommandButton", cmdRestore),
          modLang::TextControl("cmdOpen", "CommandButton", cmdOpen),
          modLang::TextControl("cmdDelete", "CommandButton", cmdDelete),
          modLang::TextControl("cmdClose", "CommandButton", cmdClose),
          modLang::TextControl("chkAutomatic", "CheckBox", chkAutomatic)};
}

// ---------------------------------------------------------------------------
// Form events

void frmRestore::Form_Load() {
  if (owner_) {
    Send(WM_SETICON, ICON_BIG, SendMessageA(owner_, WM_GETICON, ICON_BIG, 0));
    Send(WM_SETICON, ICON_SMALL, SendMessageA(owner_, WM_GETICON, ICON_SMALL, 0));
  }
  // While the language file is refreshed the window only gives its captions.
  if (modLang::RefreshingLanguage) return;
  modLang::LoadWindowLanguage(*this);
  modMain::WriteLog("Loading backups");
  LoadBackups();
}

void frmRestore::LoadBackups(std::string select, int at) {
  backups_ = modRestore::Shown(modRestore::ListBackups(), chkAutomatic.Send(BM_GETCHECK) == BST_CHECKED);
  {
    win::CListView::Freeze freeze(lvwBackups);
    lvwBackups.Clear();
    for (size_t item = 0; item < backups_.size(); ++item) {
      const modRestore::Backup& backup = backups_[item];
      const int row = lvwBackups.AddRow(modRestore::MadeText(backup.made), -1, static_cast<int>(item),
                                        win::Widen(backup.file));
      lvwBackups.SetCell(row, 1, modRestore::KindText(backup.kind));
      lvwBackups.SetCell(row, 2, modRestore::ContentsOf(backup));
      lvwBackups.SetCell(row, 3, modRestore::PageText(backup));
      lvwBackups.SetCell(row, 4, modMain::FileNamePart(backup.file));
    }
    lvwBackups.SortBy(lvwBackups.SortColumn(), lvwBackups.SortDescending());
    lvwBackups.FitColumns();
  }
  int row = std::min(at, lvwBackups.Count() - 1);
  for (int i = 0; i < lvwBackups.Count(); ++i)
    if (const modRestore::Backup* backup = BackupOf(i); backup && !select.empty() && backup->file == select) row = i;
  lvwBackups.Select(row);
  Form_Resize();  // the buttons' widths follow their captions
  modMain::WriteLog(std::to_string(backups_.size()) + " backups found");
}

const modRestore::Backup* frmRestore::BackupOf(int row) const {
  return modMain::EntryAt(backups_, lvwBackups.Item(row));
}

void frmRestore::Form_DpiChanged(UINT dpi, LPARAM suggested) {
  FitLayout(dpi);  // first: the smallest size at the new DPI holds as the window moves
  win::TakeSuggestedPlace(h_, suggested);
  font_.MakeFor(dpi_, h_);
  Form_Resize();
  lvwBackups.FitColumns();
}

void frmRestore::Form_Resize() {
  const RECT client = ClientRect();
  const int margin = TwipsToPixelsX(kMargin), height = TwipsToPixelsY(kButtonHeight), gap = TwipsToPixelsY(kMargin);
  const int buttonsTop = client.bottom - gap - height;
  lvwBackups.Move(margin, gap, std::max(0, static_cast<int>(client.right) - 2 * margin),
                  std::max(0, buttonsTop - 2 * gap));
  // Restore, Open, Delete and the check box on the left; Close on the right. Each is as
  // wide as its caption needs.
  int x = margin;
  for (const win::CWindow* button : {&cmdRestore, &cmdOpen, &cmdDelete, &chkAutomatic}) {
    const int width = ButtonWidth(*button);
    button->Move(x, buttonsTop, width, height);
    x += width + margin;
  }
  const int width = ButtonWidth(cmdClose);
  cmdClose.Move(std::max(x, static_cast<int>(client.right) - margin - width), buttonsTop, width, height);
}

void frmRestore::lvwBackups_ColumnClick(int column) {
  lvwBackups.SortBy(column, lvwBackups.SortColumn() == column && !lvwBackups.SortDescending());
}

void frmRestore::cmdRestore_Click() {
  const modRestore::Backup* backup = BackupOf(lvwBackups.Selected());
  if (!backup) return;
  modMain::OperationScope scope;
  if (!scope) return;
  const std::string file = backup->file;
  const int row = lvwBackups.Selected();
  if (modRestore::Restore(h_, *backup) && restored_) restored_();
  if (!h_) return;
  LoadBackups(file, row);
  SetFocus(lvwBackups.Handle());
}

void frmRestore::cmdOpen_Click() {
  if (const modRestore::Backup* backup = BackupOf(lvwBackups.Selected())) modMain::OpenInNotepad(h_, backup->file);
}

void frmRestore::cmdDelete_Click() {
  const std::vector<int> rows = SelectedRows();
  std::vector<modRestore::Backup> chosen;
  for (int row : rows)
    if (const modRestore::Backup* backup = BackupOf(row)) chosen.push_back(*backup);
  if (chosen.empty()) return;
  const std::vector<std::string> gone = modRestore::DeleteBackups(h_, chosen);
  // The row now where the first one deleted stood takes the selection, or the last row.
  if (!gone.empty()) LoadBackups("", rows.front());
  SetFocus(lvwBackups.Handle());
}

void frmRestore::chkAutomatic_Click() {
  const modRestore::Backup* selected = BackupOf(lvwBackups.Selected());
  LoadBackups(selected ? selected->file : "");
}

void frmRestore::cmdClose_Click() {
  if (!modMain::OperationRunning()) Unload();
}

// ---------------------------------------------------------------------------
// Messages

bool frmRestore::OnCommand(UINT id) { return RunCommand(kCommands, id); }

void frmRestore::OnListNotice(const NMHDR& header) {
  if (header.code == LVN_COLUMNCLICK) lvwBackups_ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
  else if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) cmdDelete_Click();
  else if (header.code == NM_DBLCLK) cmdOpen_Click();
}

// The captions' width no wider than the work area, where FitLayout keeps the rest.
void frmRestore::Form_MinMaxInfo(MINMAXINFO& limits) const {
  RECT least{0, 0, std::max(TwipsToPixelsX(kLeast.cx), LeastWidth()), TwipsToPixelsY(kLeast.cy)};
  win::AdjustFrameAt(least, kStyle, false, kExStyle, win::DpiOf(h_));
  const RECT work = win::WorkAreaOf(h_);
  limits.ptMinTrackSize = {
      std::min<LONG>(least.right - least.left, std::max<LONG>(work.right - work.left, TwipsToPixelsX(kLeast.cx))),
      least.bottom - least.top};
}

LRESULT frmRestore::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(l);
      LRESULT result = 0;
      if (lvwBackups.OnNotify(header, result)) return result;
      if (header->hwndFrom == lvwBackups.Handle()) OnListNotice(*header);
      return 0;
    }
    case WM_SIZE:
      if (w != SIZE_MINIMIZED) Form_Resize();
      return 0;
    case WM_GETMINMAXINFO:
      Form_MinMaxInfo(*reinterpret_cast<MINMAXINFO*>(l));
      return 0;
    case WM_DPICHANGED:
      Form_DpiChanged(LOWORD(w), l);
      return 0;
    case WM_ACTIVATE:
      focus_.OnActivate(h_, w, lvwBackups.Handle());
      return 0;
    case WM_CLOSE:
      cmdClose_Click();
      return 0;
    default:
      return Default(msg, w, l);
  }
}
