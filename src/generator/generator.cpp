#include "generator.h"

#include "list_nouns.h"
#include "list_verbs.h"

namespace orvgen {

std::uint32_t RandomState = 0;

namespace {

constexpr std::uint32_t Multiplier = 0x08088405;  // 134775813

SeedCounters& CurrentCounters() {
  static SeedCounters counters = PlatformSeedCounters();
  return counters;
}

std::u16string_view Prefix(std::u16string_view entry) { return entry.substr(0, 3); }

}  // namespace

SeedCounters SetSeedCounters(SeedCounters counters) {
  SeedCounters previous = CurrentCounters();
  CurrentCounters() = counters;
  return previous;
}

void ReseedRandom() {
  const SeedCounters& counters = CurrentCounters();
  std::uint64_t value = 0;
  if (counters.highResolution(value)) {
    RandomState = static_cast<std::uint32_t>(value);
  } else {
    RandomState = counters.milliseconds();
  }
}

std::uint32_t RandomBelow(std::uint32_t n) {
  RandomState = RandomState * Multiplier + 1;  // unsigned arithmetic wraps modulo 2^32
  return static_cast<std::uint32_t>((std::uint64_t{RandomState} * n) >> 32);
}

WordPositions DrawWordPositions() {
  WordPositions p{};
  p.noun1 = RandomBelow(NounsCount);
  p.verb = RandomBelow(VerbsCount);
  p.noun2 = RandomBelow(NounsCount);
  return p;
}

PasswordAndHint ComposePassword(WordPositions positions) {
  const std::u16string_view noun1 = Nouns[positions.noun1];
  const std::u16string_view verb = Verbs[positions.verb];
  const std::u16string_view noun2 = Nouns[positions.noun2];

  PasswordAndHint result;
  result.password.reserve(9);
  result.password.append(Prefix(noun1));
  for (char16_t c : Prefix(verb)) result.password.push_back(AsciiUpper(c));
  result.password.append(Prefix(noun2));

  result.hint.reserve(noun1.size() + verb.size() + noun2.size() + 2);
  result.hint.append(noun1).append(u" ").append(verb).append(u" ").append(noun2);
  return result;
}

PasswordAndHint GeneratePassword() {
  ReseedRandom();
  return ComposePassword(DrawWordPositions());
}

PasswordAndHint GeneratePasswordFromSeed(std::uint32_t seed) {
  RandomState = seed;
  return ComposePassword(DrawWordPositions());
}

}  // namespace orvgen
