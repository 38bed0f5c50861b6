// The maker's web site. The maker has no site of its own yet, so the host is a name under
// the reserved .example domain; change it here and every address follows.
#pragma once

#include <string>

namespace orvgen {

inline constexpr wchar_t MakerHost[] = L"orvanta.example";

inline std::wstring MakerHomeAddress() { return std::wstring(L"http://") + MakerHost; }  // no trailing slash
inline std::wstring MakerHomePage() { return MakerHomeAddress() + L"/"; }
inline std::wstring MakerDownloadsPage() {
  return MakerHomeAddress() + L"/password-generator-application/downloads.html";
}

}  // namespace orvgen
