#include "application.h"

#include <commctrl.h>

#include <stdexcept>

#include "form.h"
#include "popup_menu.h"
#include "text.h"
#include "ui_rules.h"

namespace orvgen {

TApplication Application;

namespace {
constexpr wchar_t ApplicationWindowClass[] = L"OrvgenApplication";
}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  if (window_) return;
  // The hot-key field and the tooltips come from the common controls.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_HOTKEY_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = ApplicationWindowClass;
  RegisterClassExW(&wc);
  // A tool window with no text: never on the taskbar or in the task switcher.
  window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, ApplicationWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, this));
  if (!window_) throw std::runtime_error("Cannot create the application window");
}

HICON TApplication::Icon(int size) const {
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR | LR_SHARED));
}

void TApplication::AddForm(Form& form) {
  if (!mainForm_) mainForm_ = &form;
  forms_.push_back(&form);
}

void TApplication::RemoveForm(Form& form) {
  std::erase(forms_, &form);
  if (mainForm_ == &form) mainForm_ = nullptr;
  for (void** global : globals_) {
    if (*global == static_cast<void*>(&form)) *global = nullptr;
  }
}

void TApplication::ApplyLaunchShowCommand() {
  if (!mainForm_) return;
  STARTUPINFOW info{};
  info.cb = sizeof info;
  GetStartupInfoW(&info);
  const WORD show = (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWDEFAULT;
  if (show == SW_SHOWMAXIMIZED) mainForm_->SetState(WindowState::Maximized);
  if (show == SW_SHOWMINNOACTIVE) mainForm_->SetState(WindowState::Minimized);
}

void TApplication::NoteMainFormMinimized() { minimized_ = true; }

void TApplication::Restore() {
  if (!minimized_ || !mainForm_) return;
  minimized_ = false;
  // Restoring the owner brings back the owned windows that minimising hid.
  ShowWindow(mainForm_->Handle(), SW_RESTORE);
  mainForm_->RestoreFocus();
}

bool TApplication::PreTranslate(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  Form* form = nullptr;
  for (Form* f : forms_) {
    if (f->Handle() == root) form = f;
  }
  if (!form) return false;
  if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
    Guarded([&] { form->PreviewKeyUp(static_cast<WORD>(msg.wParam)); });
  }
  // Tab between controls, Enter and Space on the focused button.
  return IsDialogMessageW(root, &msg) != FALSE;
}

int TApplication::Run() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void TApplication::DestroyForms() {
  // Last created first; each form's destructor hides it and runs its destroy handler.
  while (!forms_.empty()) delete forms_.back();
}

void TApplication::HandleException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const AbortError&) {
  } catch (const std::exception& e) {
    ShowErrorBox(WideFromUtf8(e.what()));
  } catch (...) {
    ShowErrorBox(L"Unknown error");
  }
}

void TApplication::ShowErrorBox(const std::wstring& message) {
  MessageBoxW(mainForm_ && mainForm_->Visible() ? mainForm_->Handle() : nullptr,
              ToWide(WithFullStop(ToU16(message))).c_str(), Title.c_str(), MB_ICONERROR | MB_OK);
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  bool handled = false;
  Guarded([&] {
    result = self->OnMessage(hwnd, message, wParam, lParam);
    handled = true;
  });
  return handled ? result : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT TApplication::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATEAPP:
      // Becoming the active application again ends the minimised state, nothing more.
      if (wParam) minimized_ = false;
      return 0;
    case WM_QUERYENDSESSION:
      return 1;
    case WM_ENDSESSION:
      if (wParam && !ending_) {
        // Log-off or shut-down: end now, without going back to the loop.
        ending_ = true;
        PostQuitMessage(0);
        DestroyForms();
        ExitProcess(0);
      }
      return 0;
    case WM_COMMAND:
      // Popup menus post their choice here, the window they were tracked for.
      if (HIWORD(wParam) == 0 && lParam == 0) DispatchMenuCommand(LOWORD(wParam));
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace orvgen
