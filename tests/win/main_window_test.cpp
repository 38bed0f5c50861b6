#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cwctype>
#include <string>
#include <thread>

#include "application.h"
#include "pg_main.h"
#include "pg_set.h"
#include "win_test_support.h"

namespace orvgen {
namespace {

TfrmOrvantaPassGenMain& Main() { return *frmOrvantaPassGenMain; }

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(frmOrvantaPassGenMain, nullptr);
    ScreenDcCheck();
    Recorder().Clear();
  }
  static void ScreenDcCheck() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    ASSERT_EQ(dpi, 96) << "the design rectangles below are the 96 dpi ones";
  }
};

TEST_F(MainWindow, IsAnOwnerlessAppWindowWithoutMaximise) {
  HWND hwnd = Main().Handle();
  EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  const LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_EQ(GetMenuState(GetSystemMenu(hwnd, FALSE), SC_MAXIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1))
      << "the system menu offers no Maximize";
  EXPECT_EQ(TextOf(hwnd), L"Orvanta Password Generator");
  wchar_t className[64]{};
  GetClassNameW(hwnd, className, 64);
  EXPECT_STREQ(className, L"TfrmOrvantaPassGenMain");
  EXPECT_NE(GetClassLongPtrW(hwnd, GCLP_HICON), 0) << "the caption shows the application's icon";

  HWND app = Application.Handle();
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_TRUE(GetWindowLongPtrW(app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(TextOf(app), L"");
  EXPECT_EQ(GetWindow(frmPassGenSettings->Handle(), GW_OWNER), hwnd);

  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 312);
  EXPECT_EQ(client.bottom, 256);
}

TEST_F(MainWindow, ControlsStandAtTheirDesignPlaces) {
  ExpectPlaces({
      {"imgLogo", Main().imgLogo.Handle(), {8, 8, 302, 48}},
      {"btnGenerate", Main().btnGenerate.Handle(), {8, 90, 148, 130}},
      {"btnMutation", Main().btnMutation.Handle(), {152, 90, 226, 130}},
      {"btnSettings", Main().btnSettings.Handle(), {230, 90, 302, 130}},
      {"edPassword", Main().edPassword.Handle(), {8, 157, 302, 178}},
      {"edHint", Main().edHint.Handle(), {8, 201, 302, 222}},
  });
  // Labels size themselves to their text: their corner is fixed, one line is 13 high.
  const struct {
    const char* name;
    HWND hwnd;
    int left, top;
  } labels[] = {
      {"labVersion", Main().labVersion.Handle(), 10, 50},
      {"labCopyright", Main().labCopyright.Handle(), 10, 66},
      {"labPassword", Main().labPassword.Handle(), 10, 140},
      {"labPasswordHint", Main().labPasswordHint.Handle(), 10, 184},
      {"labGetAnotherLang", Main().labGetAnotherLang.Handle(), 10, 232},
  };
  for (const auto& l : labels) {
    const RECT r = ClientRectIn(l.hwnd);
    EXPECT_EQ(r.left, l.left) << l.name;
    EXPECT_EQ(r.top, l.top) << l.name;
    EXPECT_EQ(r.bottom - r.top, 13) << l.name;
    EXPECT_GT(r.right - r.left, 60) << l.name;
  }
}

TEST_F(MainWindow, FontsAreTahomaEightWithBoldUnderlinedLinks) {
  for (HWND hwnd :
       {Main().btnGenerate.Handle(), Main().edPassword.Handle(), Main().labPassword.Handle(), Main().edHint.Handle()}) {
    const LOGFONTW f = FontOf(hwnd);
    EXPECT_STREQ(f.lfFaceName, L"Tahoma");
    EXPECT_EQ(f.lfHeight, -11);
    EXPECT_EQ(f.lfWeight, FW_NORMAL);
    EXPECT_FALSE(f.lfUnderline);
  }
  for (HWND hwnd : {Main().labVersion.Handle(), Main().labCopyright.Handle(), Main().labGetAnotherLang.Handle()}) {
    const LOGFONTW f = FontOf(hwnd);
    EXPECT_STREQ(f.lfFaceName, L"Tahoma");
    EXPECT_EQ(f.lfHeight, -11);
    EXPECT_EQ(f.lfWeight, FW_BOLD);
    EXPECT_TRUE(f.lfUnderline);
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & SS_NOTIFY) << "a link label reacts to clicks";
  }
}

