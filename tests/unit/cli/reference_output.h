// What the program should print for one reseed value, built straight from the core's own
// functions and a separate, deliberately simple formatter.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "generator.h"
#include "mutation.h"

namespace orvgen::testing {

// The word lists are ASCII, so a code unit is a byte; anything else would need the real
// converter, which is exactly what these references must not lean on.
inline std::string AsciiBytes(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    if (unit >= 0x80) throw std::invalid_argument("reference output expects ASCII word lists");
    bytes.push_back(static_cast<char>(unit));
  }
  return bytes;
}

inline std::string JsonString(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char* const hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[(c >> 4) & 0xF];
      out += hex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

inline std::string FormatRecord(const PasswordAndHint& drawn, bool mutate, bool json) {
  const std::string password = AsciiBytes(mutate ? MutatePassword(drawn.password) : drawn.password);
  const std::string hint = AsciiBytes(drawn.hint);
  if (json) return "{\"password\": \"" + JsonString(password) + "\", \"hint\": \"" + JsonString(hint) + "\"}\n";
  return password + "\n" + hint + "\n";
}

inline std::string ReferenceRecord(std::uint32_t seed, bool mutate, bool json) {
  return FormatRecord(GeneratePasswordFromSeed(seed), mutate, json);
}

}  // namespace orvgen::testing
