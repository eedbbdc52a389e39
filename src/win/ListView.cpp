#include "win/ListView.h"

#include <algorithm>
#include <iterator>

#include "win/Profile.h"

namespace win {

int AddWarningImage(HIMAGELIST images) {
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  constexpr WORD kWarningSign = 32515;  // OIC_WARNING, without the OEM resource names
  HICON sign = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(kWarningSign), IMAGE_ICON, width, height, 0));
  const int index = sign ? ImageList_AddIcon(images, sign) : -1;
  if (sign) DestroyIcon(sign);
  return index;
}

CListView::~CListView() {
  if (bold_) DeleteObject(bold_);
}

bool CListView::Create(HWND parent, UINT id, DWORD extraStyle) {
  h_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                       WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | extraStyle, 0, 0, 0, 0,
                       parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (!h_) return false;
  ListView_SetExtendedListViewStyle(h_, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER);
  return true;
}

bool CListView::CreateVirtual(HWND parent, UINT id, Source source) {
  source_ = std::move(source);
  return Create(parent, id, LVS_OWNERDATA);
}

void CListView::AddEntries(int from, int to) {
  for (int item = from; item < to; ++item) entries_.push_back(item);
  ListView_SetItemCountEx(h_, static_cast<int>(entries_.size()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void CListView::SetImageList(HIMAGELIST images) { ListView_SetImageList(h_, images, LVSIL_SMALL); }

int CListView::AddColumn(const std::wstring& title, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(title.c_str());
  column.cx = width;
  int index = ColumnCount();
  column.iSubItem = index;
  return static_cast<int>(Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
}

void CListView::SetColumnTitle(int column, const std::wstring& title) {
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = const_cast<wchar_t*>(title.c_str());
  Send(LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
}

int CListView::ColumnCount() const {
  HWND header = ListView_GetHeader(h_);
  return header ? Header_GetItemCount(header) : 0;
}

int CListView::ColumnWidth(int column) const { return ListView_GetColumnWidth(h_, column); }

void CListView::ShowWholeTitle(int column) {
  // Some platforms measure the header's text without its margins and cut it.
  const std::wstring title = ColumnTitle(column);
  int width = static_cast<int>(Send(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title.c_str()))) +
              6 * MetricAt(SM_CXEDGE, DpiOf(h_));
  if (arrow_ && sorted_ && column == sortColumn_) width += 2 * MetricAt(SM_CXSMICON, DpiOf(h_));
  if (ColumnWidth(column) < width) ListView_SetColumnWidth(h_, column, width);
}

void CListView::FitColumns() {
  for (int column = 0; column + 1 < ColumnCount(); ++column)
    ListView_SetColumnWidth(h_, column, LVSCW_AUTOSIZE_USEHEADER);
  FitLastColumn();  // which fills the rest, once the others have their widths
  for (int column = 0; column < ColumnCount(); ++column) ShowWholeTitle(column);
}

void CListView::FitLastColumn() {
  const int last = ColumnCount() - 1;
  ListView_SetColumnWidth(h_, last, LVSCW_AUTOSIZE_USEHEADER);
  const int fill = ColumnWidth(last);
  ListView_SetColumnWidth(h_, last, LVSCW_AUTOSIZE);
  if (ColumnWidth(last) < fill) ListView_SetColumnWidth(h_, last, fill);
  ShowWholeTitle(last);
}

std::wstring CListView::ColumnTitle(int column) const {
  wchar_t buffer[260] = {};
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = buffer;
  c.cchTextMax = static_cast<int>(std::size(buffer));
  Send(LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&c));
  return buffer;
}

int CListView::AddRow(const std::string& text, int image, int entry, const std::wstring& tip) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = Count();
  if (sorted_ && sortColumn_ == 0) {  // keep the order: find the first row that sorts after the new one
    int lo = 0, hi = Count();
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (Compare(0, Cell(mid, 0), text) <= 0) lo = mid + 1; else hi = mid;
    }
    item.iItem = lo;
  }
  item.pszText = const_cast<char*>(text.c_str());
  item.iImage = image < 0 ? I_IMAGENONE : image;
  item.lParam = nextId_;
  RowData& data = rows_[nextId_++];
  data.text = text;
  data.item = entry;
  data.tip = tip;
  return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void CListView::Clear() {
  if (source_) {
    entries_.clear();
    ListView_SetItemCountEx(h_, 0, 0);
    return;
  }
  ListView_DeleteAllItems(h_);
  rows_.clear();
}

int CListView::Count() const { return ListView_GetItemCount(h_); }

std::string CListView::Cell(int row, int column) const {
  if (source_) return InRange(row) ? Narrow(source_->cell(entries_[row], column)) : std::string();
  std::vector<char> buffer(1024);
  for (;;) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    LRESULT n = Send(LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    if (static_cast<size_t>(n) < buffer.size() - 1) return std::string(buffer.data(), static_cast<size_t>(n));
    buffer.resize(buffer.size() * 4);
  }
}

void CListView::SetCell(int row, int column, const std::string& text) {
  if (column == 0)
    if (RowData* d = Data(row)) d->text = text;
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void CListView::SetCell(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  Send(LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

CListView::RowData* CListView::Data(int row) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  auto it = rows_.find(item.lParam);
  return it == rows_.end() ? nullptr : const_cast<RowData*>(&it->second);
}

std::string CListView::Tag(int row) const {
  RowData* d = Data(row);
  return d ? d->tag : std::string();
}

void CListView::SetTag(int row, const std::string& tag) {
  if (RowData* d = Data(row)) d->tag = tag;
}

int CListView::Item(int row) const {
  if (source_) return InRange(row) ? entries_[row] : -1;
  RowData* d = Data(row);
  return d ? d->item : -1;
}

std::wstring CListView::Tip(int row) const {
  if (source_) return InRange(row) ? source_->tip(entries_[row]) : std::wstring();
  RowData* d = Data(row);
  return d ? d->tip : std::wstring();
}

void CListView::SetTip(int row, const std::wstring& tip) {
  if (RowData* d = Data(row)) d->tip = tip;
}

int CListView::Image(int row) const {
  if (source_) return InRange(row) ? source_->image(entries_[row]) : -1;
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage == I_IMAGENONE ? -1 : item.iImage;
}

CListView::CellStyle CListView::Style(int row, int column) const {
  if (source_) return InRange(row) ? source_->style(entries_[row], column) : CellStyle{};
  RowData* d = Data(row);
  if (!d) return {};
  auto it = d->styles.find(column);
  return it == d->styles.end() ? CellStyle{} : it->second;
}

// Owner data: the source says the style; the column is still widened for a bold one.
void CListView::SetStyle(int row, int column, COLORREF color, bool bold) {
  if (!source_) {
    RowData* d = Data(row);
    if (!d) return;
    d->styles[column] = {color, bold};
  }
  if (!bold) return;
  // A column sized for its normal text would cut the bold one: widen it to fit.
  const std::string text = Cell(row, column);
  HDC dc = GetDC(h_);
  HGDIOBJ old = SelectObject(dc, BoldFont());
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(h_, dc);
  int needed = extent.cx + 14;
  int imageWidth = 0, imageHeight = 0;
  if (column == 0 && ImageList_GetIconSize(ListView_GetImageList(h_, LVSIL_SMALL), &imageWidth, &imageHeight))
    needed += imageWidth + 4;
  if (ColumnWidth(column) < needed) ListView_SetColumnWidth(h_, column, needed);
}

int CListView::Selected() const { return ListView_GetNextItem(h_, -1, LVNI_SELECTED); }

void CListView::Select(int row) {
  ListView_SetItemState(h_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  row = std::min(row, Count() - 1);
  if (row >= 0) {
    ListView_SetItemState(h_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(h_, row, FALSE);
  }
}

void CListView::SetColumnOrder(int column, Order order) { orders_[column] = order; }

namespace {
// A hexadecimal number of up to eight digits, as the installed list shows its values.
bool HexValue(const std::string& s, unsigned long& value) {
  if (s.empty() || s.size() > 8) return false;
  value = 0;
  for (char c : s) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    value = value * 16 + static_cast<unsigned long>(digit);
  }
  return true;
}
}  // namespace

int CListView::CompareCells(Order order, const std::string& a, const std::string& b) {
  if (order == Order::Hex) {
    unsigned long x = 0, y = 0;
    const bool numberA = HexValue(a, x), numberB = HexValue(b, y);
    if (numberA && numberB) return x < y ? -1 : x > y ? 1 : 0;
    if (numberA != numberB) return numberA ? -1 : 1;
  }
  return lstrcmpiA(a.c_str(), b.c_str());
}

int CListView::Compare(int column, const std::string& a, const std::string& b) const {
  auto it = orders_.find(column);
  const int result = CompareCells(it == orders_.end() ? Order::Text : it->second, a, b);
  return descending_ ? -result : result;
}

void CListView::SetSorted(bool on) {
  sorted_ = on;
  ShowSortArrow();
  if (on) Sort();
}

void CListView::SortBy(int column, bool descending) {
  sortColumn_ = column;
  descending_ = descending;
  arrow_ = true;
  SetSorted(true);
  ShowWholeTitle(column);
}

void CListView::ShowSortArrow() {
  if (!arrow_) return;
  HWND header = ListView_GetHeader(h_);
  for (int column = 0; column < ColumnCount(); ++column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, column, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (sorted_ && column == sortColumn_) item.fmt |= descending_ ? HDF_SORTDOWN : HDF_SORTUP;
    Header_SetItem(header, column, &item);
  }
}

// Rows are compared by their own data, not by index: the indices move while the list sorts.
int CALLBACK CListView::CompareRows(LPARAM a, LPARAM b, LPARAM self) {
  const CListView& list = *reinterpret_cast<const CListView*>(self);
  const auto &x = list.sortKeys_.at(a), &y = list.sortKeys_.at(b);
  const int result = list.Compare(list.sortColumn_, x.first, y.first);
  return result ? result : CompareCells(Order::Text, x.second, y.second);  // ties by name, A to Z
}

void CListView::SortEntries() {
  const int selected = Selected();
  const int entry = InRange(selected) ? entries_[selected] : -1;
  std::map<int, std::pair<std::string, std::string>> keys;
  for (int item : entries_) keys[item] = {Narrow(source_->cell(item, sortColumn_)), Narrow(source_->cell(item, 0))};
  std::stable_sort(entries_.begin(), entries_.end(), [&](int a, int b) {
    const auto &x = keys[a], &y = keys[b];
    const int result = Compare(sortColumn_, x.first, y.first);
    return (result ? result : CompareCells(Order::Text, x.second, y.second)) < 0;
  });
  if (entry >= 0) Select(static_cast<int>(std::find(entries_.begin(), entries_.end(), entry) - entries_.begin()));
  Redraw();
}

// Typing in the list finds the next row from start whose first cell begins with (partial)
// or is the text, without regard to case, round to the top.
bool CListView::FindEntry(const std::string& text, bool partial, int start, int& found) const {
  const int count = static_cast<int>(entries_.size());
  for (int i = 0; i < count; ++i) {
    const int row = (std::max(start, 0) + i) % count;
    const std::string cell = Narrow(source_->cell(entries_[row], 0));
    const std::string head = partial ? cell.substr(0, text.size()) : cell;
    if (lstrcmpiA(head.c_str(), text.c_str()) == 0) {
      found = row;
      return true;
    }
  }
  return false;
}

void CListView::Sort() {
  if (source_) return SortEntries();
  for (int row = 0; row < Count(); ++row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    sortKeys_[item.lParam] = {Cell(row, sortColumn_), Cell(row, 0)};
  }
  ListView_SortItems(h_, CompareRows, reinterpret_cast<LPARAM>(this));
  sortKeys_.clear();
}

HFONT CListView::BoldFont() {
  HFONT current = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  if (!bold_ || current != boldOf_) {  // made again when the list's font has changed
    if (bold_) DeleteObject(bold_);
    boldOf_ = current;
    LOGFONTA font{};
    GetObjectA(current ? current : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfWeight = FW_BOLD;
    bold_ = CreateFontIndirectA(&font);
  }
  return bold_;
}

bool CListView::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom != h_) return false;
  switch (header->code) {
    case NM_CUSTOMDRAW: {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
      switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
          result = CDRF_NOTIFYITEMDRAW;
          return true;
        case CDDS_ITEMPREPAINT:
          result = CDRF_NOTIFYSUBITEMDRAW;
          return true;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
          auto it = rows_.find(draw->nmcd.lItemlParam);
          CellStyle style = source_ ? Style(static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem) : CellStyle{};
          if (!source_ && it != rows_.end()) {
            auto cell = it->second.styles.find(draw->iSubItem);
            if (cell != it->second.styles.end()) style = cell->second;
          }
          draw->clrText = style.color == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : style.color;
          // A selection without the focus in a light shade of the selection's colour, where
          // the platform's own grey would barely show on white: the row stays in sight.
          if ((draw->nmcd.uItemState & CDIS_SELECTED) && GetFocus() != h_) {
            draw->nmcd.uItemState &= ~CDIS_SELECTED;
            const COLORREF mark = GetSysColor(COLOR_HIGHLIGHT), back = GetSysColor(COLOR_WINDOW);
            draw->clrTextBk = RGB((GetRValue(mark) + 3 * GetRValue(back)) / 4, (GetGValue(mark) + 3 * GetGValue(back)) / 4,
                                  (GetBValue(mark) + 3 * GetBValue(back)) / 4);
          }
          SelectObject(draw->nmcd.hdc,
                       style.bold ? BoldFont() : reinterpret_cast<HFONT>(Send(WM_GETFONT)));
          result = CDRF_NEWFONT;
          return true;
        }
        default:
          result = CDRF_DODEFAULT;
          return true;
      }
    }
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
      if (!source_) return false;
      auto* item = &reinterpret_cast<NMLVDISPINFOA*>(header)->item;  // the W form differs only in its text's type
      if (!InRange(item->iItem)) return true;
      if (item->mask & LVIF_IMAGE) {
        const int image = item->iSubItem == 0 ? source_->image(entries_[item->iItem]) : -1;
        item->iImage = image < 0 ? I_IMAGENONE : image;
      }
      if ((item->mask & LVIF_TEXT) && item->cchTextMax > 0) {
        const std::wstring text = source_->cell(entries_[item->iItem], item->iSubItem);
        if (header->code == LVN_GETDISPINFOA) lstrcpynA(item->pszText, Narrow(text).c_str(), item->cchTextMax);
        else lstrcpynW(reinterpret_cast<wchar_t*>(item->pszText), text.c_str(), item->cchTextMax);
      }
      result = 0;
      return true;
    }
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: {
      if (!source_) return false;
      auto* find = reinterpret_cast<NMLVFINDITEMA*>(header);
      std::string text;
      if (header->code == LVN_ODFINDITEMA) {
        if (find->lvfi.psz) text = find->lvfi.psz;
      } else if (const auto* wide = reinterpret_cast<const wchar_t*>(find->lvfi.psz)) {
        char buffer[260] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
        text = buffer;
      }
      int found = -1;
      const bool searchText = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) != 0;
      result = searchText && FindEntry(text, (find->lvfi.flags & LVFI_PARTIAL) != 0, find->iStart, found) ? found : -1;
      return true;
    }
    case LVN_GETINFOTIPA: {
      auto* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
      const std::string text = Narrow(Tip(tip->iItem));
      if (!text.empty() && tip->cchTextMax > 0) lstrcpynA(tip->pszText, text.c_str(), tip->cchTextMax);
      result = 0;
      return true;
    }
    case LVN_GETINFOTIPW: {
      auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(header);
      const std::wstring text = Tip(tip->iItem);
      if (!text.empty() && tip->cchTextMax > 0) lstrcpynW(tip->pszText, text.c_str(), tip->cchTextMax);
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace win
