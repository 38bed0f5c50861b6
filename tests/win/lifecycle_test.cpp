// The start-up sequence and the tear-down, as one run of the program sees them.
#include <gtest/gtest.h>

#include <windows.h>

#include "application.h"
#include "pg_main.h"
#include "pg_set.h"
#include "platform.h"
#include "recording_platform.h"
#include "startup.h"
#include "tray_icon.h"

namespace orvgen {
namespace {

BOOL CALLBACK CountVisible(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(Lifecycle, StartUpShowsOnlyTheIconAndTearDownTakesEverythingAway) {
  RecordingPlatform recorder;
  SetPlatform(&recorder);
  orvgen::StartUp();

  int visible = 0;
  EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&visible));
  EXPECT_EQ(visible, 0) << "nothing of the program is visible before the message loop";
  ASSERT_NE(frmOrvantaPassGenMain, nullptr);
  ASSERT_NE(frmPassGenSettings, nullptr);
  HWND main = frmOrvantaPassGenMain->Handle();
  HWND tray = frmOrvantaPassGenMain->TrayIcon.Handle();

  // An elevated copy hears of a restarted shell, which runs with lower rights.
  ASSERT_EQ(recorder.messageFilters.size(), 1u);
  EXPECT_EQ(recorder.messageFilters[0].window, tray);
  EXPECT_EQ(recorder.messageFilters[0].message, TaskbarCreatedMessage());
  EXPECT_EQ(recorder.messageFilters[0].action, static_cast<DWORD>(MSGFLT_ALLOW));

  // The hot keys come after both windows exist, before the icon is added.
  ASSERT_EQ(recorder.hotKeys.size(), 2u);
  EXPECT_EQ(recorder.hotKeys[0].window, main);
  EXPECT_EQ(recorder.hotKeys[0].id, 1);
  EXPECT_EQ(recorder.hotKeys[0].key, static_cast<UINT>('P'));
  EXPECT_EQ(recorder.hotKeys[1].id, 2);
  EXPECT_EQ(recorder.hotKeys[1].key, static_cast<UINT>('N'));

  // The balloon texts are sent as they are set, then the icon is added, then the balloon.
  ASSERT_EQ(recorder.notifications.size(), 4u);
  EXPECT_EQ(recorder.notifications[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(recorder.notifications[1].message, static_cast<DWORD>(NIM_MODIFY));
  const NotifyCall& add = recorder.notifications[2];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_STREQ(add.record.szTip, L"Orvanta Password Generator - Click to generate new password");
  EXPECT_EQ(add.record.hWnd, tray);
  EXPECT_NE(add.record.hIcon, nullptr);
  const NotifyCall& balloon = recorder.notifications[3];
  EXPECT_EQ(balloon.message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(balloon.record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
  EXPECT_EQ(balloon.record.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  EXPECT_EQ(balloon.record.uTimeout, 6000u);
  EXPECT_STREQ(balloon.record.szInfoTitle, L"Orvanta Password Generator");
  EXPECT_STREQ(balloon.record.szInfo, L"Password Generator started! Use this tray icon to create new password.");

  // The first showing centres the main window on the screen.
  frmOrvantaPassGenMain->TrayIconClick(nullptr);
  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
  EXPECT_EQ(recorder.foregrounds.back(), main);

  // Exit posts the quit message; the loop ends on it.
  recorder.Clear();
  frmOrvantaPassGenMain->pmitExitClick(nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);

  orvgen::TearDown();  // not the test fixture's own TearDown
  EXPECT_EQ(frmOrvantaPassGenMain, nullptr);
  EXPECT_EQ(frmPassGenSettings, nullptr);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(IsWindow(tray));
  // The hot keys are released while the main window still exists, then the icon goes.
  ASSERT_EQ(recorder.hotKeys.size(), 2u);
  EXPECT_FALSE(recorder.hotKeys[0].registering);
  EXPECT_EQ(recorder.hotKeys[0].window, main);
  EXPECT_EQ(recorder.hotKeys[0].id, 1);
  EXPECT_EQ(recorder.hotKeys[1].id, 2);
  ASSERT_EQ(recorder.notifications.size(), 1u);
  EXPECT_EQ(recorder.notifications[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(recorder.notifications[0].record.hWnd, tray);
  SetPlatform(nullptr);
}

}  // namespace
}  // namespace orvgen
