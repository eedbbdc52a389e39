#include "operations/frmModify.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "base/resource.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "settings/DataFolder.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Messages.h"
#include "win/Profile.h"
#include "win/Seam.h"

using modMain::WriteLog;

namespace {

constexpr char kClassName[] = "NIMOModifyWindow";
// Widened by its side edges, so that long paths show; its height stays.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

enum : UINT {
  kNameId = 101,
  kPathId,
  kBrowseId,
  kContextsId,
  kKeyId,
  kCancelId,
  kOKId,
  kNameLabelId,
  kPathLabelId,
  kContextsLabelId,
  kKeyLabelId,
  kBitId0  // one per context bit
};

const win::Command<frmModify> kCommands[] = {
    {kOKId, &frmModify::lblOK_Click},
    {kCancelId, &frmModify::lblCancel_Click},
    {IDCANCEL, &frmModify::lblCancel_Click},  // Esc
    {kBrowseId, &frmModify::lblBrowse_Click},
};

// The check boxes of the context bits, by bit: their names in the language file and
// their English captions.
constexpr const char* kBitNames[frmModify::kContextBits] = {"chkDefault", "chkImages", "chkControls",
                                                            "chkTables",  "chkSelection", "chkLinks"};
constexpr const char* kBitCaptions[frmModify::kContextBits] = {"&Default", "&Images", "Cont&rols",
                                                               "Ta&bles",  "&Text selection", "&Links"};

frmModify* g_current = nullptr;

// The entry's Contexts as the box shows it: the list's hexadecimal digits in decimal
// ("None" stays).
std::string ShownContexts(const modMain::InstalledExtension& extension) {
  const std::string& listed = extension.Contexts;
  char* end = nullptr;
  const unsigned long value = std::strtoul(listed.c_str(), &end, 16);
  if (listed.empty() || listed.size() > 8 || *end) return listed;
  return std::to_string(value);
}

std::string ShownPath(const modMain::InstalledExtension& extension) {
  return extension.Opened ? modMain::ListPath(extension) : "";
}

}  // namespace

frmModify* frmModify::Current() { return g_current; }

frmModify::~frmModify() {
  Unload();
  if (g_current == this) g_current = nullptr;
}

