#include "popup_menu.h"

#include <algorithm>

#include "application.h"
#include "platform.h"

namespace orvgen {
namespace {
// Command ids are unique across all menus of the process and start at 1.
UINT nextItemId = 1;
std::vector<TPopupMenu*> liveMenus;
}  // namespace

std::wstring TMenuItem::Caption() const {
  wchar_t buffer[256]{};
  GetMenuStringW(menu_.Handle(), id_, buffer, 256, MF_BYCOMMAND);
  return buffer;
}

void TMenuItem::SetCaption(const std::wstring& caption) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
  SetMenuItemInfoW(menu_.Handle(), id_, FALSE, &info);
}

TPopupMenu::TPopupMenu() : menu_(CreatePopupMenu()) { liveMenus.push_back(this); }

TPopupMenu::~TPopupMenu() { std::erase(liveMenus, this); }

TMenuItem& TPopupMenu::Add(const std::wstring& caption, bool isDefault) {
  auto item = std::make_unique<TMenuItem>(*this, nextItemId++);
  if (caption == L"-") {
    AppendMenuW(Handle(), MF_SEPARATOR, item->Id(), nullptr);
  } else {
    AppendMenuW(Handle(), MF_STRING, item->Id(), caption.c_str());
  }
  if (isDefault) SetMenuDefaultItem(Handle(), item->Id(), FALSE);
  items_.push_back(std::move(item));
  return *items_.back();
}

void TPopupMenu::Popup(int x, int y) {
  HWND owner = Application.Handle();
  CurrentPlatform().TrackPopupMenu(Handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, owner);
  // A menu of a window that is not in the foreground must be followed by a message to
  // that window; otherwise a menu dismissed without a choice can make the next one close
  // as soon as it opens.
  PostMessageW(owner, WM_NULL, 0, 0);
}

bool TPopupMenu::Dispatch(UINT id) {
  for (auto& item : items_) {
    if (item->Id() == id) {
      if (item->OnClick) item->OnClick(item.get());
      return true;
    }
  }
  return false;
}

void DispatchMenuCommand(UINT id) {
  for (TPopupMenu* menu : liveMenus) {
    if (menu->Dispatch(id)) return;
  }
}

}  // namespace orvgen
