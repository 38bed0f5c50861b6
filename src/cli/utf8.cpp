#include "utf8.h"

namespace orvgen {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::optional<Utf8Error> AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out) {
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    if (IsContinuation(lead)) return Utf8Error{i, "stray continuation byte"};
    if (lead == 0xC0 || lead == 0xC1) return Utf8Error{i, "overlong form"};
    if (lead >= 0xF5 && lead <= 0xF7) return Utf8Error{i, "code point beyond U+10FFFF"};
    if (lead >= 0xF8) return Utf8Error{i, "byte that never occurs in UTF-8"};

    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      if (i + k >= size || !IsContinuation(static_cast<unsigned char>(bytes[i + k]))) {
        return Utf8Error{i, "truncated sequence"};
      }
      code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    // The lead byte alone cannot tell these apart; the decoded value can.
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) return Utf8Error{i, "overlong form"};
    if (code >= 0xD800 && code <= 0xDFFF) return Utf8Error{i, "surrogate encoded in UTF-8"};
    if (code > 0x10FFFF) return Utf8Error{i, "code point beyond U+10FFFF"};

    if (code < 0x10000) {
      out.push_back(static_cast<char16_t>(code));
    } else {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
    i += length;
  }
  return std::nullopt;
}

void AppendUtf16AsUtf8(std::u16string_view text, std::string& out) {
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < size && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendUtf16AsUtf8(text, out);
  return out;
}

void AppendJsonEscaped(std::string_view utf8, std::string& out) {
  static constexpr char Hex[] = "0123456789abcdef";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (c == '\t') {
      out.append("\\t");
    } else if (byte < 0x20) {
      out.append("\\u00");
      out.push_back(Hex[byte >> 4]);
      out.push_back(Hex[byte & 0xF]);
    } else {
      out.push_back(c);
    }
  }
}

}  // namespace orvgen
