#include <gtest/gtest.h>

#include <string>

#include "ui_rules.h"

namespace orvgen {
namespace {

TEST(ErrorText, FullStopAddedAfterCharactersThatSortAfterThePeriod) {
  const struct {
    std::u16string in, out;
  } cases[] = {
      {u"Access denied", u"Access denied."},
      {u"Done.", u"Done."},
      {u"Why?", u"Why?."},  // '?' sorts after '.'
      {u"Code 5", u"Code 5."},
      {u"(see above)", u"(see above)"},  // ')' sorts before '.'
      {u"a-", u"a-"},
      {u"path/", u"path/."},
      {u"", u""},
      {u"\u00E9t\u00E9", u"\u00E9t\u00E9."},
  };
  for (const auto& c : cases) EXPECT_EQ(WithFullStop(c.in), c.out);
}

TEST(CtrlN, OnlyTheReleaseOfNWithCtrlDown) {
  EXPECT_TRUE(IsGenerateKeyRelease(0x4E, true));
  EXPECT_FALSE(IsGenerateKeyRelease(0x4E, false));  // N alone, Shift+N, Alt+N
  EXPECT_FALSE(IsGenerateKeyRelease(0x11, true));   // Ctrl's own release
  EXPECT_FALSE(IsGenerateKeyRelease('n', true));    // virtual keys are upper case
}

}  // namespace
}  // namespace orvgen
