#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "pg_main.h"
#include "pg_set.h"
#include "win_test_support.h"

namespace orvgen {
namespace {

TfrmOrvantaPassGenMain& Main() { return *frmOrvantaPassGenMain; }
TfrmPassGenSettings& Settings() { return *frmPassGenSettings; }

class SettingsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(frmPassGenSettings, nullptr);
    Settings().Hide();
    Recorder().Clear();
  }
  void TearDown() override {
    Settings().Hide();
    Main().Hide();
  }
};

TEST_F(SettingsWindow, IsAFixedDialogOwnedByTheMainWindow) {
  HWND hwnd = Settings().Handle();
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), Main().Handle());
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME) << "no icon in the caption";
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
  HMENU system = GetSystemMenu(hwnd, FALSE);
  EXPECT_NE(GetMenuState(system, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
  for (UINT gone : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
    EXPECT_EQ(GetMenuState(system, gone, MF_BYCOMMAND), static_cast<UINT>(-1)) << gone;
  }
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 291);
  EXPECT_EQ(client.bottom, 186);
  EXPECT_EQ(TextOf(hwnd), L"Settings");
  EXPECT_STREQ(FontOf(Settings().btnClose.Handle()).lfFaceName, L"Tahoma");
  EXPECT_EQ(FontOf(Settings().labTitle.Handle()).lfHeight, -11);
}

TEST_F(SettingsWindow, ControlsTextsAndLockedHotKeys) {
  ExpectPlaces({
      {"hkCreateNewPasswordMain", Settings().hkCreateNewPasswordMain.Handle(), {8, 72, 283, 91}},
      {"hkCreateNewPasswordBackup", Settings().hkCreateNewPasswordBackup.Handle(), {8, 120, 283, 139}},
      {"btnClose", Settings().btnClose.Handle(), {223, 153, 283, 178}},
  });
  EXPECT_EQ(ClientRectIn(Settings().labTitle.Handle()).top, 16);
  EXPECT_EQ(ClientRectIn(Settings().labTitle.Handle()).bottom - 16, 26) << "two lines";
  EXPECT_EQ(ClientRectIn(Settings().labMainHotkey.Handle()).top, 53);
  EXPECT_EQ(ClientRectIn(Settings().labBackupHotkey.Handle()).top, 101);

  EXPECT_EQ(TextOf(Settings().labTitle.Handle()),
            L"This version is portable (stand-alone),\rso settings could not be changed.");
  EXPECT_EQ(TextOf(Settings().labMainHotkey.Handle()), L"\"Create new password\" main hotkey");
  EXPECT_EQ(TextOf(Settings().labBackupHotkey.Handle()), L"\"Create new password\" backup hotkey");
  EXPECT_EQ(TextOf(Settings().btnClose.Handle()), L"Close");

  EXPECT_EQ(Settings().hkCreateNewPasswordMain.HotKey(), 0xC050);
  EXPECT_EQ(Settings().hkCreateNewPasswordBackup.HotKey(), 0xC04E);
  EXPECT_EQ(SendMessageW(Settings().hkCreateNewPasswordMain.Handle(), HKM_GETHOTKEY, 0, 0),
            MAKEWORD('P', HOTKEYF_CONTROL | HOTKEYF_ALT));
  EXPECT_FALSE(IsWindowEnabled(Settings().hkCreateNewPasswordMain.Handle()));
  EXPECT_FALSE(IsWindowEnabled(Settings().hkCreateNewPasswordBackup.Handle()));
  // Close is the only control the keyboard reaches.
  EXPECT_EQ(GetNextDlgTabItem(Settings().Handle(), nullptr, FALSE), Settings().btnClose.Handle());
  EXPECT_EQ(GetNextDlgTabItem(Settings().Handle(), Settings().btnClose.Handle(), FALSE), Settings().btnClose.Handle());
}

