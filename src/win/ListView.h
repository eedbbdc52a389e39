// A report-style list view whose rows carry a tag, a tool tip and per-cell colour and
// bold, drawn through custom draw.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "win/Window.h"

namespace win {

// Adds the platform's warning sign, drawn at the list's image size, to a list's images;
// returns its index.
int AddWarningImage(HIMAGELIST images);

class CListView : public CWindow {
 public:
  struct CellStyle {
    COLORREF color = CLR_DEFAULT;
    bool bold = false;
  };

  // What a list that holds no rows of its own (owner data) shows of its entry `item`.
  struct Source {
    std::function<std::wstring(int item, int column)> cell;
    std::function<int(int item)> image;  // -1: none
    std::function<std::wstring(int item)> tip;
    std::function<CellStyle(int item, int column)> style;
  };

  ~CListView();
  bool Create(HWND parent, UINT id, DWORD extraStyle = 0);
  // Created so, the list keeps no copy of its texts: its rows are entries by index, shown
  // from source as they come into view. Rows come by AddEntries, not AddRow.
  bool CreateVirtual(HWND parent, UINT id, Source source);
  // Appends rows for the entries from..to-1; the list paints only what comes into view.
  void AddEntries(int from, int to);
  void SetImageList(HIMAGELIST images);

  int AddColumn(const std::wstring& title, int width = 100);
  void SetColumnTitle(int column, const std::wstring& title);
  int ColumnCount() const;
  int ColumnWidth(int column) const;
  // Widens the column, when needed, to show its whole title (and the sort arrow there).
  void ShowWholeTitle(int column);
  // Every column as wide as its contents and its whole title; the last one fills the
  // rest of the list.
  void FitColumns();
  // The last column fills the rest of the list, but never cuts its contents.
  void FitLastColumn();
  std::wstring ColumnTitle(int column) const;

  // Appends a row (or inserts it in sorted place while sorting is on), with the index of
  // its entry (see Item) and its tip; returns its index.
  int AddRow(const std::string& text, int image = -1, int entry = -1, const std::wstring& tip = {});
  void Clear();
  int Count() const;

  std::string Cell(int row, int column) const;
  void SetCell(int row, int column, const std::string& text);
  // A cell in any script; the first column keeps sorting by the text its row was added with.
  void SetCell(int row, int column, const std::wstring& text);
  std::string Tag(int row) const;
  void SetTag(int row, const std::string& tag);
  // The index of the row's entry in the data the list shows; -1 when none was given.
  int Item(int row) const;
  std::wstring Tip(int row) const;
  void SetTip(int row, const std::wstring& tip);
  int Image(int row) const;
  CellStyle Style(int row, int column) const;
  void SetStyle(int row, int column, COLORREF color, bool bold);

  int Selected() const;  // -1 when no row is selected
  // Selects and focuses the row (the last row when there are fewer) and scrolls to it;
  // -1 selects none.
  void Select(int row);

  // How a column's texts compare when the list sorts by it: as text without regard to
  // letter case, or as hexadecimal numbers (any text that is not one, such as "None",
  // after every number, in text order). Ties go by the first column.
  enum class Order { Text, Hex };
  void SetColumnOrder(int column, Order order);
  static int CompareCells(Order order, const std::string& a, const std::string& b);

  // While sorting is on the rows keep the order of the sort column and direction (by
  // default the first column, ascending). SortBy also shows the order by the header's
  // arrow from then on.
  void SetSorted(bool on);
  bool Sorted() const { return sorted_; }
  void SortBy(int column, bool descending);
  int SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return descending_; }

  // Holds the list's painting while it is rebuilt; one repaint follows at the end.
  class Freeze {
   public:
    // The redraw switch also switches the visible flag on some platforms: the list keeps
    // the visibility it had.
    explicit Freeze(CListView& list) : list_(list), visible_(list.IsVisible()) { list_.Send(WM_SETREDRAW, FALSE); }
    ~Freeze() {
      list_.Send(WM_SETREDRAW, TRUE);
      list_.Show(visible_);
      list_.Redraw();
    }
    Freeze(const Freeze&) = delete;
    Freeze& operator=(const Freeze&) = delete;

   private:
    CListView& list_;
    bool visible_;
  };

  // Returns true and sets result when the notification was the list's own business.
  bool OnNotify(NMHDR* header, LRESULT& result);

 private:
  struct RowData {
    std::string text;  // the first column, the sort key
    std::string tag;
    std::wstring tip;
    int item = -1;
    std::map<int, CellStyle> styles;
  };
  RowData* Data(int row) const;
  void Sort();
  static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM self);
  void ShowSortArrow();
  int Compare(int column, const std::string& a, const std::string& b) const;
  HFONT BoldFont();

  // Owner data: the source, and the entry of each row in the order shown.
  std::optional<Source> source_;
  std::vector<int> entries_;
  bool InRange(int row) const { return row >= 0 && static_cast<size_t>(row) < entries_.size(); }
  void SortEntries();
  bool FindEntry(const std::string& text, bool partial, int start, int& found) const;

  std::map<LPARAM, RowData> rows_;
  LPARAM nextId_ = 1;
  bool sorted_ = false;
  int sortColumn_ = 0;
  bool descending_ = false;
  bool arrow_ = false;
  std::map<int, Order> orders_;
  std::map<LPARAM, std::pair<std::string, std::string>> sortKeys_;  // while sorting: the sort column's and the first cell
  HFONT bold_ = nullptr, boldOf_ = nullptr;  // the bold font and the list's font it was made from
};

}  // namespace win
