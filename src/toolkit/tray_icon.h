// The notification-area icon. It keeps one notification record for its whole life and
// hands it whole to every Shell_NotifyIconW call; its hidden message window takes the
// icon's notifications, the log-off messages and the shell's "TaskbarCreated".
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "handles.h"
#include "object.h"

namespace orvgen {

class TPopupMenu;

enum TBalloonFlags { bfNone = NIIF_NONE, bfInfo = NIIF_INFO, bfWarning = NIIF_WARNING, bfError = NIIF_ERROR };

// The callback message the icon's notifications arrive as.
inline constexpr UINT TrayIconCallbackMessage = WM_USER + 1;

// The record size for the platform's major version: the whole record from version 6 on,
// else the record up to and including dwInfoFlags.
DWORD NotifyRecordSize(DWORD platformMajorVersion);
// The running platform's major version number.
DWORD PlatformMajorVersion();
// The number the shell's "TaskbarCreated" message was registered as.
UINT TaskbarCreatedMessage();

class TTrayIcon : public TObject {
 public:
  TTrayIcon();
  TTrayIcon(const TTrayIcon&) = delete;
  TTrayIcon& operator=(const TTrayIcon&) = delete;
  ~TTrayIcon() override;

  const std::wstring& Hint() const { return hint_; }
  void SetHint(const std::wstring& hint);
  const std::wstring& BalloonHint() const { return balloonHint_; }
  void SetBalloonHint(const std::wstring& text);
  const std::wstring& BalloonTitle() const { return balloonTitle_; }
  void SetBalloonTitle(const std::wstring& title);
  void SetBalloonTimeout(UINT milliseconds) { record_.uTimeout = milliseconds; }
  TBalloonFlags BalloonFlags = bfNone;
  // Not owned: a shared resource icon. Empty means the application's icon.
  HICON Icon = nullptr;
  TPopupMenu* PopupMenu = nullptr;
  TNotifyEvent OnClick;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void ShowBalloonHint();

  HWND Handle() const { return window_.Get(); }
  const NOTIFYICONDATAW& Record() const { return record_; }

 private:
  template <typename T>
  friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnNotification(LPARAM event);
  void ShowMenu();
  BOOL Notify(DWORD message);

  BoundWindowHandle window_;
  NOTIFYICONDATAW record_{};
  std::wstring hint_;
  std::wstring balloonHint_;
  std::wstring balloonTitle_;
  bool visible_ = false;
  bool clickPending_ = false;
};

}  // namespace orvgen
