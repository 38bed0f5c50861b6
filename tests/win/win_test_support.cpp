#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "application.h"
#include "handles.h"
#include "text.h"

namespace orvgen {

std::wstring ClipboardText() {
  ClipboardSession clipboard(nullptr);
  if (!clipboard.Opened()) return L"<clipboard busy>";
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return L"";
  const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
  std::wstring result = text ? text : L"";
  GlobalUnlock(data);
  return result;
}

void SetClipboardText(const std::wstring& text) {
  ClipboardSession clipboard(nullptr);
  if (!clipboard.Opened()) return;
  EmptyClipboard();
  GlobalHandle memory(GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t)));
  std::memcpy(GlobalLock(memory.Get()), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(memory.Get());
  if (SetClipboardData(CF_UNICODETEXT, memory.Get())) memory.Release();
}

std::wstring TextOf(HWND hwnd) { return WindowText(hwnd); }

RECT ClientRectIn(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectPlaces(std::initializer_list<ControlPlace> places) {
  for (const ControlPlace& c : places) {
    const RECT r = ClientRectIn(c.hwnd);
    EXPECT_EQ(r.left, c.rect.left) << c.name;
    EXPECT_EQ(r.top, c.rect.top) << c.name;
    EXPECT_EQ(r.right, c.rect.right) << c.name;
    EXPECT_EQ(r.bottom, c.rect.bottom) << c.name;
  }
}

LOGFONTW FontOf(HWND hwnd) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

void PumpMessages() { Application.ProcessMessages(); }

}  // namespace orvgen
