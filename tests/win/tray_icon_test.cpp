#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "application.h"
#include "pg_main.h"
#include "tray_icon.h"
#include "win_test_support.h"

namespace orvgen {
namespace {

TfrmOrvantaPassGenMain& Main() { return *frmOrvantaPassGenMain; }

class TrayIcon : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(frmOrvantaPassGenMain, nullptr);
    Main().Hide();
    Recorder().Clear();
  }
  static void Notify(LPARAM event) {
    SendMessageW(Main().TrayIcon.Handle(), TrayIconCallbackMessage, reinterpret_cast<WPARAM>(Main().TrayIcon.Handle()),
                 event);
    PumpMessages();
  }
};

TEST_F(TrayIcon, RecordIdentifiesTheIconsOwnWindow) {
  const NOTIFYICONDATAW& r = Main().TrayIcon.Record();
  EXPECT_EQ(r.cbSize, sizeof(NOTIFYICONDATAW)) << "the platform is version 6 or later";
  EXPECT_EQ(r.hWnd, Main().TrayIcon.Handle());
  EXPECT_EQ(r.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(Main().TrayIcon.Handle())));
  EXPECT_EQ(r.uCallbackMessage, WM_USER + 1u);
  EXPECT_EQ(r.uTimeout, 6000u);
  EXPECT_STREQ(r.szTip, L"Orvanta Password Generator - Click to generate new password");
  EXPECT_STREQ(r.szInfo, L"Password Generator started! Use this tray icon to create new password.");
  EXPECT_STREQ(r.szInfoTitle, L"Orvanta Password Generator");
  EXPECT_NE(r.hIcon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(r.hIcon, &info));
  BITMAP color{};
  GetObjectW(info.hbmColor, sizeof color, &color);
  EXPECT_EQ(color.bmWidth, 16);
  EXPECT_EQ(color.bmHeight, 16);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  wchar_t className[64]{};
  GetClassNameW(Main().TrayIcon.Handle(), className, 64);
  EXPECT_STREQ(className, L"OrvgenTrayIconWindow");
  EXPECT_EQ(GetParent(Main().TrayIcon.Handle()), nullptr) << "top level, so broadcasts reach it";
}

