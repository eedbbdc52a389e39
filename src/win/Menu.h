// A menu bar loaded from an extended menu resource, whose items (popups and separators
// included) are addressed by id, and which can hide items as well as disable them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace win {

class CMenuBar {
 public:
  struct Item {
    UINT id = 0;
    std::string name;      // the item's control name
    std::wstring caption;   // without the shortcut text; "-" for a separator
    std::wstring shortcut;  // "Ctrl+A", shown after a tab
    bool separator = false;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    bool isDefault = false;  // shown in bold: what Enter or a double-click on the list does
    HMENU parent = nullptr;  // the popup (or bar) that holds the item
    HMENU popup = nullptr;   // the item's own submenu
    int depth = 0;
  };
  struct Name {
    UINT id;
    const char* name;
  };

  ~CMenuBar();
  // Loads the resource; names give each id its control name.
  bool Load(HINSTANCE instance, UINT resourceId, const Name* names, size_t count);
  HMENU Handle() const { return bar_; }

  // The items in menu-tree order, top to bottom.
  const std::vector<Item>& Items() const { return items_; }
  const Item* Find(UINT id) const;

  void SetChecked(UINT id, bool on);
  void SetEnabled(UINT id, bool on);
  void SetVisible(UINT id, bool on);
  void SetCaption(UINT id, const std::wstring& caption);
  // The item becomes the default of its menu, in place of any other.
  void SetDefault(UINT id);
  bool IsChecked(UINT id) const;
  bool IsEnabled(UINT id) const;
  bool IsVisible(UINT id) const;
  // Shown and enabled, and so is every menu above it: what the user can reach.
  bool IsActive(UINT id) const;
  std::wstring Caption(UINT id) const;
  HMENU Popup(UINT id) const;
  // The caption as the menu shows it, read back from the platform.
  std::wstring ShownText(UINT id) const;

 private:
  void Walk(HMENU menu, int depth, const Name* names, size_t count);
  Item* Get(UINT id);
  int Position(const Item& item) const;  // visible position inside its parent
  void Apply(const Item& item);
  MENUITEMINFOW Info(const Item& item, std::wstring& text) const;

  HMENU bar_ = nullptr;
  std::vector<Item> items_;
};

}  // namespace win
