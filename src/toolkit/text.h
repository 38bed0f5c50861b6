// Text at the Win32 boundary: UTF-16 both sides, std::u16string in portable code and
// std::wstring for the platform (wchar_t is 16 bits on Windows).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orvgen {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

inline std::wstring ToWide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
inline std::u16string ToU16(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

inline std::wstring WideFromUtf8(std::string_view s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), result.data(), n);
  return result;
}

inline std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace orvgen
