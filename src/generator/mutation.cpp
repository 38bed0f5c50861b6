#include "mutation.h"

#include "generator.h"

namespace orvgen {

std::u16string MutatePassword(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  for (char16_t c : text) {
    const char16_t upper = AsciiUpper(c);
    std::size_t n = 0;
    while (n < MutationSource.size() && AsciiUpper(MutationSource[n]) != upper) ++n;
    result.push_back(n < MutationSource.size() ? MutationTarget[n] : c);
  }
  return result;
}

}  // namespace orvgen
