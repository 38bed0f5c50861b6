// The program driven in-process: the precomputed fast path against the core, reseeding
// from the counters, and what happens when the output fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "generator.h"
#include "list_nouns.h"
#include "list_verbs.h"
#include "output_sink.h"
#include "reference_output.h"

namespace orvgen {
namespace {

class StringSink final : public OutputSink {
 public:
  bool Write(std::string_view bytes) override {
    text.append(bytes);
    return true;
  }
  bool Flush() override { return true; }
  std::string FailureReason() const override { return "no error"; }
  std::string text;
};

// Accepts `goodWrites` writes, then fails every call; or fails only when flushed.
class FailingSink final : public OutputSink {
 public:
  FailingSink(int goodWrites, bool failFlush) : goodWrites_(goodWrites), failFlush_(failFlush) {}
  bool Write(std::string_view) override { return ++writes <= goodWrites_; }
  bool Flush() override { return !failFlush_ && writes <= goodWrites_; }
  std::string FailureReason() const override { return "the disk is on fire"; }
  int writes = 0;

 private:
  int goodWrites_;
  bool failFlush_;
};

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun RunWith(const std::vector<std::string>& args) {
  const std::vector<std::string_view> views(args.begin(), args.end());
  StringSink out;
  StringSink err;
  const int status = RunCli(views, out, err);
  return {status, out.text, err.text};
}

std::string ExpectedRecords(std::uint32_t firstSeed, std::uint32_t count, bool mutate, bool json) {
  std::string expected;
  for (std::uint32_t i = 0; i < count; ++i) expected += testing::ReferenceRecord(firstSeed + i, mutate, json);
  return expected;
}

// Names the first differing record instead of printing megabytes.
::testing::AssertionResult SameOutput(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  const auto at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  const std::size_t offset = static_cast<std::size_t>(at.first - expected.begin());
  const std::size_t lineStart = expected.rfind('\n', offset == 0 ? 0 : offset - 1);
  const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
  return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size()
                                       << ", first difference at byte " << offset
                                       << "\n expected: " << expected.substr(from, 80)
                                       << "\n actual:   " << actual.substr(from, 80);
}

TEST(CliFastPath, MatchesTheCoreForEveryEntryInEveryMode) {
  // Enough consecutive seeds to put every noun in both places and every verb in the middle,
  // starting below 2^32 so the run also wraps.
  constexpr std::uint32_t firstSeed = 4294867296u;
  constexpr std::uint32_t count = 200000;

  std::vector<bool> firstNouns(NounsCount), verbs(VerbsCount), secondNouns(NounsCount);
  for (std::uint32_t i = 0; i < count; ++i) {
    RandomState = firstSeed + i;
    const WordPositions p = DrawWordPositions();
    firstNouns[p.noun1] = verbs[p.verb] = secondNouns[p.noun2] = true;
  }
  const auto all = [](const std::vector<bool>& seen) { return std::all_of(seen.begin(), seen.end(), std::identity{}); };
  ASSERT_TRUE(all(firstNouns) && all(verbs) && all(secondNouns)) << "the seeds do not reach every entry";

  struct Mode {
    std::vector<std::string> flags;
    bool mutate;
    bool json;
  };
  const std::vector<Mode> modes = {
      {{}, false, false}, {{"--json"}, false, true}, {{"--mutate"}, true, false}, {{"--mutate", "--json"}, true, true}};
  for (const Mode& mode : modes) {
    SCOPED_TRACE(::testing::Message() << "mutate " << mode.mutate << " json " << mode.json);
    std::vector<std::string> args = {"--seed", std::to_string(firstSeed), "-n", std::to_string(count)};
    args.insert(args.end(), mode.flags.begin(), mode.flags.end());
    const CliRun run = RunWith(args);
    EXPECT_EQ(run.status, ExitSuccess);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(SameOutput(ExpectedRecords(firstSeed, count, mode.mutate, mode.json), run.out));
  }
}

TEST(CliFastPath, SpellingsOfTheSameRequestGiveTheSameOutput) {
  struct Case {
    std::vector<std::string> args;
    std::uint32_t firstSeed;
    std::uint32_t count;
    bool mutate;
    bool json;
  };
  const std::vector<Case> cases = {
      {{"--seed", "202"}, 202, 1, false, false},
      {{"--seed", "202", "--count", "1"}, 202, 1, false, false},
      {{"-n", "3", "--seed", "7"}, 7, 3, false, false},
      {{"--count=3", "--seed=7"}, 7, 3, false, false},
      {{"--count", "003", "--seed", "0007"}, 7, 3, false, false},  // leading zeros are still decimal
      {{"--json", "--seed", "1374", "--mutate", "-n", "2"}, 1374, 2, true, true},
      {{"-n", "2", "--mutate", "--seed", "1374", "--json"}, 1374, 2, true, true},
      {{"--seed", "4294967295", "--count", "3"}, 4294967295u, 3, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CliRun run = RunWith(c.args);
    EXPECT_EQ(run.status, ExitSuccess);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(SameOutput(ExpectedRecords(c.firstSeed, c.count, c.mutate, c.json), run.out));
  }
}

// Counters under the test's control: each read hands out the next value of a list.
struct ScriptedCounters {
  static inline std::vector<std::uint64_t> values;
  static inline std::size_t next = 0;
  static inline bool highResolutionWorks = true;
  static std::uint64_t Take() { return next < values.size() ? values[next++] : 0; }
  static SeedCounters Get() {
    return SeedCounters{[](std::uint64_t& v) {
                          if (!highResolutionWorks) return false;
                          v = Take();
                          return true;
                        },
                        [] { return static_cast<std::uint32_t>(Take()); }};
  }
};

class CliCounters : public ::testing::Test {
 protected:
  void SetUp() override {
    ScriptedCounters::next = 0;
    ScriptedCounters::highResolutionWorks = true;
    previous_ = SetSeedCounters(ScriptedCounters::Get());
  }
  void TearDown() override { SetSeedCounters(previous_); }

 private:
  SeedCounters previous_{};
};

TEST_F(CliCounters, EveryPasswordReseedsFromTheCounters) {
  // Only the low 32 bits of the fine counter become the state.
  ScriptedCounters::values = {(std::uint64_t{7} << 32) | 1374, 0, (std::uint64_t{1} << 63) | 445, 4294967295u};
  const CliRun run = RunWith({"--count", "4", "--json"});
  EXPECT_EQ(run.status, ExitSuccess);
  std::string expected;
  for (std::uint32_t seed : {1374u, 0u, 445u, 4294967295u}) expected += testing::ReferenceRecord(seed, false, true);
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(ScriptedCounters::next, 4u);
}

TEST_F(CliCounters, ACounterThatHasNotMovedDoesNotRepeatThePassword) {
  ScriptedCounters::values = {445, 445, 445, 912};
  const CliRun run = RunWith({"--count", "4", "--json"});
  EXPECT_EQ(run.status, ExitSuccess);
  // The second and third go on drawing from the state the one before left behind.
  RandomState = 445;
  std::string expected;
  for (int i = 0; i < 3; ++i) {
    const PasswordAndHint p = ComposePassword(DrawWordPositions());
    expected += testing::FormatRecord(p, false, true);
  }
  expected += testing::ReferenceRecord(912, false, true);
  EXPECT_EQ(run.out, expected);
}

TEST_F(CliCounters, MillisecondsServeWhenTheFineCounterFails) {
  ScriptedCounters::highResolutionWorks = false;
  ScriptedCounters::values = {202, 912};
  const CliRun run = RunWith({"-n", "2"});
  EXPECT_EQ(run.status, ExitSuccess);
  EXPECT_EQ(run.out, testing::ReferenceRecord(202, false, false) + testing::ReferenceRecord(912, false, false));
}

TEST(CliOutputFailure, StopsAtTheFailedWriteAndReportsIt) {
  struct Case {
    std::vector<std::string> args;
    int goodWrites;
    bool failFlush;
  };
  const std::vector<Case> cases = {
      // Stopping at once matters: the largest count would otherwise run for seconds.
      {{"--count", "100000000"}, 0, false},
      {{"--count", "100000000", "--json"}, 2, false},
      {{"--seed", "0"}, 1, true},
      {{"mutate", "abc"}, 0, false},
      {{"--help"}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const std::vector<std::string_view> views(c.args.begin(), c.args.end());
    FailingSink out(c.goodWrites, c.failFlush);
    StringSink err;
    EXPECT_EQ(RunCli(views, out, err), ExitOutputFailed);
    EXPECT_EQ(out.writes, c.goodWrites + (c.failFlush ? 0 : 1));
    EXPECT_EQ(err.text, "orvgen-cli: cannot write the output: the disk is on fire\n");
  }
}

}  // namespace
}  // namespace orvgen
