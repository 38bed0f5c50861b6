// A platform that records what the program hands it instead of acting: the tray records,
// hot-key registrations, addresses opened, activations and menus.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform.h"

namespace orvgen {

struct NotifyCall {
  DWORD message;
  NOTIFYICONDATAW record;
};

struct HotKeyCall {
  bool registering;
  HWND window;
  int id;
  UINT modifiers;
  UINT key;
};

struct ShellExecuteCall {
  HWND owner;
  std::wstring verb, file;
  bool parametersIsNull, directoryIsNull;
  std::wstring parameters, directory;
  int show;
};

struct MessageFilterCall {
  HWND window;
  UINT message;
  DWORD action;
};

struct MenuCall {
  HMENU menu;
  UINT flags;
  int x, y;
  HWND owner;
};

class RecordingPlatform final : public Platform {
 public:
  std::vector<NotifyCall> notifications;
  std::vector<HotKeyCall> hotKeys;
  std::vector<ShellExecuteCall> shellExecutes;
  std::vector<HWND> foregrounds;
  std::vector<MenuCall> menus;
  std::vector<MessageFilterCall> messageFilters;
  // Set by a test to choose a menu item while the menu "is open".
  UINT chooseOnTrack = 0;

  void Clear() {
    notifications.clear();
    hotKeys.clear();
    shellExecutes.clear();
    foregrounds.clear();
    menus.clear();
    messageFilters.clear();
  }

  BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
    notifications.push_back({message, *data});
    return TRUE;
  }
  BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT key) override {
    hotKeys.push_back({true, window, id, modifiers, key});
    return TRUE;
  }
  BOOL UnregisterHotKey(HWND window, int id) override {
    hotKeys.push_back({false, window, id, 0, 0});
    return TRUE;
  }
  HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                          const wchar_t* directory, int show) override {
    shellExecutes.push_back({owner, verb ? verb : L"", file ? file : L"", parameters == nullptr, directory == nullptr,
                             parameters ? parameters : L"", directory ? directory : L"", show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
  }
  BOOL SetForegroundWindow(HWND window) override {
    foregrounds.push_back(window);
    return ::SetForegroundWindow(window);
  }
  BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override {
    menus.push_back({menu, flags, x, y, owner});
    // A real menu posts the chosen item's command to the owner when it closes.
    if (chooseOnTrack) PostMessageW(owner, WM_COMMAND, chooseOnTrack, 0);
    return TRUE;
  }
  BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) override {
    messageFilters.push_back({window, message, action});
    return TRUE;
  }
};

}  // namespace orvgen
