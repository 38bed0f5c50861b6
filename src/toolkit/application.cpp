#include "application.h"

#include <commctrl.h>
#include <objbase.h>

#include <stdexcept>

#include "form.h"
#include "popup_menu.h"
#include "text.h"
#include "ui_rules.h"
#include "window_proc.h"

namespace orvgen {

TApplication Application;

namespace {
constexpr wchar_t ApplicationWindowClass[] = L"OrvgenApplication";
}

void TApplication::Initialize() {
  if (window_) return;
  // Opening a web address may go through shell extensions that need COM on this thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // The hot-key field and the tooltips come from the common controls.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                      ICC_HOTKEY_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterBoundClass<TApplication>(ApplicationWindowClass);
  // A tool window with no text: never on the taskbar or in the task switcher.
  window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, ApplicationWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this));
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
  std::erase(hiddenByMinimize_, &form);
  if (mainForm_ == &form) mainForm_ = nullptr;
  for (const auto& forget : globals_) forget(&form);
}

WORD TApplication::LaunchShowCommand() {
  STARTUPINFOW info{};
  info.cb = sizeof info;
  GetStartupInfoW(&info);
  return (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : static_cast<WORD>(SW_SHOWDEFAULT);
}

void TApplication::ApplyLaunchShowCommand(WORD show) {
  if (!mainForm_) return;
  // Windows applies the launcher's show command to a process's first ShowWindow call in
  // place of what it asks for; spend that call on the already hidden window, so the
  // first showing from the tray uses the window state chosen here.
  ShowWindow(mainForm_->Handle(), SW_HIDE);
  if (show == SW_SHOWMAXIMIZED) mainForm_->SetState(WindowState::Maximized);
  if (show == SW_SHOWMINNOACTIVE) mainForm_->SetState(WindowState::Minimized);
}

void TApplication::NoteMainFormMinimized() {
  minimized_ = true;
  // The other forms are owned by the main form and go with it; the ones that were open
  // come back when the application is restored.
  hiddenByMinimize_.clear();
  for (Form* form : forms_) {
    if (form != mainForm_ && form->Visible()) {
      hiddenByMinimize_.push_back(form);
      form->Hide();
    }
  }
}

void TApplication::Restore() {
  if (!minimized_ || !mainForm_) return;
  minimized_ = false;
  ShowWindow(mainForm_->Handle(), SW_RESTORE);
  for (Form* form : hiddenByMinimize_) ShowWindow(form->Handle(), SW_SHOWNA);  // RemoveForm drops destroyed ones
  hiddenByMinimize_.clear();
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

void TApplication::Dispatch(MSG& msg) {
  if (PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int TApplication::Run() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  return static_cast<int>(msg.wParam);
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::DestroyForms() {
  ending_ = true;
  while (!forms_.empty()) FreeForm(*forms_.back());
}

void TApplication::FreeForm(Form& form) {
  // The form leaves the list first, so a message that arrives meanwhile (a log-off during
  // Exit) cannot free it a second time.
  std::erase(forms_, &form);
  form.DestroyWindowFirst();
  delete &form;
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
  try {
    std::rethrow_exception(error);
  } catch (const AbortError&) {
  } catch (const std::exception& e) {
    try {
      ShowErrorBox(WideFromUtf8(e.what()));
    } catch (...) {
    }
  } catch (...) {
    ShowErrorBox(L"Unknown error");
  }
}

void TApplication::ShowErrorBox(const std::wstring& message) noexcept {
  try {
    MessageBoxW(mainForm_ && mainForm_->Visible() ? mainForm_->Handle() : nullptr,
                ToWide(WithFullStop(ToU16(message))).c_str(), Title.c_str(), MB_ICONERROR | MB_OK);
  } catch (...) {
    // Out of memory for the text: nothing more can be shown.
  }
}

LRESULT TApplication::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATEAPP:
      // Becoming the active application again ends the minimised state, nothing more;
      // but not while the main form stays minimised. The tray menu takes the foreground
      // for the application window, and a tray click may activate the program before it
      // restores: either would otherwise end the state and leave the restore with
      // nothing to do.
      if (wParam && !(mainForm_ && IsIconic(mainForm_->Handle()))) minimized_ = false;
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
