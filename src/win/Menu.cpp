#include "win/Menu.h"

#include <iterator>

namespace win {

CMenuBar::~CMenuBar() {
  // Hidden items are not in any menu; their submenus are ours to free.
  for (const Item& item : items_)
    if (!item.visible && item.popup) DestroyMenu(item.popup);
  if (bar_ && !IsMenu(bar_)) bar_ = nullptr;
}

bool CMenuBar::Load(HINSTANCE instance, UINT resourceId, const Name* names, size_t count) {
  bar_ = LoadMenuA(instance, MAKEINTRESOURCEA(resourceId));
  if (!bar_) return false;
  items_.clear();
  Walk(bar_, 0, names, count);
  return true;
}

void CMenuBar::Walk(HMENU menu, int depth, const Name* names, size_t count) {
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    wchar_t text[512] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = static_cast<UINT>(std::size(text));
    GetMenuItemInfoW(menu, i, TRUE, &info);
    Item item;
    item.id = info.wID;
    for (size_t k = 0; k < count; ++k)
      if (names[k].id == info.wID) item.name = names[k].name;
    item.separator = (info.fType & MFT_SEPARATOR) != 0;
    std::wstring caption = text;
    size_t tab = caption.find(L'\t');
    if (tab != std::wstring::npos) {
      item.shortcut = caption.substr(tab + 1);
      caption.erase(tab);
    }
    item.caption = item.separator ? L"-" : caption;
    item.checked = (info.fState & MFS_CHECKED) != 0;
    item.enabled = (info.fState & MFS_DISABLED) == 0;
    item.parent = menu;
    item.popup = info.hSubMenu;
    item.depth = depth;
    items_.push_back(item);
    if (info.hSubMenu) Walk(info.hSubMenu, depth + 1, names, count);
  }
}

const CMenuBar::Item* CMenuBar::Find(UINT id) const {
  for (const Item& item : items_)
    if (item.id == id) return &item;
  return nullptr;
}

CMenuBar::Item* CMenuBar::Get(UINT id) { return const_cast<Item*>(Find(id)); }

int CMenuBar::Position(const Item& target) const {
  int position = 0;
  for (const Item& item : items_) {
    if (&item == &target) return position;
    if (item.parent == target.parent && item.visible) ++position;
  }
  return -1;
}

MENUITEMINFOW CMenuBar::Info(const Item& item, std::wstring& text) const {
  text = item.shortcut.empty() ? item.caption : item.caption + L"\t" + item.shortcut;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
  info.wID = item.id;
  info.fType = item.separator ? MFT_SEPARATOR : MFT_STRING;
  info.fState = (item.checked ? MFS_CHECKED : MFS_UNCHECKED) | (item.enabled ? MFS_ENABLED : MFS_DISABLED) |
                (item.isDefault ? MFS_DEFAULT : 0u);
  info.hSubMenu = item.popup;
  if (!item.separator) {
    info.fMask |= MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
  }
  return info;
}

void CMenuBar::Apply(const Item& item) {
  if (!item.visible) return;
  std::wstring text;
  MENUITEMINFOW info = Info(item, text);
  info.fMask &= ~(MIIM_ID | MIIM_SUBMENU);
  SetMenuItemInfoW(item.parent, Position(item), TRUE, &info);
}

void CMenuBar::SetChecked(UINT id, bool on) {
  if (Item* item = Get(id)) {
    item->checked = on;
    Apply(*item);
  }
}

void CMenuBar::SetEnabled(UINT id, bool on) {
  if (Item* item = Get(id)) {
    item->enabled = on;
    Apply(*item);
  }
}

void CMenuBar::SetCaption(UINT id, const std::wstring& caption) {
  Item* item = Get(id);
  if (!item || item->separator) return;
  item->caption = caption;
  Apply(*item);
}

void CMenuBar::SetDefault(UINT id) {
  const Item* target = Find(id);
  if (!target) return;
  for (Item& item : items_)
    if (item.parent == target->parent && item.isDefault != (item.id == id)) {
      item.isDefault = item.id == id;
      Apply(item);
    }
}

void CMenuBar::SetVisible(UINT id, bool on) {
  Item* item = Get(id);
  if (!item || item->visible == on) return;
  if (on) {
    item->visible = true;
    std::wstring text;
    MENUITEMINFOW info = Info(*item, text);
    InsertMenuItemW(item->parent, Position(*item), TRUE, &info);
  } else {
    RemoveMenu(item->parent, Position(*item), MF_BYPOSITION);  // keeps the submenu alive
    item->visible = false;
  }
}

bool CMenuBar::IsChecked(UINT id) const { return Find(id) && Find(id)->checked; }
bool CMenuBar::IsEnabled(UINT id) const { return Find(id) && Find(id)->enabled; }
bool CMenuBar::IsVisible(UINT id) const { return Find(id) && Find(id)->visible; }
bool CMenuBar::IsActive(UINT id) const {
  const Item* item = Find(id);
  while (item && item->visible && item->enabled) {
    if (item->parent == bar_) return true;
    const Item* above = nullptr;
    for (const Item& candidate : items_)
      if (candidate.popup == item->parent) above = &candidate;
    item = above;
  }
  return false;
}

std::wstring CMenuBar::Caption(UINT id) const { return Find(id) ? Find(id)->caption : std::wstring(); }
HMENU CMenuBar::Popup(UINT id) const { return Find(id) ? Find(id)->popup : nullptr; }

std::wstring CMenuBar::ShownText(UINT id) const {
  const Item* item = Find(id);
  if (!item || !item->visible) return {};
  wchar_t text[512] = {};
  GetMenuStringW(item->parent, static_cast<UINT>(Position(*item)), text, static_cast<int>(std::size(text)),
                 MF_BYPOSITION);
  return text;
}

}  // namespace win
