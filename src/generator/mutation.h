// Mutation swaps six look-alike letters, in either case, for digits and signs:
// a→@, b→8, i→!, o→0, s→$, l→1. Pure: the text in gives the text out, nothing else.
#pragma once

#include <string>
#include <string_view>

namespace orvgen {

// Paired by position: each letter of the source (either case) becomes the target's unit.
inline constexpr std::u16string_view MutationSource = u"abiosl";
inline constexpr std::u16string_view MutationTarget = u"@8!0$1";

std::u16string MutatePassword(std::u16string_view text);

}  // namespace orvgen
