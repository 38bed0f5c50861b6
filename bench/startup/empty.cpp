// The smallest Win32 program that starts like orvgen.exe: one hidden window and a
// message loop. Its start-up time is the floor that orvgen.exe's is measured against.
#include <windows.h>

namespace {

LRESULT CALLBACK EmptyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = EmptyWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"OrvgenStartupEmpty";
  if (RegisterClassW(&windowClass) == 0) return 1;
  // A tool window with no text, like the application window of orvgen.exe.
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, nullptr);
  if (hwnd == nullptr) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
