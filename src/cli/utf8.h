// Text conversions at the edge of the program: command-line bytes are UTF-8, the core works
// on UTF-16 code units, and the output is UTF-8 again, plain or inside a JSON string.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvgen {

// Where and why a byte string is not UTF-8.
struct Utf8Error {
  std::size_t offset;       // of the first byte of the faulty sequence, counted from 0
  std::string_view reason;  // a short phrase such as "overlong form"
};

// Strict decoding: shortest forms only, no encoded surrogates, nothing beyond U+10FFFF,
// no truncated sequences or stray continuation bytes. Appends to `out` and returns the
// first fault, or nothing when the whole input is well formed.
std::optional<Utf8Error> AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out);

// Surrogate pairs become one four-byte sequence. A lone surrogate is written in its
// three-byte form, which the strict decoder rejects, so it can never pass unnoticed.
void AppendUtf16AsUtf8(std::u16string_view text, std::string& out);
std::string Utf16ToUtf8(std::u16string_view text);

// The content of a JSON string: " and \ escaped, the tab as \t, other control characters
// as \u00XX. Bytes from 0x80 up are copied, so UTF-8 stays UTF-8.
void AppendJsonEscaped(std::string_view utf8, std::string& out);

}  // namespace orvgen
