#include "platform.h"

namespace orvgen {
namespace {

class RealPlatform final : public Platform {
 public:
  BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) override { return Shell_NotifyIconW(message, data); }
  BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT key) override {
    return ::RegisterHotKey(window, id, modifiers, key);
  }
  BOOL UnregisterHotKey(HWND window, int id) override { return ::UnregisterHotKey(window, id); }
  HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                          const wchar_t* directory, int show) override {
    return ::ShellExecuteW(owner, verb, file, parameters, directory, show);
  }
  BOOL SetForegroundWindow(HWND window) override { return ::SetForegroundWindow(window); }
  BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) override {
    return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
  }
  BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action) override {
    return ::ChangeWindowMessageFilterEx(window, message, action, nullptr);
  }
};

RealPlatform realPlatform;
Platform* current = &realPlatform;

}  // namespace

Platform& CurrentPlatform() { return *current; }

Platform* SetPlatform(Platform* replacement) {
  Platform* previous = current;
  current = replacement ? replacement : &realPlatform;
  return previous;
}

}  // namespace orvgen