bool frmModify::Load(HWND owner, const modMain::InstalledExtension& extension,
                     std::function<void(bool renamed)> applied) {
  Unload();
  owner_ = owner;
  extension_ = extension;
  applied_ = std::move(applied);
  Register(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  CreateBound(kExStyle, kClassName, "Modify Extension", kStyle, 0, 0, 0, 0, owner);
  if (h_) SetTextW(modLang::Text("Modify", "Title"));
  if (!h_ || !CreateControls()) {
    Unload();
    return false;
  }
  g_current = this;
  Form_Load();
  Relayout(0);  // the captions are in: the narrowest width that holds them
  win::CentreOnWorkArea(h_, owner);
  txtName.SetText(extension.Name);
  txtPath.SetText(ShownPath(extension));
  txtContexts.SetText(ShownContexts(extension));
  txtRegKey.SetText(text::Replace(extension.Key, modMain::kRootKey, ""));
  txtName.Send(EM_SETSEL, 0, -1);  // typing replaces the name
  return true;
}

bool frmModify::CreateControls() {
  // The 8 point dialog font the layout was measured in.
  HFONT font = font_.MakeFor(LayoutDpi());
  auto make = [&](win::CWindow& control, const char* cls, DWORD style, DWORD exStyle, UINT id) {
    control.Attach(CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, h_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), modMain::Instance(), nullptr));
    control.Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control.Handle() != nullptr;
  };
  constexpr DWORD kLabel = SS_LEFT;
  constexpr DWORD kText = WS_TABSTOP | ES_AUTOHSCROLL;
  // Grey shapes with a frame, white under the pointer; the frame stays visible around the caption.
  const win::ButtonLook look{0xE0E0E0, 0xFFFFFF, 1, LoadCursorA(modMain::Instance(), MAKEINTRESOURCEA(IDC_LABELHAND)),
                             RGB(128, 128, 128)};
  auto button = [&](win::CLabelButton& label, UINT id) { return label.Create(h_, id, "", RECT{}, font, true, &look); };
  // Placed by Relayout once the captions are known.
  const bool made =
      make(lblName, "STATIC", kLabel, 0, kNameLabelId) &&
      make(lblPath, "STATIC", kLabel, 0, kPathLabelId) &&
      make(lblContexts, "STATIC", kLabel, 0, kContextsLabelId) &&
      make(txtName, "EDIT", kText, WS_EX_CLIENTEDGE, kNameId) &&
      make(txtPath, "EDIT", kText, WS_EX_CLIENTEDGE, kPathId) &&
      make(txtContexts, "EDIT", kText, WS_EX_CLIENTEDGE, kContextsId) &&
      button(lblOK, kOKId) &&
      button(lblCancel, kCancelId) &&
      // The key is shown, not edited: Apply works on the key of the row.
      make(txtRegKey, "EDIT", kText | ES_READONLY, WS_EX_CLIENTEDGE, kKeyId) &&
      make(lblKey, "STATIC", kLabel, 0, kKeyLabelId) &&
      button(lblBrowse, kBrowseId);
  if (!made) return false;
  for (int bit = 0; bit < kContextBits; ++bit) {
    if (!make(chkContext[bit], "BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0, kBitId0 + bit)) return false;
    chkContext[bit].SetText(kBitCaptions[bit]);
  }
  // Tab order: top to bottom, left to right, each label before its box.
  win::SetTabOrder({lblName, txtName, lblPath, txtPath, lblBrowse, lblContexts, txtContexts, chkContext[0],
                    chkContext[1], chkContext[2], chkContext[3], chkContext[4], chkContext[5], lblKey, txtRegKey,
                    lblCancel, lblOK});
  const std::pair<win::CWindow*, const char*> captions[] = {
      {&lblName, "&Name:"}, {&lblPath, "&Path:"},    {&lblContexts, "Conte&xts:"}, {&lblKey, "&Key:"},
      {&lblOK, "&Apply"},   {&lblCancel, "&Cancel"}, {&lblBrowse, "&..."}};
  for (const auto& [label, caption] : captions) label->SetText(caption);

  SetWindowSubclass(txtContexts, ContextsProc, 1, reinterpret_cast<DWORD_PTR>(this));

  tips_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, h_, nullptr, modMain::Instance(), nullptr);
  if (tips_) {
    SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixelsX(4500));
    AddToolTip(txtName, "tipName");
    AddToolTip(txtPath, "tipPath");
    AddToolTip(lblBrowse, "tipBrowse");
    AddToolTip(txtContexts, "tipContexts");
    AddToolTip(txtRegKey, "tipKey");
  }
  return true;
}

frmModify::Layout frmModify::Arrange(int dpi, int width, const std::array<SIZE, kCaptions>& captions) {
  auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
  // The layout in twips: labels at 120 in their own widths, text boxes from 960 to 4455
  // (the path box to 4095, "..." beside it), two rows of check boxes 255 high under the
  // Contexts box, Cancel and Apply 1215 wide ending at 4455, a client area 4590 x 2505.
  constexpr int kTops[] = {120, 480, 840, 1800}, kWidths[] = {465, 375, 660, 315};
  constexpr int kRight = 135, kGap = 120, kButtonTop = 2160, kButtonHeight = 255;
  constexpr int kBitTop = 1200, kBitHeight = 255, kCheckMark = 270;  // the mark and its gap to the caption
  Layout l;
  int widest = 0;
  for (int i = kName; i <= kKey; ++i) widest = std::max<int>(widest, captions[i].cx);
  const int boxLeft = std::max(px(960), px(120) + widest + px(kGap));
  const int cancel = std::max<int>(px(1215), captions[kCancel].cx + 2 * px(kGap));
  const int apply = std::max<int>(px(1215), captions[kApply].cx + 2 * px(kGap));
  // Three columns of check boxes, each as wide as its wider caption.
  int column[3] = {}, checks = 2 * px(kGap);
  for (int bit = 0; bit < kContextBits; ++bit)
    column[bit % 3] = std::max<int>(column[bit % 3], px(kCheckMark) + captions[kBit0 + bit].cx);
  for (int width : column) checks += width;
  l.minWidth = std::max({boxLeft + px(3495), boxLeft + checks, px(120) + cancel + px(105) + apply}) + px(kRight);
  l.height = px(2505);
  for (int bit = 0, left = boxLeft; bit < kContextBits; ++bit) {
    if (bit % 3 == 0) left = boxLeft;
    const int top = px(kBitTop + bit / 3 * kBitHeight);
    const int bottom = top + std::max<int>(px(kBitHeight), captions[kBit0 + bit].cy);
    l.label[kBit0 + bit] = {left, top, left + column[bit % 3], bottom};
    left += column[bit % 3] + px(kGap);
  }
  const int right = std::max(width, l.minWidth) - px(kRight);
  for (int i = kName; i <= kKey; ++i) {
    const int top = px(kTops[i]);
    l.label[i] = {px(120), top, px(120) + std::max<int>(px(kWidths[i]), captions[i].cx),
                  top + std::max<int>(px(195), captions[i].cy)};
    l.box[i] = {boxLeft, top, right, top + px(285)};
  }
  l.box[kPath].right = right - px(360);
  l.browse = {right - px(295), px(480), right - px(10), px(480 + 285)};
  const int buttonBottom = px(kButtonTop) + std::max<int>(px(kButtonHeight), captions[kApply].cy);
  l.label[kApply] = {right - apply, px(kButtonTop), right, buttonBottom};
  l.label[kCancel] = {l.label[kApply].left - px(105) - cancel, px(kButtonTop), l.label[kApply].left - px(105),
                      buttonBottom};
  return l;
}

