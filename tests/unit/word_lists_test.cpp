// Properties that any faithful copy of the two lists has; each catches a different kind
// of bad copy (a dropped entry, a trimmed blank, a sorted or de-duplicated list).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "list_nouns.h"
#include "list_verbs.h"

namespace orvgen {
namespace {

std::u16string_view Trimmed(std::u16string_view s) {
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

TEST(WordLists, EntriesWithSomethingOtherThanLowerCaseLetters) {
  const struct {
    bool noun;
    std::size_t position;
    std::u16string_view entry;
  } special[] = {
      {true, 241, u"good-bye"},      {true, 253, u"gun "},    {true, 475, u"quiver "},    {false, 298, u"extract \t"},
      {false, 900, u"systemize \t"}, {false, 977, u"visit "}, {false, 1021, u"write \t"},
  };
  for (const auto& s : special) EXPECT_EQ((s.noun ? Nouns : Verbs)[s.position], s.entry);

  auto onlyLetters = [](std::u16string_view e) {
    return std::all_of(e.begin(), e.end(), [](char16_t c) { return c >= u'a' && c <= u'z'; });
  };
  std::size_t others = 0;
  for (auto e : Nouns) others += onlyLetters(e) ? 0 : 1;
  for (auto e : Verbs) others += onlyLetters(e) ? 0 : 1;
  EXPECT_EQ(others, std::size(special));
}

TEST(WordLists, LengthsAndTheTwoLetterVerbs) {
  for (auto e : Nouns) {
    EXPECT_GE(Trimmed(e).size(), 3u);
    EXPECT_LE(Trimmed(e).size(), 12u);
  }
  std::set<std::size_t> twoLetter;
  for (std::size_t i = 0; i < VerbsCount; ++i) {
    EXPECT_LE(Trimmed(Verbs[i]).size(), 13u);
    if (Trimmed(Verbs[i]).size() < 3) twoLetter.insert(i);
  }
  EXPECT_EQ(twoLetter, (std::set<std::size_t>{51, 239, 355}));
  EXPECT_EQ(Verbs[51], u"be");
  EXPECT_EQ(Verbs[239], u"do");
  EXPECT_EQ(Verbs[355], u"go");
}

TEST(WordLists, StoredOrderWithItsTwoExceptions) {
  for (std::size_t i = 1; i < NounsCount; ++i) EXPECT_LT(Nouns[i - 1], Nouns[i]) << i;
  EXPECT_EQ(Verbs[2], u"acquire");
  EXPECT_EQ(Verbs[3], u"access");
  EXPECT_EQ(Verbs[513], u"melt");
  EXPECT_EQ(Verbs[514], u"melt");
  for (std::size_t i = 1; i < VerbsCount; ++i) {
    if (i == 3) {
      EXPECT_GT(Verbs[2], Verbs[3]);
    } else if (i == 514) {
      EXPECT_EQ(Verbs[513], Verbs[514]);
    } else {
      EXPECT_LT(Verbs[i - 1], Verbs[i]) << i;
    }
  }
}

TEST(WordLists, DistinctPrefixesAndSharedWords) {
  std::set<std::u16string_view> nounPrefixes, verbPrefixes;
  for (auto e : Nouns) nounPrefixes.insert(e.substr(0, 3));
  for (auto e : Verbs) verbPrefixes.insert(e.substr(0, 3));
  EXPECT_EQ(nounPrefixes.size(), 541u);
  EXPECT_EQ(verbPrefixes.size(), 568u);

  const std::set<std::u16string_view> nouns(std::begin(Nouns), std::end(Nouns));
  std::size_t sameLetters = 0;
  std::size_t onlyWhitespaceApart = 0;
  std::set<std::u16string_view> trimmedNouns;
  for (auto n : Nouns) trimmedNouns.insert(Trimmed(n));
  for (auto v : Verbs) {
    if (nouns.count(v) != 0) {
      ++sameLetters;
    } else if (trimmedNouns.count(Trimmed(v)) != 0) {
      ++onlyWhitespaceApart;
    }
  }
  EXPECT_EQ(sameLetters, 170u);
  EXPECT_EQ(onlyWhitespaceApart, 0u);
  EXPECT_TRUE(nouns.count(u"answer") && nouns.count(u"work") && nouns.count(u"wish"));
}

}  // namespace
}  // namespace orvgen
