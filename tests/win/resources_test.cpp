// The program must stay lean over a long run, and an error that escapes a handler must
// end in the error box rather than crossing the window procedure.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "application.h"
#include "pg_main.h"
#include "win_test_support.h"

namespace orvgen {
namespace {

TfrmOrvantaPassGenMain& Main() { return *frmOrvantaPassGenMain; }

// Committed private memory, summed over the address space. (The process counters'
// PrivateUsage would do on Windows, but Wine leaves it at 0.)
std::size_t CommittedPrivateBytes() {
  std::size_t total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
  }
  return total;
}

void Generations(int count) {
  for (int i = 0; i < count; ++i) {
    Main().btnGenerateClick(nullptr);
    if (i % 10 == 0) Main().btnMutationClick(nullptr);
    if (i % 100 == 0) PumpMessages();
  }
  PumpMessages();
}

TEST(Resources, TenThousandGenerationsLeakNoMemory) {
  Main().TrayIconClick(nullptr);
  Generations(500);  // warm caches and the heap
  const std::size_t before = CommittedPrivateBytes();
  Generations(10000);
  const std::size_t after = CommittedPrivateBytes();
  std::printf("committed private bytes %zu -> %zu\n", before, after);
  // A leak of the clipboard memory or the strings alone would be 10000 x 20+ bytes.
  EXPECT_LT(after, before + 128 * 1024) << "private memory grew from " << before << " to " << after;
  Main().Hide();
}

BOOL CALLBACK CountWindow(HWND, LPARAM n) {
  ++*reinterpret_cast<int*>(n);
  return TRUE;
}

BOOL CALLBACK CountWindowAndDescendants(HWND hwnd, LPARAM n) {
  ++*reinterpret_cast<int*>(n);
  EnumChildWindows(hwnd, CountWindow, n);
  return TRUE;
}

int CountThreadWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindowAndDescendants, reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(Resources, TenThousandGenerationsLeakNoWindowsOrGuiObjects) {
  Main().TrayIconClick(nullptr);
  Generations(500);
  const int windows = CountThreadWindows();
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  Generations(10000);
  EXPECT_EQ(CountThreadWindows(), windows);
  // Windows counts USER and GDI objects per process; Wine reports 0 for both.
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), user);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi);
  std::printf("windows %d, USER objects %lu, GDI objects %lu%s\n", windows, static_cast<unsigned long>(user),
              static_cast<unsigned long>(gdi), user == 0 && gdi == 0 ? " (not counted by this platform)" : "");
  Main().Hide();
}

// Reads the error box that the UI thread shows and closes it, from another thread.
class ErrorBoxReader {
 public:
  ErrorBoxReader()
      : thread_([this] {
          for (int i = 0; i < 500 && !stop_; ++i) {
            HWND box = FindWindowW(L"#32770", L"Orvanta Password Generator");
            if (box) {
              HWND text = FindWindowExW(box, nullptr, L"Static", nullptr);
              while (text && GetWindowTextLengthW(text) == 0) text = FindWindowExW(box, text, L"Static", nullptr);
              if (text) message_ = TextOf(text);
              PostMessageW(box, WM_COMMAND, IDOK, 0);
              return;
            }
            Sleep(20);
          }
        }) {}
  ~ErrorBoxReader() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::wstring Message() {
    thread_.join();
    return message_;
  }

 private:
  std::atomic<bool> stop_{false};
  std::wstring message_;
  std::thread thread_;
};

TEST(ErrorBox, AnErrorInAHandlerIsShownWithAFullStopAndTheLoopGoesOn) {
  ErrorBoxReader reader;
  auto previous = Main().btnSettings.OnClick;
  Main().btnSettings.OnClick = [](TObject*) { throw std::runtime_error("Something went wrong"); };
  SendMessageW(Main().btnSettings.Handle(), BM_CLICK, 0, 0);  // returns once the box is closed
  Main().btnSettings.OnClick = previous;
  EXPECT_EQ(reader.Message(), L"Something went wrong.");
  EXPECT_TRUE(IsWindow(Main().Handle()));
}

TEST(ErrorBox, TheQuietAbortShowsNothing) {
  Application.HandleException(std::make_exception_ptr(AbortError()));
  EXPECT_EQ(FindWindowW(L"#32770", L"Orvanta Password Generator"), nullptr);
}

}  // namespace
}  // namespace orvgen