void frmModify::Form_DpiChanged(UINT dpi, LPARAM suggested) {
  dpi_ = dpi;
  font_.MakeFor(dpi_, h_);
  if (tips_) SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixelsX(4500));
  // The height is the layout's own: Relayout gives the new one.
  minSize_ = {};
  win::TakeSuggestedPlace(h_, suggested);
  Relayout(ClientRect().right);
}

void frmModify::Relayout(int width) {
  if (GetParent(lblBrowse) != h_) return;  // the window is still being created
  win::CWindow* const captioned[kCaptions] = {&lblName,       &lblPath,       &lblContexts,   &lblKey,
                                              &lblCancel,     &lblOK,         &chkContext[0], &chkContext[1],
                                              &chkContext[2], &chkContext[3], &chkContext[4], &chkContext[5]};
  std::array<SIZE, kCaptions> captions{};
  for (int i = 0; i < kCaptions; ++i) captions[i] = captioned[i]->TextSize();
  const Layout l = Arrange(TwipsToPixelsX(1440), width, captions);
  minSize_ = {l.minWidth, l.height};
  if (width < l.minWidth) {  // sized anew; WM_SIZE places the controls
    RECT frame{0, 0, l.minWidth, l.height};
    win::AdjustFrameAt(frame, kStyle, false, kExStyle, LayoutDpi());
    SetWindowPos(h_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (ClientRect().right >= l.minWidth) return;
  }
  auto place = [](const win::CWindow& control, RECT r) {
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const win::CWindow* boxes[] = {&txtName, &txtPath, &txtContexts, &txtRegKey};
  for (int i = kName; i <= kKey; ++i) {
    place(*captioned[i], l.label[i]);
    place(*boxes[i], l.box[i]);
  }
  for (int i = kBit0; i < kCaptions; ++i) place(*captioned[i], l.label[i]);
  place(lblCancel, l.label[kCancel]);  // the shapes, which hold the captions
  place(lblOK, l.label[kApply]);
  place(lblBrowse, l.browse);
  Redraw();
}

void frmModify::AddToolTip(const win::CWindow& control, const char* key) {
  std::wstring tip = modLang::Text("Modify", key);
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = h_;
  info.uId = reinterpret_cast<UINT_PTR>(control.Handle());
  info.lpszText = tip.data();
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring frmModify::ToolTip(const win::CWindow& control) const {
  if (!tips_) return {};
  wchar_t buffer[512] = {};
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = h_;
  info.uId = reinterpret_cast<UINT_PTR>(control.Handle());
  info.lpszText = buffer;
  SendMessageW(tips_, TTM_GETTEXTW, std::size(buffer), reinterpret_cast<LPARAM>(&info));
  return buffer;
}

std::vector<modLang::Control> frmModify::Controls() {
  auto label = [](const char* name, win::CWindow& control) { return modLang::TextControl(name, "Label", control); };
  const auto fixed = modLang::FixedControl;
  std::vector<modLang::Control> controls{
      fixed("txtRegKey", "TextBox"), fixed("txtContexts", "TextBox"), fixed("txtPath", "TextBox"),
      fixed("txtName", "TextBox"),   fixed("shBrowse", "Shape"),      label("lblBrowse", lblBrowse),
      label("lblKey", lblKey),       fixed("shCancel", "Shape"),      label("lblCancel", lblCancel),
      fixed("shOK", "Shape"),        label("lblOK", lblOK),           label("lblContexts", lblContexts),
      label("lblPath", lblPath),     label("lblName", lblName)};
  for (int bit = 0; bit < kContextBits; ++bit)
    controls.push_back(modLang::TextControl(kBitNames[bit], "CheckBox", chkContext[bit]));
  return controls;
}

// ---------------------------------------------------------------------------
// Showing and closing

// The tool tips go with the window.
void frmModify::Forget() {
  h_ = nullptr;
  tips_ = nullptr;
  if (g_current == this) g_current = nullptr;
}

// ---------------------------------------------------------------------------
// Form events

void frmModify::Form_Load() {
  modMain::SetNumbersOnly(txtContexts, true);
  if (modSettings::Setting("Settings", "ContextPrompt", "1") != "1") bContextNoteShown = true;
  modLang::LoadWindowLanguage(*this);
}

void frmModify::Form_Unload() { modMain::SetNumbersOnly(txtContexts, false); }

// The check boxes follow the box: a bit's box is ticked when the number holds it.
void frmModify::txtContexts_Change() {
  const uint32_t value = modMain::ContextsNumber(txtContexts.Text()).value_or(0);
  for (int bit = 0; bit < kContextBits; ++bit)
    chkContext[bit].Send(BM_SETCHECK, value >> bit & 1 ? BST_CHECKED : BST_UNCHECKED);
}

// The box follows a check box: its bit set or cleared, every other bit kept.
void frmModify::chkContext_Click(int bit) {
  const uint32_t value = modMain::ContextsNumber(txtContexts.Text()).value_or(0), mask = 1u << bit;
  const bool ticked = chkContext[bit].Send(BM_GETCHECK) == BST_CHECKED;
  txtContexts.SetText(std::to_string(ticked ? value | mask : value & ~mask));
}

// Entered by keyboard as well as by the mouse, the box explains itself once.
void frmModify::txtContexts_GotFocus() {
  if (!bContextNoteShown && GetFocus() == txtContexts.Handle()) ShowContextNote();
}

void frmModify::txtContexts_MouseDown() {
  if (!bContextNoteShown) ShowContextNote();
}

void frmModify::txtContexts_Click() {
  if (!bContextNoteShown) ShowContextNote();
}

void frmModify::ShowContextNote() {
  bContextNoteShown = true;  // first: the note's own message loop may hand the box the focus again
  modLang::Say(h_, modLang::Text("Messages", "ContextNote"), MB_OK | MB_ICONINFORMATION);
}

void frmModify::lblBrowse_Click() {
  win::FileDialogRequest request;
  request.owner = h_;
  request.title = modLang::Text("Modify", "BrowseTitle");
  request.filter = modLang::Text("Modify", "BrowseFilter");
  request.initialDir = modMain::AppPath();
  const std::string file = win::Ui().FileDialog(request);
  if (file.size() < 5 || !modMain::FileExistsCopy(file)) return;
  txtPath.SetText(file);
  WriteLog("[ " + txtName.Text() + " ] path changed to [ " + file + " ]");
}

void frmModify::lblCancel_Click() { Unload(); }

void frmModify::Warn(const std::wstring& message) const { modLang::Say(h_, message, MB_OK | MB_ICONEXCLAMATION); }

// ---------------------------------------------------------------------------
// Apply

// The edits checked, asked about and written as one operation, with the owner's lists
// read again inside it.
void frmModify::lblOK_Click() {
  if (!h_) return;
  const modMain::PropertyChanges changes = Edits();
  Applied applied = Applied::Refused;  // another operation under way: the dialog stays
  modMain::RunOperation(
      h_, &extension_,
      [&](HWND, const modMain::InstalledExtension& extension) {
        applied = Apply(extension, changes);
        return applied == Applied::Written;
      },
      [&] {
        if (applied_) applied_(modMain::Renames(extension_, changes));
      });
  if (applied != Applied::Refused) Unload();
}

frmModify::Applied frmModify::Apply(const modMain::InstalledExtension& extension,
                                    const modMain::PropertyChanges& changes) {
  if (changes.name == extension.Name && !changes.path && !changes.contexts) return Applied::Closed;  // nothing to ask
  if (const std::wstring refused = modMain::RefusedChange(extension, changes); !refused.empty()) {
    Warn(refused);
    return Applied::Refused;
  }
  if (!Confirmed()) return Applied::Closed;
  const std::wstring problem = modMain::Renames(extension, changes)
                                   ? modMain::RenameExtension(h_, extension, changes.name)
                                   : modMain::UpdateExtension(extension, changes);
  if (!problem.empty()) Warn(problem);
  return Applied::Written;
}

// A path or Contexts value typed back as it was shown is not an edit: nothing to write.
modMain::PropertyChanges frmModify::Edits() const {
  modMain::PropertyChanges changes;
  changes.name = txtName.Text();
  if (const std::string path = txtPath.Text(); path != ShownPath(extension_)) changes.path = path;
  if (const std::string contexts = text::Trim(txtContexts.Text()); contexts != text::Trim(ShownContexts(extension_)))
    changes.contexts = contexts;
  return changes;
}

bool frmModify::Confirmed() const {
  return modSettings::Setting("Settings", "PropertiesPrompt", "1") == "0" ||
         modLang::Say(h_, modLang::Text("Messages", "ModifyConfirm"), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// ---------------------------------------------------------------------------
// Messages

LRESULT CALLBACK frmModify::ContextsProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self) {
  auto* dialog = reinterpret_cast<frmModify*>(self);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      // The box takes the press first; a note shown now gets the button's release.
      const LRESULT result = DefSubclassProc(h, msg, w, l);
      if (!bContextNoteShown && GetCapture() == h) ReleaseCapture();
      dialog->txtContexts_MouseDown();
      return result;
    }
    case WM_LBUTTONUP: {
      const LRESULT result = DefSubclassProc(h, msg, w, l);
      dialog->txtContexts_Click();
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(h, ContextsProc, id);
      break;
    default:
      break;
  }
  return DefSubclassProc(h, msg, w, l);
}

bool frmModify::OnCommand(UINT id) {
  if (id >= kBitId0 && id < kBitId0 + kContextBits) {
    chkContext_Click(static_cast<int>(id - kBitId0));
    return true;
  }
  // A label button's click (Enter's too) is handled once the label is done with the mouse.
  if (id != kOKId && id != kCancelId && id != kBrowseId) return RunCommand(kCommands, id);
  PostMessageA(h_, win::kLabelClicked, id, 0);
  return true;
}

void frmModify::OnEditNotice(UINT id, UINT code) {
  if (id != kContextsId) return;
  if (code == EN_CHANGE) txtContexts_Change();
  // The note is shown once the focus has settled.
  else if (code == EN_SETFOCUS) PostMessageA(h_, win::kContextsEntered, 0, 0);
}

void frmModify::Form_MinMaxInfo(MINMAXINFO& limits) const {
  RECT frame{0, 0, minSize_.cx, minSize_.cy};
  win::AdjustFrameAt(frame, kStyle, false, kExStyle, LayoutDpi());
  limits.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
  limits.ptMaxTrackSize.y = frame.bottom - frame.top;
}

LRESULT frmModify::SideEdgesOnly(LRESULT hit) {
  switch (hit) {
    case HTTOP: case HTBOTTOM: return HTBORDER;
    case HTTOPLEFT: case HTBOTTOMLEFT: return HTLEFT;
    case HTTOPRIGHT: case HTBOTTOMRIGHT: return HTRIGHT;
    default: return hit;
  }
}

LRESULT frmModify::OnMessage(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_COMMAND:
      OnEditNotice(LOWORD(w), HIWORD(w));
      return 0;
    case win::kLabelClicked:
      RunCommand(kCommands, static_cast<UINT>(w));
      return 0;
    case win::kContextsEntered:
      txtContexts_GotFocus();
      return 0;
    case WM_NEXTDLGCTL:
      return win::NextDialogControl(h_, w, l);
    case DM_GETDEFID:
      return MAKELONG(kOKId, DC_HASDEFID);  // Enter applies
    case WM_ACTIVATE:
      focus_.OnActivate(h_, w, txtName);
      return 0;
    case WM_SIZE:
      if (w != SIZE_MINIMIZED) Relayout(LOWORD(l));
      return 0;
    case WM_DPICHANGED:
      Form_DpiChanged(LOWORD(w), l);
      return 0;
    case WM_GETMINMAXINFO:
      if (!minSize_.cx) return Default(msg, w, l);
      Form_MinMaxInfo(*reinterpret_cast<MINMAXINFO*>(l));
      return 0;
    case WM_NCHITTEST:
      return SideEdgesOnly(Default(msg, w, l));
    case WM_CLOSE:
      lblCancel_Click();
      return 0;
    default:
      return Default(msg, w, l);
  }
}
