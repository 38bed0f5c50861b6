// The one seam between the program and the platform calls whose effects cannot be read
// back from the windows themselves: the tray record, hot-key registrations, the shell's
// opening of addresses, activation, the popup menu and the message filter. Tests put a recorder in its place;
// everything else calls Win32 directly.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace orvgen {

class Platform {
 public:
  virtual ~Platform() = default;
  virtual BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) = 0;
  virtual BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT key) = 0;
  virtual BOOL UnregisterHotKey(HWND window, int id) = 0;
  // Named with its W: shellapi.h turns a plain ShellExecute into ShellExecuteW anyway.
  virtual HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                                  const wchar_t* directory, int show) = 0;
  virtual BOOL SetForegroundWindow(HWND window) = 0;
  virtual BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) = 0;
  virtual BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) = 0;
};

// The platform in use: the real one unless a test has put another in place.
Platform& CurrentPlatform();
// Puts a replacement in place (nullptr restores the real one); returns the previous one.
Platform* SetPlatform(Platform* replacement);

}  // namespace orvgen