TEST_F(MainWindow, TextsAfterStartUp) {
  EXPECT_EQ(TextOf(Main().btnGenerate.Handle()), L"Generate new password\r(Ctrl + N)");
  EXPECT_EQ(TextOf(Main().btnMutation.Handle()), L"Add\rmutation");
  EXPECT_EQ(TextOf(Main().btnSettings.Handle()), L"Settings");
  EXPECT_EQ(TextOf(Main().labPassword.Handle()), L"Your new password");
  EXPECT_EQ(TextOf(Main().labPasswordHint.Handle()), L"Remember this password hint");
  EXPECT_EQ(TextOf(Main().labGetAnotherLang.Handle()), L"Do you need another language?");
  EXPECT_EQ(TextOf(Main().labVersion.Handle()), L"Version 1.0 (Build 1.0.1.31)");
  EXPECT_EQ(Main().labVersion.Hint(), L"Click to check for updates");
  EXPECT_EQ(Main().labCopyright.Hint(), L"Click to visit http://orvanta.example");
  EXPECT_EQ(Main().labGetAnotherLang.Hint(), L"Download localized version of Orvanta Password Generator");
  EXPECT_EQ(Main().pmitCreateNewPassword.Caption(), L"Create new password...");
  EXPECT_EQ(Main().pmitExit.Caption(), L"Exit");
  EXPECT_EQ(GetMenuDefaultItem(Main().pmTray.Handle(), FALSE, 0), Main().pmitCreateNewPassword.Id());
  EXPECT_EQ(GetMenuState(Main().pmTray.Handle(), Main().pmitDivider.Id(), MF_BYCOMMAND) & MF_SEPARATOR,
            static_cast<UINT>(MF_SEPARATOR));
}

TEST_F(MainWindow, TabOrderPutsTheMutationButtonLast) {
  HWND hwnd = Main().Handle();
  const HWND expected[] = {Main().edPassword.Handle(), Main().edHint.Handle(), Main().btnSettings.Handle(),
                           Main().btnMutation.Handle(), Main().btnGenerate.Handle()};
  EXPECT_EQ(GetNextDlgTabItem(hwnd, nullptr, FALSE), Main().btnGenerate.Handle());
  HWND at = Main().btnGenerate.Handle();
  for (HWND next : expected) {
    at = GetNextDlgTabItem(hwnd, at, FALSE);
    EXPECT_EQ(at, next);
  }
}

TEST_F(MainWindow, GenerateFillsBothFieldsAndCopiesThePassword) {
  ScopedCountingCounters counters(0);
  Main().edPassword.SetText(L"typed by the user");
  SendMessageW(Main().btnGenerate.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(counters.Generations(), 1);
  EXPECT_EQ(Main().edPassword.Text(), L"accASSthu");
  EXPECT_EQ(Main().edHint.Text(), L"account assemble thumb");
  EXPECT_EQ(ClipboardText(), L"accASSthu");
  DWORD start = 99, end = 0;
  SendMessageW(Main().edPassword.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 9u);

  // Marks that keep the password out of clipboard history and managers.
  ClipboardSession clipboard(nullptr);
  ASSERT_TRUE(clipboard.Opened());
  for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory",
                              L"CanUploadToCloudClipboard", L"Clipboard Viewer Ignore"}) {
    const UINT format = RegisterClipboardFormatW(name);
    EXPECT_TRUE(IsClipboardFormatAvailable(format)) << name;
  }
  for (const wchar_t* name : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
    HANDLE data = GetClipboardData(RegisterClipboardFormatW(name));
    ASSERT_NE(data, nullptr) << name;
    ASSERT_GE(GlobalSize(data), sizeof(DWORD));
    EXPECT_EQ(*static_cast<const DWORD*>(GlobalLock(data)), 0u) << name;
    GlobalUnlock(data);
  }
}

