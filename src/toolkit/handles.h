// Owning wrappers for the Win32 handles the toolkit creates. Each one is move-only and
// frees its handle exactly once, on every path out of the scope that owns it.
#pragma once

#include <windows.h>

#include <utility>

namespace orvgen {

template <typename Handle, auto Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(Handle h = nullptr) {
    if (handle_) Free(handle_);
    handle_ = h;
  }
  Handle Release() { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

// The window slot that holds the object a window's messages go to (window_proc.h).
inline constexpr int BoundObjectSlot = GWLP_USERDATA;

// A window whose messages go to an object is cut off from it before it is destroyed: the
// messages of its destruction then go to the default procedure and never reach an object
// that is itself being torn down, whatever order its members go in.
inline void FreeBoundWindow(HWND h) {
  SetWindowLongPtrW(h, BoundObjectSlot, 0);
  DestroyWindow(h);
}
inline void FreeGdiObject(HGDIOBJ h) { DeleteObject(h); }
inline void FreeMenu(HMENU h) { DestroyMenu(h); }
inline void FreeDc(HDC h) { DeleteDC(h); }
inline void FreeGlobal(HGLOBAL h) { GlobalFree(h); }

using BoundWindowHandle = UniqueHandle<HWND, FreeBoundWindow>;
using FontHandle = UniqueHandle<HFONT, FreeGdiObject>;
using BitmapHandle = UniqueHandle<HBITMAP, FreeGdiObject>;
using MenuHandle = UniqueHandle<HMENU, FreeMenu>;
using MemoryDcHandle = UniqueHandle<HDC, FreeDc>;
using GlobalHandle = UniqueHandle<HGLOBAL, FreeGlobal>;

// Selects a GDI object into a device context for one scope and puts the old one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A screen-compatible device context borrowed for one scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// The clipboard, open for one scope. Opened() is false when another program holds it.
class ClipboardSession {
 public:
  // With patience, an open that finds the clipboard held is tried again every few
  // milliseconds for up to that long. It sleeps rather than dispatch messages, so no
  // handler runs in between.
  explicit ClipboardSession(HWND owner, DWORD patienceMs = 0) : open_(Open(owner, patienceMs)) {}
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  bool Opened() const { return open_; }

 private:
  static bool Open(HWND owner, DWORD patienceMs) {
    const ULONGLONG deadline = GetTickCount64() + patienceMs;
    while (!OpenClipboard(owner)) {
      if (GetTickCount64() >= deadline) return false;
      Sleep(5);
    }
    return true;
  }

  bool open_;
};

}  // namespace orvgen
