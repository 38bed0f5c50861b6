#include <gtest/gtest.h>

#include <string>

#include "mutation.h"

namespace orvgen {
namespace {

TEST(MutatePassword, ReplacesTheSixLettersInEitherCase) {
  const struct {
    std::u16string in, out;
  } cases[] = {
      {u"accASSthu", u"@cc@$$thu"},
      {u"accACHbag", u"@cc@CH8@g"},
      {u"winDOtee", u"w!nD0tee"},
      {u"gooCONsin", u"g00C0N$!n"},
      {u"cabWRIcan", u"c@8WR!c@n"},
      {u"staMELzep", u"$t@ME1zep"},
      {u"Hello World", u"He110 W0r1d"},
      {u"abiosl ABIOSL", u"@8!0$1 @8!0$1"},
      {u"", u""},
      {u"12345", u"12345"},
      {u"@cc@$$thu", u"@cc@$$thu"},
      // Look-alikes outside ASCII stay: á í ó ś ł, dotless ı, long s ſ, fullwidth Ａ.
      {u"\u00E1\u00ED\u00F3\u015B\u0142\u0131\u017F\uFF21", u"\u00E1\u00ED\u00F3\u015B\u0142\u0131\u017F\uFF21"},
      // Both halves of a character outside the BMP pass unchanged beside mutated letters.
      {u"a\U0001F600b", u"@\U0001F6008"},
      // Neighbours of the letters by code: ` { @ [ and the unit 0x20 above/below.
      {u"`{[@AaZz", u"`{[@@@Zz"},
  };
  for (const auto& c : cases) {
    const std::u16string got = MutatePassword(c.in);
    EXPECT_EQ(got, c.out);
    EXPECT_EQ(got.size(), c.in.size());
    EXPECT_EQ(MutatePassword(got), got) << "mutating twice changed the text";
  }
}

TEST(MutatePassword, EveryOtherCodeUnitIsKept) {
  const std::u16string letters = u"abioslABIOSL";
  for (char32_t u = 0; u <= 0xFFFF; ++u) {
    const char16_t c = static_cast<char16_t>(u);
    if (letters.find(c) != std::u16string::npos) continue;
    ASSERT_EQ(MutatePassword(std::u16string(1, c)), std::u16string(1, c)) << static_cast<unsigned>(u);
  }
}

}  // namespace
}  // namespace orvgen
