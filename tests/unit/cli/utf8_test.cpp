// The text conversions at the program's edge, at the boundaries where encoders go wrong.
#include <gtest/gtest.h>

#include <string>

#include "utf8.h"

namespace orvgen {
namespace {

TEST(Utf8, DecodesEachSequenceLengthAtItsLimitsAndEncodesBack) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const std::vector<Case> cases = {
      {"", u""},
      {"A\x7F", u"A\x7F"},
      {"\xC2\x80", u"\x0080"},
      {"\xDF\xBF", u"\x07FF"},
      {"\xE0\xA0\x80", u"\x0800"},
      {"\xED\x9F\xBF", u"\xD7FF"},  // the last code point before the surrogates
      {"\xEE\x80\x80", u"\xE000"},  // the first after them
      {"\xEF\xBF\xBF", u"\xFFFF"},
      {"\xF0\x90\x80\x80", u"\xD800\xDC00"},  // U+10000
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},  // U+1F600
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},  // U+10FFFF
      {"a\xC3\xA9z\xF0\x9F\x98\x80!", u"a\x00E9z\xD83D\xDE00!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.utf8));
    std::u16string decoded;
    EXPECT_FALSE(AppendUtf8AsUtf16(c.utf8, decoded).has_value());
    EXPECT_EQ(decoded, c.utf16);
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
  }
}

TEST(Utf8, RejectsTheFormsJustPastEachLimit) {
  struct Case {
    std::string utf8;
    std::size_t offset;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"\xC1\xBF", 0, "overlong form"},          // U+007F in two bytes
      {"\xE0\x9F\xBF", 0, "overlong form"},      // U+07FF in three
      {"\xF0\x8F\xBF\xBF", 0, "overlong form"},  // U+FFFF in four
      {"\xED\xA0\x80", 0, "surrogate encoded in UTF-8"},
      {"\xED\xBF\xBF", 0, "surrogate encoded in UTF-8"},
      {"\xF4\x90\x80\x80", 0, "code point beyond U+10FFFF"},
      {"\xF7\xBF\xBF\xBF", 0, "code point beyond U+10FFFF"},
      {"ok\xF0\x9F\x98", 2, "truncated sequence"},  // ends inside a sequence
      {"\xC3(", 0, "truncated sequence"},           // a sequence cut by an ASCII byte
      {"\xC3\xA9\x80", 2, "stray continuation byte"},
      {"\xFE", 0, "byte that never occurs in UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.utf8));
    std::u16string decoded;
    const auto fault = AppendUtf8AsUtf16(c.utf8, decoded);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->offset, c.offset);
    EXPECT_EQ(fault->reason, c.reason);
  }
}

TEST(Utf8, LoneSurrogatesComeOutInAFormTheDecoderRejects) {
  // Only a malformed UTF-16 source can hold these, such as a Windows command line.
  for (const std::u16string& text : {std::u16string(u"a\xD800"), std::u16string(u"\xDC00\xD800")}) {
    const std::string utf8 = Utf16ToUtf8(text);
    std::u16string decoded;
    const auto fault = AppendUtf8AsUtf16(utf8, decoded);
    ASSERT_TRUE(fault.has_value());
    EXPECT_EQ(fault->reason, "surrogate encoded in UTF-8");
  }
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00\xD800"), "\xED\xB0\x80\xED\xA0\x80");
}

TEST(JsonEscape, EscapesQuotesBackslashesAndControlCharactersOnly) {
  struct Case {
    std::string text;
    std::string escaped;
  };
  const std::vector<Case> cases = {
      {"write \t", "write \\t"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"back\\slash", "back\\\\slash"},
      {std::string("\x00\x01\n\r\x1F", 5), "\\u0000\\u0001\\u000a\\u000d\\u001f"},
      {"\x7F \xC3\xA9 /", "\x7F \xC3\xA9 /"},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendJsonEscaped(c.text, out);
    EXPECT_EQ(out, c.escaped) << ::testing::PrintToString(c.text);
  }
}

}  // namespace
}  // namespace orvgen
