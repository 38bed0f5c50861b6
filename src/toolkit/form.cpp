#include "form.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "controls.h"
#include "text.h"
#include "window_proc.h"

namespace orvgen {
namespace {

// Posted to a form whose close action was caFree: the application frees it once the
// message that closed it has been handled.
constexpr UINT FormReleaseMessage = WM_APP + 0x100;

void RegisterFormClass(const wchar_t* className, bool showIcon, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, className, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  if (showIcon) {
    wc.hIcon = Application.Icon(GetSystemMetrics(SM_CXICON));
    wc.hIconSm = Application.Icon(GetSystemMetrics(SM_CXSMICON));
  }
  RegisterClassExW(&wc);
}

}  // namespace

FontHandle CreateTahoma8(bool bold, bool underline) {
  ScreenDc screen;
  const int height = -MulDiv(8, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
  return FontHandle(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

Form::Form(const FormDesign& design) : font_(CreateTahoma8()) {
  {
    ScreenDc screen;
    ScopedSelect select(screen.Get(), font_.Get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    textHeight_ = metrics.tmHeight;
  }
  RegisterFormClass(design.className, design.showIcon, BoundWindowProc<Form>);

  const bool isMain = Application.MainForm() == nullptr;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  if (design.sizeable) style |= WS_THICKFRAME;
  if (design.minimizeBox) style |= WS_MINIMIZEBOX;
  if (!design.showIcon) exStyle |= WS_EX_DLGMODALFRAME;
  // With the main form on the taskbar, the main form has a button of its own and every
  // later form is owned by it.
  HWND owner = nullptr;
  if (Application.MainFormOnTaskBar) {
    if (isMain) {
      exStyle |= WS_EX_APPWINDOW;
    } else {
      owner = Application.MainForm()->Handle();
    }
  } else {
    owner = Application.Handle();
  }

  RECT outer{0, 0, Scale(design.clientWidth), Scale(design.clientHeight)};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  // The window handle is taken at WM_NCCREATE, so the messages of creation find it.
  CreateWindowExW(exStyle, design.className, design.caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                  outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) throw std::runtime_error("Cannot create a window");
  Application.AddForm(*this);
  centerOnFirstShow_ = design.centerOnFirstShow;

  // The system menu offers only what the frame allows.
  HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
  DeleteMenu(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND);
  if (!design.sizeable) {
    DeleteMenu(systemMenu, SC_SIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_MINIMIZE, MF_BYCOMMAND);
    DeleteMenu(systemMenu, SC_RESTORE, MF_BYCOMMAND);
  }
}

Form::~Form() { Application.RemoveForm(*this); }

void Form::DestroyWindowFirst() {
  if (!window_) return;
  ShowWindow(Handle(), SW_HIDE);
  if (OnDestroy) Guarded([&] { OnDestroy(this); });
  window_.Reset();
}

HFONT Form::LinkFont() {
  if (!linkFont_) linkFont_ = CreateTahoma8(/*bold=*/true, /*underline=*/true);
  return linkFont_.Get();
}

void Form::SetCaption(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }
std::wstring Form::Caption() const { return WindowText(Handle()); }

void Form::CenterOnScreen() {
  RECT r{};
  GetWindowRect(Handle(), &r);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (!Visible()) {
    if (centerOnFirstShow_ && !shownBefore_) CenterOnScreen();
    shownBefore_ = true;
    const int command = state_ == WindowState::Minimized   ? SW_SHOWMINNOACTIVE
                        : state_ == WindowState::Maximized ? SW_SHOWMAXIMIZED
                                                           : SW_SHOWNORMAL;
    ShowWindow(Handle(), command);
  }
  BringToFront();
}

void Form::Hide() { ShowWindow(Handle(), SW_HIDE); }

void Form::BringToFront() { SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

void Form::Close() {
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  // Any close that goes ahead on the main form ends the application.
  if (Application.MainForm() == this) {
    PostQuitMessage(0);
    return;
  }
  switch (action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case caFree:
      PostMessageW(Handle(), FormReleaseMessage, 0, 0);
      break;
    case caNone:
      break;
  }
}

ScreenRect Form::Bounds() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return ScreenRect{r.left, r.top, r.right, r.bottom};
}

void Form::SetBounds(int left, int top) {
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::PreviewKeyUp(WORD key) {
  if (!KeyPreview || !OnKeyUp) return;
  TShiftState shift;
  shift.shift = GetKeyState(VK_SHIFT) < 0;
  shift.ctrl = GetKeyState(VK_CONTROL) < 0;
  shift.alt = GetKeyState(VK_MENU) < 0;
  OnKeyUp(this, key, shift);
}

void Form::SetToolTip(HWND control, const std::wstring& text) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());  // the tooltip keeps a copy
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  }
  TOOLINFOW existing = tool;
  existing.lpszText = nullptr;
  const bool known = SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing)) != 0;
  SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

Control* Form::FindControl(HWND hwnd) const {
  for (Control* control : controls_) {
    if (hwnd && control->Handle() == hwnd) return control;
  }
  return nullptr;
}

void Form::RestoreFocus() {
  HWND target = (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_))
                    ? lastFocus_
                    : GetNextDlgTabItem(Handle(), nullptr, FALSE);
  if (target) SetFocus(target);
}

// Enter clicks the push button that has the focus and nothing else: the form has no
// default button, so everywhere else (an edit field) Enter does nothing.
LRESULT Form::DefaultButtonId() const {
  HWND focus = GetFocus();
  if (focus && IsChild(Handle(), focus) &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
  }
  return 0;
}

LRESULT Form::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) window_ = BoundWindowHandle(hwnd);
  if (message == WM_NCDESTROY) {
    // Destroyed by someone else (an owner that went first): the handle must not be
    // destroyed again, or a reused one in its place.
    tooltip_ = nullptr;
    window_.Release();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (auto bound = messageHandlers_.find(message); bound != messageHandlers_.end()) {
    TMessage m{message, wParam, lParam, 0};
    bound->second(m);
    return m.Result;
  }
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        if (Control* control = FindControl(reinterpret_cast<HWND>(lParam))) control->Command(HIWORD(wParam));
      }
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (Control* control = FindControl(item->hwndItem)) control->DrawItem(*item);
      return TRUE;
    }
    case WM_SETCURSOR:
      if (Control* control = FindControl(reinterpret_cast<HWND>(wParam)); control && control->SetCursor()) {
        return TRUE;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SYSCOMMAND:
      // The user minimising the main form (box, taskbar button, system menu).
      if ((wParam & 0xFFF0) == SC_MINIMIZE && Application.MainForm() == this) Application.NoteMainFormMinimized();
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) state_ = WindowState::Minimized;
      if (wParam == SIZE_MAXIMIZED) state_ = WindowState::Maximized;
      if (wParam == SIZE_RESTORED && Visible()) state_ = WindowState::Normal;
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
        return 0;
      }
      if (HIWORD(wParam) == 0) RestoreFocus();  // not while minimised
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case DM_GETDEFID:
      return DefaultButtonId();
    case FormReleaseMessage:
      Application.FreeForm(*this);  // nothing of this form may be touched after it
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace orvgen
