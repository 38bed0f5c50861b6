// The one window procedure of the toolkit's window classes. It binds the object passed as
// the creation parameter at WM_NCCREATE and hands every message to its OnMessage. An error
// thrown there goes to the application object and ends that message with result 0: no
// default processing follows it, so a close request whose handler failed never destroys
// the window. Such a window is owned by a BoundWindowHandle, which cuts it off from its
// object before destroying it.
#pragma once

#include <windows.h>

#include "application.h"

namespace orvgen {

template <typename T>
LRESULT CALLBACK BoundWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, BoundObjectSlot,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  T* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, BoundObjectSlot));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, BoundObjectSlot, 0);
  LRESULT result = 0;
  Guarded([&] { result = self->OnMessage(hwnd, message, wParam, lParam); });
  return result;
}

// Registers a plain window class whose windows go to T's OnMessage.
template <typename T>
void RegisterBoundClass(const wchar_t* className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = BoundWindowProc<T>;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
}

}  // namespace orvgen