TEST_F(TrayIcon, RecordSizeByPlatformVersion) {
  EXPECT_EQ(NotifyRecordSize(10), sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(NotifyRecordSize(6), sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(NotifyRecordSize(5), offsetof(NOTIFYICONDATAW, guidItem));
  EXPECT_EQ(offsetof(NOTIFYICONDATAW, guidItem), offsetof(NOTIFYICONDATAW, dwInfoFlags) + sizeof(DWORD));
}

TEST_F(TrayIcon, AClickShowsTheWindowAndGeneratesOnce) {
  const struct {
    const char* what;
    std::vector<LPARAM> events;
    int generations;
  } cases[] = {
      {"click", {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}, 1},
      {"double-click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 1},
      {"release without a press", {WM_LBUTTONUP}, 0},
      {"press away, then a release on the icon", {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONUP}, 1},
      {"middle and right presses", {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_RBUTTONDOWN}, 0},
      {"balloon clicked", {NIN_BALLOONUSERCLICK}, 0},
  };
  for (const auto& c : cases) {
    Main().Hide();
    Recorder().Clear();
    ScopedCountingCounters counters(0);
    for (LPARAM e : c.events) Notify(e);
    EXPECT_EQ(counters.Generations(), c.generations) << c.what;
    EXPECT_EQ(Main().Visible(), c.generations > 0) << c.what;
    if (c.generations > 0) {
      EXPECT_EQ(Main().edPassword.Text(), L"accASSthu") << c.what;
      EXPECT_EQ(ClipboardText(), L"accASSthu") << c.what;
      ASSERT_EQ(Recorder().foregrounds.size(), 1u) << c.what;
      EXPECT_EQ(Recorder().foregrounds[0], Main().Handle()) << c.what;
    }
  }
  Main().Hide();
}

TEST_F(TrayIcon, RightReleaseShowsTheMenuAndGeneratesNothing) {
  ScopedCountingCounters counters(0);
  Notify(WM_RBUTTONDOWN);
  Notify(WM_RBUTTONUP);
  EXPECT_EQ(counters.Generations(), 0);
  ASSERT_EQ(Recorder().menus.size(), 1u);
  EXPECT_EQ(Recorder().menus[0].menu, Main().pmTray.Handle());
  EXPECT_EQ(Recorder().menus[0].flags, static_cast<UINT>(TPM_LEFTALIGN | TPM_RIGHTBUTTON));
  EXPECT_EQ(Recorder().menus[0].owner, Application.Handle());
  ASSERT_FALSE(Recorder().foregrounds.empty());
  EXPECT_EQ(Recorder().foregrounds[0], Application.Handle()) << "the application window, not the main window";
  POINT cursor{};
  GetCursorPos(&cursor);
  EXPECT_EQ(Recorder().menus[0].x, cursor.x);
  EXPECT_EQ(Recorder().menus[0].y, cursor.y);
  EXPECT_FALSE(Main().Visible());
}

// Every message waiting for the window, taken off the queue.
std::vector<UINT> TakeQueued(HWND hwnd) {
  std::vector<UINT> queued;
  MSG msg{};
  while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) queued.push_back(msg.message);
  return queued;
}

TEST_F(TrayIcon, AMessageToTheMenusWindowFollowsTheMenu) {
  PumpMessages();
  SendMessageW(Main().TrayIcon.Handle(), TrayIconCallbackMessage, 0, WM_RBUTTONUP);
  ASSERT_EQ(Recorder().menus.size(), 1u);
  EXPECT_EQ(TakeQueued(Application.Handle()), std::vector<UINT>{WM_NULL})
      << "the menu's window gets WM_NULL once the menu has closed, so that the next menu stays open";
}

TEST_F(TrayIcon, MenuFirstItemDoesWhatAClickDoes) {
  ScopedCountingCounters counters(1);
  Recorder().chooseOnTrack = Main().pmitCreateNewPassword.Id();
  Notify(WM_RBUTTONUP);
  Recorder().chooseOnTrack = 0;
  PumpMessages();
  EXPECT_EQ(counters.Generations(), 1);
  EXPECT_TRUE(Main().Visible());
  EXPECT_EQ(Main().edPassword.Text(), L"attSUPdau");
  EXPECT_EQ(ClipboardText(), L"attSUPdau");
  Main().Hide();
}

TEST_F(TrayIcon, BalloonFlagClearsWhenHiddenOrTimedOutOnly) {
  Main().TrayIcon.ShowBalloonHint();
  EXPECT_TRUE(Main().TrayIcon.Record().uFlags & NIF_INFO);
  EXPECT_EQ(Main().TrayIcon.Record().dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  Notify(NIN_BALLOONUSERCLICK);
  EXPECT_TRUE(Main().TrayIcon.Record().uFlags & NIF_INFO);
  Notify(NIN_BALLOONHIDE);
  EXPECT_FALSE(Main().TrayIcon.Record().uFlags & NIF_INFO);
  Main().TrayIcon.ShowBalloonHint();
  Notify(NIN_BALLOONTIMEOUT);
  EXPECT_FALSE(Main().TrayIcon.Record().uFlags & NIF_INFO);
  EXPECT_TRUE(Main().TrayIcon.Record().uFlags & NIF_MESSAGE);
  EXPECT_TRUE(Main().TrayIcon.Record().uFlags & NIF_ICON);
  EXPECT_TRUE(Main().TrayIcon.Record().uFlags & NIF_TIP);
}

TEST_F(TrayIcon, TaskbarCreatedAddsTheIconAgainAsItStands) {
  Main().TrayIcon.ShowBalloonHint();  // a balloon not yet reported hidden comes back with the icon
  Recorder().Clear();
  SendMessageW(Main().TrayIcon.Handle(), TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(Recorder().notifications.size(), 1u);
  EXPECT_EQ(Recorder().notifications[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(Recorder().notifications[0].record.uFlags & NIF_INFO);
  EXPECT_STREQ(Recorder().notifications[0].record.szTip, Main().TrayIcon.Record().szTip);
  Notify(NIN_BALLOONHIDE);
}

TEST_F(TrayIcon, TextsAreCutToTheRecordsRoom) {
  const std::wstring hint = Main().TrayIcon.Hint();
  const std::wstring balloon = Main().TrayIcon.BalloonHint();
  const std::wstring title = Main().TrayIcon.BalloonTitle();
  Main().TrayIcon.SetHint(std::wstring(200, L'h'));
  Main().TrayIcon.SetBalloonHint(std::wstring(300, L'b'));
  Main().TrayIcon.SetBalloonTitle(std::wstring(100, L't'));
  const NOTIFYICONDATAW& r = Main().TrayIcon.Record();
  EXPECT_EQ(std::wstring(r.szTip), std::wstring(127, L'h'));
  EXPECT_EQ(std::wstring(r.szInfo), std::wstring(255, L'b'));
  EXPECT_EQ(std::wstring(r.szInfoTitle), std::wstring(63, L't'));
  // A visible icon sends every change; an unchanged text sends nothing.
  EXPECT_EQ(Recorder().notifications.size(), 3u);
  Main().TrayIcon.SetHint(std::wstring(200, L'h'));
  EXPECT_EQ(Recorder().notifications.size(), 3u);
  Main().TrayIcon.SetHint(L"");
  EXPECT_FALSE(Main().TrayIcon.Record().uFlags & NIF_TIP);
  Main().TrayIcon.SetHint(hint);
  Main().TrayIcon.SetBalloonHint(balloon);
  Main().TrayIcon.SetBalloonTitle(title);
  EXPECT_TRUE(Main().TrayIcon.Record().uFlags & NIF_TIP);
}

TEST_F(TrayIcon, LogOffIsAgreedToAndRemovesTheIcon) {
  EXPECT_EQ(SendMessageW(Main().TrayIcon.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(SendMessageW(Application.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
  SendMessageW(Main().TrayIcon.Handle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(Recorder().notifications.empty()) << "a cancelled log-off keeps the icon";
  SendMessageW(Main().TrayIcon.Handle(), WM_ENDSESSION, TRUE, 0);
  ASSERT_EQ(Recorder().notifications.size(), 1u);
  EXPECT_EQ(Recorder().notifications[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(Recorder().notifications[0].record.hWnd, Main().TrayIcon.Handle());
  // Put it back for the tests that follow, as the shell would after a restart.
  SendMessageW(Main().TrayIcon.Handle(), TaskbarCreatedMessage(), 0, 0);
}

}  // namespace
}  // namespace orvgen
