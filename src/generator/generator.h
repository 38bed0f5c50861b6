// The password generator: a reseeded 32-bit linear congruential source draws a noun, a
// verb and a noun; their first three letters (the verb's upper-cased) make the password
// and the three whole entries make the hint.
#pragma once

#include <cstdint>
#include <string>

namespace orvgen {

// The one random state of the process. Every generation reseeds it before drawing, so
// its value between generations carries no meaning.
extern std::uint32_t RandomState;

// Where the reseed value comes from. Tests swap it to choose the seed; the default reads
// the platform's high-resolution counter, with its millisecond counter as the fallback.
struct SeedCounters {
  // Writes the high-resolution counter and returns true, or returns false when the
  // counter is not available.
  bool (*highResolution)(std::uint64_t& value);
  std::uint32_t (*milliseconds)();
};

SeedCounters PlatformSeedCounters();
// Replaces the counters used by ReseedRandom and returns the previous ones.
SeedCounters SetSeedCounters(SeedCounters counters);

void ReseedRandom();
std::uint32_t RandomBelow(std::uint32_t n);

// The positions of one draw: a noun, a verb, a noun, taken from the current state.
struct WordPositions {
  std::uint32_t noun1;
  std::uint32_t verb;
  std::uint32_t noun2;
};
WordPositions DrawWordPositions();

struct PasswordAndHint {
  std::u16string password;
  std::u16string hint;
};
PasswordAndHint ComposePassword(WordPositions positions);

// Reseeds from the counters and draws one password with its hint.
PasswordAndHint GeneratePassword();
// The same draw from a chosen reseed value; reproduces a case, never for real passwords.
PasswordAndHint GeneratePasswordFromSeed(std::uint32_t seed);

// The ASCII rule: a..z become A..Z, every other code unit is kept.
constexpr char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 0x20) : c; }

}  // namespace orvgen