TEST_F(MainWindow, MutationRewritesTheFieldAndCopiesIt) {
  Main().edHint.SetText(L"untouched");
  const struct {
    std::wstring in, out;
  } cases[] = {{L"Hello World", L"He110 W0r1d"}, {L"accASSthu", L"@cc@$$thu"}, {L"@cc@$$thu", L"@cc@$$thu"}};
  for (const auto& c : cases) {
    SetClipboardText(L"before");
    Main().edPassword.SetText(c.in);
    SendMessageW(Main().btnMutation.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Main().edPassword.Text(), c.out);
    EXPECT_EQ(ClipboardText(), c.out);
  }
  EXPECT_EQ(Main().edHint.Text(), L"untouched");

  // An empty field copies nothing: the clipboard keeps what it held.
  SetClipboardText(L"kept");
  Main().edPassword.SetText(L"");
  SendMessageW(Main().btnMutation.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Main().edPassword.Text(), L"");
  EXPECT_EQ(ClipboardText(), L"kept");
}

// Another thread holds the clipboard open for a while, as a clipboard manager does right
// after every change.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(DWORD milliseconds)
      : opened_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, milliseconds] {
      OpenClipboard(nullptr);
      SetEvent(opened_);
      WaitForSingleObject(release_, milliseconds);
      CloseClipboard();
    });
    WaitForSingleObject(opened_, 10000);
  }
  ~ClipboardHolder() {
    SetEvent(release_);
    thread_.join();
    CloseHandle(opened_);
    CloseHandle(release_);
  }

 private:
  HANDLE opened_;
  HANDLE release_;
  std::thread thread_;
};

TEST_F(MainWindow, AClipboardHeldForAMomentIsWaitedForBrieflyAndNeverLonger) {
  const struct {
    DWORD heldMs;
    bool copied;
  } cases[] = {{20, true}, {2000, false}};
  for (const auto& c : cases) {
    SetClipboardText(L"held");
    ScopedCountingCounters counters(1);
    ULONGLONG tookMs = 0;
    {
      ClipboardHolder holder(c.heldMs);
      const ULONGLONG start = GetTickCount64();
      Main().btnGenerateClick(nullptr);
      tookMs = GetTickCount64() - start;
      EXPECT_EQ(Main().edPassword.Text(), L"attSUPdau") << c.heldMs;
      EXPECT_EQ(Main().edHint.Text(), L"attraction supervise daughter") << c.heldMs;
    }
    EXPECT_LT(tookMs, 100u) << "the window must not hang on a held clipboard";
    EXPECT_EQ(ClipboardText(), c.copied ? L"attSUPdau" : L"held") << c.heldMs;
  }
  EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr) << "no error box";
}

TEST_F(MainWindow, CtrlNOnTheReleaseOfNInEitherField) {
  BYTE keys[256]{};
  ASSERT_TRUE(GetKeyboardState(keys));
  const struct {
    HWND target;
    bool ctrl, shift, alt;
    bool generates;
  } cases[] = {
      {Main().edPassword.Handle(), true, false, false, true}, {Main().edHint.Handle(), true, false, false, true},
      {Main().btnSettings.Handle(), true, true, false, true},  // Ctrl+Shift+N
      {Main().edHint.Handle(), true, false, true, true},       // Ctrl+Alt+N
      {Main().edHint.Handle(), false, false, false, false},    // N alone
      {Main().edHint.Handle(), false, true, false, false},     // Shift+N
      {Main().edHint.Handle(), false, false, true, false},     // Alt+N
  };
  for (const auto& c : cases) {
    ScopedCountingCounters counters(0);
    BYTE state[256];
    std::copy(std::begin(keys), std::end(keys), state);
    state[VK_CONTROL] = c.ctrl ? 0x80 : 0;
    state[VK_SHIFT] = c.shift ? 0x80 : 0;
    state[VK_MENU] = c.alt ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageW(c.target, c.alt ? WM_SYSKEYUP : WM_KEYUP, 'N', 0xC0000001);
    PumpMessages();
    EXPECT_EQ(counters.Generations(), c.generates ? 1 : 0) << c.ctrl << c.shift << c.alt;
    // The press of N generates nothing, only its release.
    PostMessageW(c.target, WM_KEYDOWN, 'N', 1);
    PumpMessages();
    EXPECT_EQ(counters.Generations(), c.generates ? 1 : 0);
  }
  SetKeyboardState(keys);
}

