#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "generator.h"
#include "list_nouns.h"
#include "list_verbs.h"

namespace orvgen {
namespace {

// Counters under the test's control, so a reseed takes a value the test chooses.
struct FakeCounters {
  static inline bool highResolutionWorks = true;
  static inline std::uint64_t highResolution = 0;
  static inline std::uint32_t milliseconds = 0;
  static SeedCounters Get() {
    return SeedCounters{[](std::uint64_t& v) {
                          v = highResolution;
                          return highResolutionWorks;
                        },
                        [] { return milliseconds; }};
  }
};

class WithFakeCounters : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeCounters::highResolutionWorks = true;
    previous_ = SetSeedCounters(FakeCounters::Get());
  }
  void TearDown() override { SetSeedCounters(previous_); }

 private:
  SeedCounters previous_{};
};

TEST(RandomSource, StepUsesTheStateAfterTheStep) {
  RandomState = 0;
  EXPECT_EQ(RandomBelow(748), 0u);  // new state 1, 1*748 >> 32 == 0
  EXPECT_EQ(RandomState, 1u);

  RandomState = 1;
  RandomBelow(748);
  EXPECT_EQ(RandomState, 134775814u);  // multiplier plus one

  RandomState = 0xFFFFFFFFu;
  const std::uint32_t draw = RandomBelow(1u << 31);
  EXPECT_EQ(RandomState, static_cast<std::uint32_t>(0xFFFFFFFFull * 134775813ull + 1));
  EXPECT_EQ(draw, RandomState >> 1);  // high half of state * 2^31
}

TEST(RandomSource, DrawsStayBelowTheBound) {
  RandomState = 12345;
  for (std::uint32_t n : {1u, 2u, 748u, 1026u, 0xFFFFFFFFu}) {
    for (int i = 0; i < 1000; ++i) ASSERT_LT(RandomBelow(n), n);
  }
}

TEST_F(WithFakeCounters, ReseedTakesLow32BitsOrFallsBackToMilliseconds) {
  FakeCounters::highResolution = 0x1234567890ABCDEFull;
  FakeCounters::milliseconds = 777;
  ReseedRandom();
  EXPECT_EQ(RandomState, 0x90ABCDEFu);

  FakeCounters::highResolutionWorks = false;
  ReseedRandom();
  EXPECT_EQ(RandomState, 777u);
}

struct ReseedCase {
  std::uint32_t seed;
  std::uint32_t noun1, verb, noun2;
  std::u16string password;
  std::u16string hint;
};

TEST_F(WithFakeCounters, KnownReseedValuesGiveKnownPasswords) {
  const ReseedCase cases[] = {
      {0, 0, 32, 644, u"accASSthu", u"account assemble thumb"},
      {1, 23, 883, 151, u"attSUPdau", u"attraction supervise daughter"},
      {445, 721, 239, 630, u"winDOtee", u"wing do teeth"},
      {202, 253, 640, 636, u"gunPROtex", u"gun  project texture"},
      {912, 462, 706, 253, u"proREQgun", u"profit request gun "},
      {1374, 86, 1021, 94, u"cabWRIcan", u"cable write \t cannon"},
      {840, 268, 977, 559, u"hisVISsmi", u"history visit  smile"},
      {1236, 587, 514, 744, u"staMELzep", u"stamp melt zephyr"},
      {1782, 687, 513, 353, u"vasMELmar", u"vase melt mark"},
      {1285, 241, 159, 546, u"gooCONsin", u"good-bye confront sink"},
      {4294967295u, 724, 206, 388, u"wisDELnet", u"wish delay net"},
  };
  for (const ReseedCase& c : cases) {
    SCOPED_TRACE(c.seed);
    RandomState = c.seed;
    const WordPositions p = DrawWordPositions();
    EXPECT_EQ(p.noun1, c.noun1);
    EXPECT_EQ(p.verb, c.verb);
    EXPECT_EQ(p.noun2, c.noun2);

    // The same case through the counter seam, as the program reaches it.
    FakeCounters::highResolution = (std::uint64_t{0xABCD} << 32) | c.seed;
    const PasswordAndHint generated = GeneratePassword();
    EXPECT_EQ(generated.password, c.password);
    EXPECT_EQ(generated.hint, c.hint);
    EXPECT_EQ(GeneratePasswordFromSeed(c.seed).hint, c.hint);
  }
}

TEST(GeneratePassword, ShapeHoldsForEveryVerbAndNoun) {
  // Every noun in both places and every verb once: the password is lower/UPPER/lower
  // letters only, 8 long exactly for the two-letter verbs, and the hint keeps entries whole.
  for (std::uint32_t v = 0; v < VerbsCount; ++v) {
    const std::uint32_t n = v % NounsCount;
    const std::uint32_t other = NounsCount - 1 - n;
    const PasswordAndHint r = ComposePassword({n, v, other});
    SCOPED_TRACE(v);
    const std::size_t verbPart = Verbs[v].size() < 3 ? Verbs[v].size() : 3;
    ASSERT_EQ(r.password.size(), 6 + verbPart);
    for (std::size_t i = 0; i < r.password.size(); ++i) {
      const bool upper = i >= 3 && i < 3 + verbPart;
      const char16_t c = r.password[i];
      ASSERT_TRUE(upper ? (c >= u'A' && c <= u'Z') : (c >= u'a' && c <= u'z')) << i;
    }
    const std::u16string expectedHint =
        std::u16string(Nouns[n]) + u" " + std::u16string(Verbs[v]) + u" " + std::u16string(Nouns[other]);
    ASSERT_EQ(r.hint, expectedHint);
  }
}

TEST(GeneratePassword, SameNounTwiceAndHintLengthBounds) {
  const PasswordAndHint twice = ComposePassword({27, 51, 27});  // bag, be, bag
  EXPECT_EQ(twice.password, u"bagBEbag");
  EXPECT_EQ(twice.hint, u"bag be bag");
  EXPECT_EQ(twice.hint.size(), 10u);                                 // the shortest hint there is
  const PasswordAndHint longest = ComposePassword({166, 154, 406});  // distribution, conceptualize, organization
  EXPECT_EQ(longest.hint.size(), 39u);
}

}  // namespace
}  // namespace orvgen
