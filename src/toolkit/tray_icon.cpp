#include "tray_icon.h"

#include <cstddef>
#include <stdexcept>

#include "application.h"
#include "platform.h"
#include "popup_menu.h"
#include "window_proc.h"

namespace orvgen {
namespace {

constexpr wchar_t TrayWindowClass[] = L"OrvgenTrayIconWindow";

// Registered with the module's start-up code, before the program's own start-up runs.
const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

template <std::size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text, std::size_t limit) {
  const std::size_t n = text.size() < limit ? text.size() : limit;
  text.copy(field, n);
  field[n] = L'\0';
}

}  // namespace

DWORD NotifyRecordSize(DWORD platformMajorVersion) {
  return platformMajorVersion >= 6 ? static_cast<DWORD>(sizeof(NOTIFYICONDATAW))
                                   : static_cast<DWORD>(offsetof(NOTIFYICONDATAW, guidItem));
}

DWORD PlatformMajorVersion() {
  // RtlGetVersion reports the true version, whatever the manifest claims compatibility with.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
    auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (fn && fn(&info) == 0) return info.dwMajorVersion;
  }
  return 6;
}

UINT TaskbarCreatedMessage() { return taskbarCreated; }

TTrayIcon::TTrayIcon() {
  RegisterBoundClass<TTrayIcon>(TrayWindowClass);
  // A hidden top-level window rather than a message-only one: "TaskbarCreated" is
  // broadcast, and broadcasts reach top-level windows only.
  window_.Reset(CreateWindowExW(0, TrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this));
  if (!window_) throw std::runtime_error("Cannot create the tray icon window");
  // An elevated copy would otherwise never hear of a restarted shell, which runs with
  // lower rights, and its icon would stay away.
  CurrentPlatform().ChangeWindowMessageFilterEx(Handle(), taskbarCreated, MSGFLT_ALLOW);

  record_.cbSize = NotifyRecordSize(PlatformMajorVersion());
  record_.hWnd = Handle();
  record_.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(Handle()));
  record_.uFlags = NIF_MESSAGE | NIF_ICON;
  record_.uCallbackMessage = TrayIconCallbackMessage;
  record_.uTimeout = 10000;
  // Until it is given its own, the icon's tooltip is the application's title.
  hint_ = Application.Title;
  CopyCut(record_.szTip, hint_, 127);
  if (!hint_.empty()) record_.uFlags |= NIF_TIP;
}

TTrayIcon::~TTrayIcon() {
  if (visible_) Notify(NIM_DELETE);
}

BOOL TTrayIcon::Notify(DWORD message) { return CurrentPlatform().ShellNotifyIcon(message, &record_); }

void TTrayIcon::SetHint(const std::wstring& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  CopyCut(record_.szTip, hint_, 127);
  if (hint_.empty()) {
    record_.uFlags &= ~static_cast<UINT>(NIF_TIP);
  } else {
    record_.uFlags |= NIF_TIP;
  }
  if (visible_) Notify(NIM_MODIFY);
}

void TTrayIcon::SetBalloonHint(const std::wstring& text) {
  if (text == balloonHint_) return;
  balloonHint_ = text;
  CopyCut(record_.szInfo, balloonHint_, 255);
  Notify(NIM_MODIFY);
}

void TTrayIcon::SetBalloonTitle(const std::wstring& title) {
  if (title == balloonTitle_) return;
  balloonTitle_ = title;
  CopyCut(record_.szInfoTitle, balloonTitle_, 63);
  Notify(NIM_MODIFY);
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible) {
    record_.hIcon = Icon ? Icon : Application.Icon(GetSystemMetrics(SM_CXSMICON));
    Notify(NIM_ADD);
  } else {
    Notify(NIM_DELETE);
  }
}

void TTrayIcon::ShowBalloonHint() {
  record_.uFlags |= NIF_INFO;
  record_.dwInfoFlags = static_cast<DWORD>(BalloonFlags);
  Notify(NIM_MODIFY);
}

void TTrayIcon::ShowMenu() {
  if (!PopupMenu) return;
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if our thread is in the foreground.
  CurrentPlatform().SetForegroundWindow(Application.Handle());
  Application.ProcessMessages();
  PopupMenu->Popup(at.x, at.y);
}

void TTrayIcon::OnNotification(LPARAM event) {
  switch (event) {
    case WM_LBUTTONDOWN:
      clickPending_ = true;
      break;
    case WM_LBUTTONUP:
      if (clickPending_) {
        if (OnClick) Guarded([&] { OnClick(this); });
        clickPending_ = false;
      }
      break;
    case WM_RBUTTONUP:
      ShowMenu();
      break;
    case NIN_BALLOONHIDE:
    case NIN_BALLOONTIMEOUT:
      record_.uFlags &= ~static_cast<UINT>(NIF_INFO);
      break;
    default:
      // Moves, other buttons, double-clicks and a click on the balloon do nothing.
      break;
  }
}

LRESULT TTrayIcon::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TrayIconCallbackMessage) {
    OnNotification(lParam);
    return 0;
  }
  if (message == taskbarCreated) {
    // The shell came back: put the icon back as it stands, pending balloon included.
    if (visible_) Notify(NIM_ADD);
    return 0;
  }
  switch (message) {
    case WM_QUERYENDSESSION:
      return 1;
    case WM_ENDSESSION:
      if (wParam) Notify(NIM_DELETE);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace orvgen