TEST_F(MainWindow, LinksOpenTheMakersPages) {
  const struct {
    HWND label;
    const wchar_t* address;
  } links[] = {
      {Main().labVersion.Handle(), L"http://orvanta.example/password-generator-application/downloads.html"},
      {Main().labCopyright.Handle(), L"http://orvanta.example/"},
      {Main().labGetAnotherLang.Handle(), L"http://orvanta.example/password-generator-application/downloads.html"},
  };
  for (const auto& l : links) {
    Recorder().Clear();
    SendMessageW(Main().Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(l.label), STN_CLICKED),
                 reinterpret_cast<LPARAM>(l.label));
    ASSERT_EQ(Recorder().shellExecutes.size(), 1u);
    const ShellExecuteCall& call = Recorder().shellExecutes[0];
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.file, l.address);
    EXPECT_FALSE(call.parametersIsNull);
    EXPECT_FALSE(call.directoryIsNull);
    EXPECT_EQ(call.parameters, L"");
    EXPECT_EQ(call.directory, L"");
    EXPECT_EQ(call.show, SW_SHOW);
  }
}

TEST_F(MainWindow, CloseHidesAndTheNextShowingKeepsThePlace) {
  Main().TrayIconClick(nullptr);
  ASSERT_TRUE(Main().Visible());
  SetWindowPos(Main().Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Main().Visible());
  EXPECT_TRUE(IsWindow(Main().Handle()));
  MSG quit{};
  EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "closing must not end the program";

  Main().TrayIconClick(nullptr);
  EXPECT_TRUE(Main().Visible());
  RECT r{};
  GetWindowRect(Main().Handle(), &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace orvgen

namespace orvgen {
namespace {

// Presses a key at the focused control the way the message loop delivers it.
void PressKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  PumpMessages();
}

TEST_F(MainWindow, EnterClicksOnlyAFocusedButtonAndEscDoesNothing) {
  Main().TrayIconClick(nullptr);
  const struct {
    const char* what;
    HWND focus;
    WPARAM key;
    int generations;
  } cases[] = {
      {"Enter on the generate button", Main().btnGenerate.Handle(), VK_RETURN, 1},
      {"Space on the generate button", Main().btnGenerate.Handle(), VK_SPACE, 1},
      {"Enter in the password field", Main().edPassword.Handle(), VK_RETURN, 0},
      {"Enter in the hint field", Main().edHint.Handle(), VK_RETURN, 0},
      {"Esc on the generate button", Main().btnGenerate.Handle(), VK_ESCAPE, 0},
      {"Esc in the password field", Main().edPassword.Handle(), VK_ESCAPE, 0},
  };
  for (const auto& c : cases) {
    SetFocus(c.focus);
    ScopedCountingCounters counters(0);
    PressKey(c.focus, c.key);
    EXPECT_EQ(counters.Generations(), c.generations) << c.what;
    EXPECT_TRUE(Main().Visible()) << c.what;
  }
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
}

TEST_F(MainWindow, AFailingCloseHandlerLeavesTheWindowAlive) {
  Main().TrayIconClick(nullptr);
  auto previous = Main().OnClose;
  Main().OnClose = [](TObject*, TCloseAction&) { throw AbortError(); };
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  Main().OnClose = previous;
  EXPECT_TRUE(IsWindow(Main().Handle()));
  EXPECT_TRUE(IsWindow(Main().edPassword.Handle()));
  EXPECT_TRUE(Main().Visible());
  SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(Main().Visible());
}

struct ToolTipSearch {
  HWND owner, found;
};

BOOL CALLBACK FindToolTip(HWND hwnd, LPARAM p) {
  auto* s = reinterpret_cast<ToolTipSearch*>(p);
  wchar_t name[64]{};
  GetClassNameW(hwnd, name, 64);
  if (GetWindow(hwnd, GW_OWNER) == s->owner && std::wstring(name) == TOOLTIPS_CLASSW) s->found = hwnd;
  return s->found == nullptr;
}

HWND ToolTipOf(HWND owner) {
  ToolTipSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(MainWindow, LinkLabelsCarryTheirTooltips) {
  HWND tooltip = ToolTipOf(Main().Handle());
  ASSERT_NE(tooltip, nullptr);
  EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 3) << "only the link labels have tooltips";
  const struct {
    HWND label;
    const wchar_t* text;
  } tips[] = {
      {Main().labVersion.Handle(), L"Click to check for updates"},
      {Main().labCopyright.Handle(), L"Click to visit http://orvanta.example"},
      {Main().labGetAnotherLang.Handle(), L"Download localized version of Orvanta Password Generator"},
  };
  for (const auto& t : tips) {
    wchar_t text[128]{};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Main().Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(t.label);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, t.text);
  }
}

TEST_F(MainWindow, LinkLabelsShowTheHandCursor) {
  for (HWND label : {Main().labVersion.Handle(), Main().labCopyright.Handle(), Main().labGetAnotherLang.Handle()}) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageW(Main().Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  }
  // A plain label keeps the arrow.
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(Main().Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Main().labPassword.Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(MainWindow, LaunchShowCommandSetsTheStateOfTheFirstShowing) {
  const struct {
    WORD show;
    bool maximized, minimized;
  } cases[] = {
      {SW_SHOWMAXIMIZED, true, false}, {SW_SHOWMINNOACTIVE, false, true}, {SW_SHOWDEFAULT, false, false},
      {SW_SHOWNORMAL, false, false},   {SW_SHOWMINIMIZED, false, false},  {SW_HIDE, false, false},
  };
  for (const auto& c : cases) {
    Main().SetState(WindowState::Normal);
    Application.ApplyLaunchShowCommand(c.show);
    EXPECT_FALSE(Main().Visible()) << "nothing is shown by the launch command itself";
    ScopedCountingCounters counters(0);
    Main().TrayIconClick(nullptr);
    EXPECT_TRUE(Main().Visible()) << c.show;
    EXPECT_EQ(IsZoomed(Main().Handle()) != FALSE, c.maximized) << c.show;
    EXPECT_EQ(IsIconic(Main().Handle()) != FALSE, c.minimized) << c.show;
    EXPECT_EQ(counters.Generations(), 1) << "a password on the clipboard all the same";
    EXPECT_FALSE(Application.IsMinimized()) << "showing minimised is not the user minimising";
    Main().Hide();
    ShowWindow(Main().Handle(), SW_RESTORE);
    Main().Hide();
  }
  Main().SetState(WindowState::Normal);
}

TEST_F(MainWindow, MinimisingHidesTheSettingsWindowAndATrayClickRestoresBoth) {
  // Activation that leaves the main window minimised (the tray menu taking the foreground,
  // a tray click activating the program first) must not end the minimised state, or the
  // restore that follows finds nothing to do.
  const struct {
    const char* what;
    bool activatedFirst;
  } cases[] = {{"click", false}, {"click after an activation", true}};
  for (const auto& c : cases) {
    Main().TrayIconClick(nullptr);
    if (!frmPassGenSettings->Visible()) Main().btnSettingsClick(nullptr);
    ASSERT_TRUE(frmPassGenSettings->Visible());
    SendMessageW(Main().Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Application.IsMinimized()) << c.what;
    EXPECT_TRUE(IsIconic(Main().Handle())) << c.what;
    EXPECT_FALSE(frmPassGenSettings->Visible()) << "owned windows hide with their minimised owner";
    if (c.activatedFirst) {
      SendMessageW(Application.Handle(), WM_ACTIVATEAPP, TRUE, 0);
      EXPECT_TRUE(Application.IsMinimized()) << c.what;
    }

    ScopedCountingCounters counters(0);
    Main().TrayIconClick(nullptr);
    EXPECT_FALSE(Application.IsMinimized()) << c.what;
    EXPECT_FALSE(IsIconic(Main().Handle())) << c.what;
    EXPECT_TRUE(frmPassGenSettings->Visible()) << c.what;
    EXPECT_EQ(counters.Generations(), 1) << c.what;
  }

  // Becoming active with the window no longer minimised (restored by the user) ends it.
  SendMessageW(Main().Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ShowWindow(Main().Handle(), SW_RESTORE);
  SendMessageW(Application.Handle(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(Application.IsMinimized());
  frmPassGenSettings->Hide();
  Main().Hide();
}

}  // namespace
}  // namespace orvgen

namespace orvgen {
namespace {

TEST(RealPlatform, ShellExecuteReachesTheShell) {
  // The real seam must call the shell, not itself: a missing file comes back as an error.
  Platform* recorder = SetPlatform(nullptr);
  const HINSTANCE result =
      CurrentPlatform().ShellExecuteW(nullptr, L"open", L"Z:\\no\\such\\file-4711.orvgen", L"", L"", SW_SHOW);
  SetPlatform(recorder);
  EXPECT_LE(reinterpret_cast<INT_PTR>(result), 32);
}

}  // namespace
}  // namespace orvgen