TEST_F(SettingsWindow, SettingsButtonPlacesBesideThenToggles) {
  Main().TrayIconClick(nullptr);
  SetWindowPos(Main().Handle(), nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT main{};
  GetWindowRect(Main().Handle(), &main);

  SendMessageW(Main().btnSettings.Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(Settings().Visible());
  RECT r{};
  GetWindowRect(Settings().Handle(), &r);
  EXPECT_EQ(r.left, main.right + 8);
  EXPECT_EQ(r.top, main.top);

  // Moved while shown: the next click puts it beside again and hides it.
  SetWindowPos(Main().Handle(), nullptr, 20, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(Main().Handle(), &main);
  SendMessageW(Main().btnSettings.Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(Settings().Visible());
  GetWindowRect(Settings().Handle(), &r);
  EXPECT_EQ(r.left, main.right + 8);
  EXPECT_EQ(r.top, main.top);
}

TEST_F(SettingsWindow, CloseButtonAndCloseBoxHide) {
  Main().TrayIconClick(nullptr);
  Main().btnSettingsClick(nullptr);
  ASSERT_TRUE(Settings().Visible());
  SendMessageW(Settings().btnClose.Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(Settings().Visible());
  EXPECT_TRUE(IsWindow(Settings().Handle())) << "closing hides, never destroys";

  Main().btnSettingsClick(nullptr);
  SendMessageW(Settings().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Settings().Visible());
}

TEST_F(SettingsWindow, EnterAndSpaceClickCloseEscDoesNothing) {
  Main().TrayIconClick(nullptr);
  const struct {
    WPARAM key;
    bool hides;
  } cases[] = {{VK_RETURN, true}, {VK_SPACE, true}, {VK_ESCAPE, false}};
  for (const auto& c : cases) {
    Main().btnSettingsClick(nullptr);
    ASSERT_TRUE(Settings().Visible());
    SetFocus(Settings().btnClose.Handle());
    PostMessageW(Settings().btnClose.Handle(), WM_KEYDOWN, c.key, 1);
    PostMessageW(Settings().btnClose.Handle(), WM_KEYUP, c.key, 0xC0000001);
    PumpMessages();
    EXPECT_EQ(Settings().Visible(), !c.hides) << c.key;
    Settings().Hide();
  }
}

TEST_F(SettingsWindow, ClosingTheMainWindowLeavesItOpen) {
  Main().TrayIconClick(nullptr);
  Main().btnSettingsClick(nullptr);
  ASSERT_TRUE(Settings().Visible());
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Main().Visible());
  EXPECT_TRUE(Settings().Visible());
  // Shown again, the main window finds it open: the next click hides it.
  Main().TrayIconClick(nullptr);
  Main().btnSettingsClick(nullptr);
  EXPECT_FALSE(Settings().Visible());
}

TEST_F(SettingsWindow, HotKeysComeFromItsFieldsAtRegistration) {
  Main().RegHotKeys();
  ASSERT_EQ(Recorder().hotKeys.size(), 2u);
  const HotKeyCall& first = Recorder().hotKeys[0];
  const HotKeyCall& second = Recorder().hotKeys[1];
  EXPECT_TRUE(first.registering);
  EXPECT_EQ(first.window, Main().Handle());
  EXPECT_EQ(first.id, 1);
  EXPECT_EQ(first.modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
  EXPECT_EQ(first.key, 0x50u);
  EXPECT_EQ(second.id, 2);
  EXPECT_EQ(second.modifiers, static_cast<UINT>(MOD_CONTROL | MOD_ALT));
  EXPECT_EQ(second.key, 0x4Eu);

  // A changed field reaches the next registration; 0 skips its identifier; Alt alone does not.
  Recorder().Clear();
  Settings().hkCreateNewPasswordMain.SetHotKey(0);
  Settings().hkCreateNewPasswordBackup.SetHotKey(0x8000);
  Main().RegHotKeys();
  ASSERT_EQ(Recorder().hotKeys.size(), 1u);
  EXPECT_EQ(Recorder().hotKeys[0].id, 2);
  EXPECT_EQ(Recorder().hotKeys[0].modifiers, static_cast<UINT>(MOD_ALT));
  EXPECT_EQ(Recorder().hotKeys[0].key, 0u);
  Settings().hkCreateNewPasswordMain.SetHotKey(0xC050);
  Settings().hkCreateNewPasswordBackup.SetHotKey(0xC04E);

  Recorder().Clear();
  Main().UnRegHotKeys();
  ASSERT_EQ(Recorder().hotKeys.size(), 2u);
  EXPECT_FALSE(Recorder().hotKeys[0].registering);
  EXPECT_EQ(Recorder().hotKeys[0].id, 1);
  EXPECT_EQ(Recorder().hotKeys[1].id, 2);
  EXPECT_EQ(Recorder().hotKeys[1].window, Main().Handle());
}

TEST_F(SettingsWindow, OnlyHotKeyIdentifiersOneAndTwoGenerate) {
  for (WPARAM id : {0u, 3u, 1u, 2u}) {
    Main().Hide();
    ScopedCountingCounters counters(0);
    SendMessageW(Main().Handle(), WM_HOTKEY, id, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'P'));
    const bool ours = id == 1 || id == 2;
    EXPECT_EQ(counters.Generations(), ours ? 1 : 0) << id;
    EXPECT_EQ(Main().Visible(), ours) << id;
  }
}

}  // namespace
}  // namespace orvgen
