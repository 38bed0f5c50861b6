// orvgen-cli run as a process: its output, its exit status and its messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "generator.h"
#include "list_nouns.h"
#include "list_verbs.h"
#include "process_runner.h"
#include "reference_output.h"

namespace orvgen {
namespace {

using testing::Lines;
using testing::ProcessResult;
using testing::RunCliProcess;

// The status and messages of a run that should have succeeded.
void ExpectSuccess(const ProcessResult& r) {
  EXPECT_TRUE(r.exited) << "signal " << r.signal;
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
}

// One line on stderr, from the program, ending in "\n".
void ExpectOneErrorLine(const std::string& err) {
  EXPECT_TRUE(err.starts_with("orvgen-cli: ")) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_TRUE(err.ends_with("\n")) << err;
}

TEST(CliProcess, SeedZeroPrintsThePasswordThenItsHint) {
  const ProcessResult r = RunCliProcess({"--seed", "0"});
  ExpectSuccess(r);
  EXPECT_EQ(r.out, "accASSthu\naccount assemble thumb\n");
}

TEST(CliProcess, KnownSeedsGiveKnownPasswordsAsJson) {
  struct Case {
    std::string seed;
    std::string json;
  };
  // Entries with trailing blanks and a tab, two-letter verbs, a hyphen and the largest seed.
  const std::vector<Case> cases = {
      {"0", R"({"password": "accASSthu", "hint": "account assemble thumb"})"},
      {"1", R"({"password": "attSUPdau", "hint": "attraction supervise daughter"})"},
      {"445", R"({"password": "winDOtee", "hint": "wing do teeth"})"},
      {"202", R"({"password": "gunPROtex", "hint": "gun  project texture"})"},
      {"912", R"({"password": "proREQgun", "hint": "profit request gun "})"},
      {"1374", R"({"password": "cabWRIcan", "hint": "cable write \t cannon"})"},
      {"840", R"({"password": "hisVISsmi", "hint": "history visit  smile"})"},
      {"1236", R"({"password": "staMELzep", "hint": "stamp melt zephyr"})"},
      {"1782", R"({"password": "vasMELmar", "hint": "vase melt mark"})"},
      {"1285", R"({"password": "gooCONsin", "hint": "good-bye confront sink"})"},
      {"4294967295", R"({"password": "wisDELnet", "hint": "wish delay net"})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("seed " + c.seed);
    const ProcessResult r = RunCliProcess({"--seed", c.seed, "--json"});
    ExpectSuccess(r);
    EXPECT_EQ(r.out, c.json + "\n");
  }
}

TEST(CliProcess, SeedWrapsToZeroAfterItsLargestValue) {
  const ProcessResult r = RunCliProcess({"--seed", "4294967295", "--count", "2"});
  ExpectSuccess(r);
  EXPECT_EQ(r.out, "wisDELnet\nwish delay net\naccASSthu\naccount assemble thumb\n");
}

TEST(CliProcess, MutateOptionChangesThePasswordButNotTheHint) {
  const ProcessResult plain = RunCliProcess({"--seed", "0", "--mutate"});
  ExpectSuccess(plain);
  EXPECT_EQ(plain.out, "@cc@$$thu\naccount assemble thumb\n");

  const ProcessResult json = RunCliProcess({"--mutate", "--json", "--seed", "1374"});
  ExpectSuccess(json);
  EXPECT_EQ(json.out, R"({"password": "c@8WR!c@n", "hint": "cable write \t cannon"})"
                      "\n");
}

// The ASCII forms of the lists, to take a printed hint apart again.
struct AsciiLists {
  std::vector<std::string> nouns;
  std::vector<std::string> verbs;
  AsciiLists() {
    for (auto n : Nouns) nouns.push_back(testing::AsciiBytes(std::u16string(n)));
    for (auto v : Verbs) verbs.push_back(testing::AsciiBytes(std::u16string(v)));
  }
};

// True when the hint is noun, blank, verb, blank, noun from the lists and the password is
// what the core composes from those three entries.
bool IsConsistentPair(const AsciiLists& lists, const std::string& password, const std::string& hint) {
  for (std::uint32_t n1 = 0; n1 < lists.nouns.size(); ++n1) {
    if (!hint.starts_with(lists.nouns[n1] + " ")) continue;
    const std::string afterNoun = hint.substr(lists.nouns[n1].size() + 1);
    for (std::uint32_t v = 0; v < lists.verbs.size(); ++v) {
      if (!afterNoun.starts_with(lists.verbs[v] + " ")) continue;
      const std::string last = afterNoun.substr(lists.verbs[v].size() + 1);
      for (std::uint32_t n2 = 0; n2 < lists.nouns.size(); ++n2) {
        if (lists.nouns[n2] != last) continue;
        const PasswordAndHint composed = ComposePassword({n1, v, n2});
        if (testing::AsciiBytes(composed.password) == password) return true;
      }
    }
  }
  return false;
}

bool HasPasswordShape(const std::string& p) {
  if (p.size() != 8 && p.size() != 9) return false;
  const std::size_t upperEnd = p.size() - 3;
  for (std::size_t i = 0; i < p.size(); ++i) {
    const bool upper = i >= 3 && i < upperEnd;
    if (!(upper ? std::isupper(static_cast<unsigned char>(p[i])) : std::islower(static_cast<unsigned char>(p[i])))) {
      return false;
    }
  }
  return true;
}

TEST(CliProcess, CountPrintsThatManyWellFormedPairsFromTheCounters) {
  const ProcessResult r = RunCliProcess({"--count", "1000"});
  ExpectSuccess(r);
  ASSERT_TRUE(r.out.ends_with("\n"));
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 2000u);

  const AsciiLists lists;
  std::set<std::string> distinct;
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    SCOPED_TRACE("pair " + std::to_string(i / 2) + ": " + lines[i] + " / " + lines[i + 1]);
    EXPECT_TRUE(HasPasswordShape(lines[i]));
    EXPECT_TRUE(IsConsistentPair(lists, lines[i], lines[i + 1]));
    distinct.insert(lines[i]);
  }
  // A reseed per password from a nanosecond counter cannot repeat one draw a thousand times.
  EXPECT_GT(distinct.size(), 1u);
}

TEST(CliProcess, BulkOutputMatchesTheCoreAcrossBlocksAndTheSeedWrap) {
  constexpr std::uint32_t firstSeed = 4294917296u;  // 2^32 - 50000: wraps halfway
  constexpr std::uint32_t count = 100000;           // several output blocks
  struct Mode {
    std::vector<std::string> flags;
    bool mutate;
    bool json;
  };
  const std::vector<Mode> modes = {
      {{}, false, false}, {{"--json"}, false, true}, {{"--mutate"}, true, false}, {{"--json", "--mutate"}, true, true}};
  for (const Mode& mode : modes) {
    SCOPED_TRACE(::testing::Message() << "mutate " << mode.mutate << " json " << mode.json);
    std::vector<std::string> args = {"--seed", std::to_string(firstSeed), "--count", std::to_string(count)};
    args.insert(args.end(), mode.flags.begin(), mode.flags.end());
    const ProcessResult r = RunCliProcess(args);
    ExpectSuccess(r);

    std::string expected;
    for (std::uint32_t i = 0; i < count; ++i)
      expected += testing::ReferenceRecord(firstSeed + i, mode.mutate, mode.json);
    ASSERT_EQ(r.out.size(), expected.size());
    const auto mismatch = std::mismatch(expected.begin(), expected.end(), r.out.begin());
    EXPECT_EQ(mismatch.first, expected.end())
        << "first difference at byte " << (mismatch.first - expected.begin()) << ": "
        << r.out.substr(static_cast<std::size_t>(mismatch.second - r.out.begin()), 40);
  }
}

TEST(CliProcess, MutateCommandPrintsEachTextMutatedOnItsOwnLine) {
  struct Case {
    std::string text;
    std::string mutated;
  };
  const std::vector<Case> cases = {
      {"Hello World", "He110 W0r1d"},
      {"12345", "12345"},
      {"", ""},
      {"BIOS lab", "8!0$ 1@8"},
      // Look-alikes outside ASCII are other letters and stay.
      {"\xC3\xA1\xC3\xAD\xC3\xB3\xC5\x9B\xC5\x82\xC4\xB1\xC5\xBF",
       "\xC3\xA1\xC3\xAD\xC3\xB3\xC5\x9B\xC5\x82\xC4\xB1\xC5\xBF"},
      // U+1F600 is a surrogate pair inside; the letters beside it still change.
      {"\xF0\x9F\x98\x80sail\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80$@!1\xF0\x9F\x98\x80"},
      {"\xE5\xAF\x86\xE7\xA0\x81 bob", "\xE5\xAF\x86\xE7\xA0\x81 808"},
      {"\xF4\x8F\xBF\xBFo",
       "\xF4\x8F\xBF\xBF"
       "0"},
      // After mutate every argument is text, even an option.
      {"--json", "--j$0n"},
      {"--seed", "--$eed"},
  };
  std::vector<std::string> args = {"mutate"};
  std::string expected;
  for (const Case& c : cases) {
    args.push_back(c.text);
    expected += c.mutated + "\n";
  }
  const ProcessResult r = RunCliProcess(args);
  ExpectSuccess(r);
  EXPECT_EQ(r.out, expected);
}

TEST(CliProcess, BadInputGetsOneLineNamingTheProblemAndNoOutput) {
  struct Case {
    std::vector<std::string> args;
    std::string names;  // a part of the message that identifies the problem
  };
  const std::vector<Case> cases = {
      {{"--bogus"}, R"(unknown option "--bogus")"},
      {{"-x"}, R"(unknown option "-x")"},
      {{"stray"}, R"(unexpected argument "stray")"},
      {{"--count"}, "--count needs a whole number from 1 to 100000000, got nothing"},
      {{"-n"}, "-n needs a whole number"},
      {{"--seed"}, "--seed needs a whole number from 0 to 4294967295, got nothing"},
      {{"--count", "0"}, R"(--count needs a whole number from 1 to 100000000, got "0")"},
      {{"--count", "100000001"}, R"(got "100000001")"},
      {{"--count", "-1"}, R"(got "-1")"},
      {{"--count", "+5"}, R"(got "+5")"},
      {{"--count", " 5"}, R"(got " 5")"},
      {{"--count", "5 "}, R"(got "5 ")"},
      {{"--count", ""}, R"(got "")"},
      {{"--count", "0x10"}, R"(got "0x10")"},
      {{"--count", "1e3"}, R"(got "1e3")"},
      {{"--count", "18446744073709551617"}, R"(got "18446744073709551617")"},  // 2^64 + 1
      {{"-n", "--json"}, R"(-n needs a whole number from 1 to 100000000, got "--json")"},
      {{"--count=0"}, R"(--count needs a whole number from 1 to 100000000, got "0")"},
      {{"--count", "1\n2"}, R"(got "1\x0A2")"},  // shown escaped, so the message stays one line
      {{"--seed", "4294967296"}, R"(--seed needs a whole number from 0 to 4294967295, got "4294967296")"},
      {{"--seed", "-0"}, R"(got "-0")"},
      {{"--seed", "99999999999999999999"}, R"(got "99999999999999999999")"},
      {{"--json", "--json"}, "--json given twice"},
      {{"--mutate", "--mutate"}, "--mutate given twice"},
      {{"-n", "2", "--count", "3"}, "--count (-n) given twice"},
      {{"--seed", "1", "--seed", "1"}, "--seed given twice"},
      {{"--json=yes"}, "--json takes no value"},
      {{"--json", "mutate", "x"}, "mutate command must come first"},
      {{"mutate"}, "mutate needs at least one TEXT"},
      {{"mutate", "\xC0\xAF"}, "TEXT 1 is not valid UTF-8: overlong form at byte 1"},
      {{"mutate", "ab\xE0\x80\xAF"}, "overlong form at byte 3"},
      {{"mutate", "\xED\xA0\x80"}, "surrogate encoded in UTF-8 at byte 1"},
      {{"mutate", "\xF4\x90\x80\x80"}, "beyond U+10FFFF at byte 1"},
      {{"mutate", "ab\xE2\x82"}, "truncated sequence at byte 3"},
      {{"mutate", "\xE2\x82x"}, "truncated sequence at byte 1"},
      {{"mutate", "\x80"}, "stray continuation byte at byte 1"},
      {{"mutate", "\xC3\xA9\xA9"}, "stray continuation byte at byte 3"},
      {{"mutate", "\xFF"}, "never occurs in UTF-8"},
      // The good first text must not be printed before the second is found bad.
      {{"mutate", "fine", "\xC3"}, "TEXT 2 is not valid UTF-8: truncated sequence"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& a : c.args) shown += "[" + a + "] ";
    SCOPED_TRACE(shown);
    const ProcessResult r = RunCliProcess(c.args);
    EXPECT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ExpectOneErrorLine(r.err);
    EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
  }
}

TEST(CliProcess, HelpListsEveryOptionAndWarnsAgainstSeedForRealPasswords) {
  const ProcessResult r = RunCliProcess({"--help"});
  ExpectSuccess(r);
  // Line breaks may fall anywhere in the sentences, so compare with the blanks collapsed.
  std::string flat;
  for (char c : r.out) {
    const bool blank = c == ' ' || c == '\n';
    if (!blank || (!flat.empty() && flat.back() != ' ')) flat.push_back(blank ? ' ' : c);
  }
  for (const std::string part : {"-n, --count N", "--mutate", "--json", "--seed S", "--help", "--version",
                                 "mutate TEXT...", "never use --seed for real passwords"}) {
    EXPECT_NE(flat.find(part), std::string::npos) << part;
  }
}

TEST(CliProcess, VersionNamesTheProductVersionAndBuild) {
  const ProcessResult r = RunCliProcess({"--version"});
  ExpectSuccess(r);
  EXPECT_EQ(r.out, "orvgen-cli (Orvanta Password Generator) 1.0, build 1.0.1.31\n");
}

TEST(CliProcess, FullDiskEndsWithStatusOneAndAMessage) {
  // Output small enough to sit in a buffer until the end must fail as surely as a flood.
  const std::vector<std::vector<std::string>> cases = {
      {"--seed", "0"}, {"--count", "1000000"}, {"mutate", "abc"}, {"--version"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args[0]);
    testing::RunOptions options;
    options.stdoutPath = "/dev/full";
    const ProcessResult r = RunCliProcess(args, options);
    EXPECT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, 1);
    ExpectOneErrorLine(r.err);
    EXPECT_NE(r.err.find("cannot write the output"), std::string::npos) << r.err;
  }
}

TEST(CliProcess, ClosedPipeEndsWithStatusOneNotASignal) {
  // The largest count is accepted: the run fails on the pipe, not on its arguments.
  const std::vector<std::vector<std::string>> cases = {{"--count", "1000000"}, {"--count", "100000000", "--json"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args[1]);
    testing::RunOptions options;
    options.closeStdoutAfter = 10;
    const ProcessResult r = RunCliProcess(args, options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_GE(r.out.size(), 10u);
    ExpectOneErrorLine(r.err);
    EXPECT_NE(r.err.find("cannot write the output"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace orvgen
