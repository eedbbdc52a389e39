// A report-style list view whose rows carry a tag, a tool tip and per-cell colour and
// bold, drawn through custom draw.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "win/Window.h"

namespace win {

class CListView : public CWindow {
 public:
  struct CellStyle {
    COLORREF color = CLR_DEFAULT;
    bool bold = false;
  };

  ~CListView();
  bool Create(HWND parent, UINT id, DWORD extraStyle = 0);
  void SetImageList(HIMAGELIST images);

  int AddColumn(const std::string& title, int width = 100);
  int ColumnCount() const;
  int ColumnWidth(int column) const;
  std::string ColumnTitle(int column) const;

  // Appends a row (or inserts it in sorted place while sorting is on); returns its index.
  int AddRow(const std::string& text, int image = -1);
  void DeleteRow(int row);
  void Clear();
  int Count() const;

  std::string Cell(int row, int column) const;
  void SetCell(int row, int column, const std::string& text);
  std::string Tag(int row) const;
  void SetTag(int row, const std::string& tag);
  std::string Tip(int row) const;
  void SetTip(int row, const std::string& tip);
  int Image(int row) const;
  CellStyle Style(int row, int column) const;
  void SetStyle(int row, int column, COLORREF color, bool bold);

  int Selected() const;  // -1 when no row is selected
  void Select(int row);

  // Sorting by the first column, ascending, without regard to letter case.
  void SetSorted(bool on);

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
    std::string tag, tip;
    std::map<int, CellStyle> styles;
  };
  RowData* Data(int row) const;
  void Sort();
  HFONT BoldFont();

  std::map<LPARAM, RowData> rows_;
  LPARAM nextId_ = 1;
  bool sorted_ = false;
  HFONT bold_ = nullptr;
};

}  // namespace win
