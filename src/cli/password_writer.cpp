// Every byte a password line can hold is prepared once from the core's lists: per entry its
// password piece (prefix, upper-cased for verbs, optionally mutated) and its hint piece, each
// already in UTF-8 and, for JSON, escaped, with the separator that follows it. The loop then
// only draws positions with the core's own generator and copies six pieces per password.
#include "password_writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "generator.h"
#include "list_nouns.h"
#include "list_verbs.h"
#include "mutation.h"
#include "utf8.h"

namespace orvgen {

namespace {

constexpr std::size_t PrefixLength = 3;

constexpr std::string_view JsonHead = R"({"password": ")";
constexpr std::string_view JsonMiddle = R"(", "hint": ")";
constexpr std::string_view JsonTail = "\"}\n";

// The most UTF-8 bytes one code unit can take once JSON-escaped: a control character
// becomes \u00XX, a surrogate half counts as three bytes, more than its share of a pair.
constexpr std::size_t EscapedSize(char16_t unit) {
  if (unit == u'"' || unit == u'\\' || unit == u'\t') return 2;
  if (unit < 0x20) return 6;
  if (unit < 0x80) return 1;
  if (unit < 0x800) return 2;
  return 3;
}

constexpr std::size_t MutationTargetSize() {
  std::size_t largest = 0;
  for (char16_t unit : MutationTarget) largest = std::max(largest, EscapedSize(unit));
  return largest;
}

// Bounds the pieces built from the first `units` code units of any entry (all of it when
// `units` is 0); mutation replaces single units, so a unit may also take a target's size.
constexpr std::size_t LargestPiece(std::span<const std::u16string_view> list, std::size_t units) {
  std::size_t largest = 0;
  for (std::u16string_view entry : list) {
    if (units != 0) entry = entry.substr(0, units);
    std::size_t size = 0;
    for (char16_t unit : entry) size += std::max(EscapedSize(unit), MutationTargetSize());
    largest = std::max(largest, size);
  }
  return largest;
}

constexpr std::size_t LargestPrefix = std::max(LargestPiece(Nouns, PrefixLength), LargestPiece(Verbs, PrefixLength));
constexpr std::size_t LargestEntry = std::max(LargestPiece(Nouns, 0), LargestPiece(Verbs, 0));
constexpr std::size_t LargestPieceSize =
    std::max({JsonHead.size() + LargestPrefix, LargestPrefix + JsonMiddle.size(), LargestEntry + JsonTail.size()});

// A piece in a fixed-size slot, its length in the last byte: copying the whole slot is one
// or two vector moves, and the bytes past the length are overwritten by the next piece.
constexpr std::size_t SlotSize = std::bit_ceil(LargestPieceSize + 1);
static_assert(SlotSize <= 256, "a piece length must fit the slot's last byte");

struct Slot {
  std::array<char, SlotSize - 1> bytes;
  unsigned char size;
};
static_assert(sizeof(Slot) == SlotSize);

constexpr std::size_t PiecesPerPassword = 6;
constexpr std::size_t LargestRecord = PiecesPerPassword * (SlotSize - 1);

Slot MakeSlot(const std::string& bytes) {
  if (bytes.size() >= SlotSize) throw std::length_error("a password piece outgrew its slot");
  Slot slot{};
  std::copy(bytes.begin(), bytes.end(), slot.bytes.begin());
  slot.size = static_cast<unsigned char>(bytes.size());
  return slot;
}

inline char* Put(char* cursor, const Slot& slot) {
  std::memcpy(cursor, &slot, SlotSize);
  return cursor + slot.size;
}

struct PieceTables {
  std::vector<Slot> firstNounPassword;   // JSON head + prefix
  std::vector<Slot> verbPassword;        // upper-cased prefix
  std::vector<Slot> secondNounPassword;  // prefix + "\n" or the JSON middle
  std::vector<Slot> firstNounHint;       // entry + " "
  std::vector<Slot> verbHint;            // entry + " "
  std::vector<Slot> secondNounHint;      // entry + "\n" or the JSON tail
};

class PieceEncoder {
 public:
  PieceEncoder(bool mutate, bool json) : mutate_(mutate), json_(json) {}

  std::string Password(std::u16string_view entry, bool upper) const {
    std::u16string prefix(entry.substr(0, PrefixLength));
    if (upper) std::transform(prefix.begin(), prefix.end(), prefix.begin(), AsciiUpper);
    if (mutate_) prefix = MutatePassword(prefix);
    return Text(prefix);
  }
  std::string Hint(std::u16string_view entry) const { return Text(entry); }

 private:
  std::string Text(std::u16string_view text) const {
    const std::string utf8 = Utf16ToUtf8(text);
    if (!json_) return utf8;
    std::string escaped;
    AppendJsonEscaped(utf8, escaped);
    return escaped;
  }

  bool mutate_;
  bool json_;
};

PieceTables BuildTables(bool mutate, bool json) {
  const PieceEncoder encode(mutate, json);
  const std::string head(json ? JsonHead : "");
  const std::string middle(json ? JsonMiddle : "\n");
  const std::string tail(json ? JsonTail : "\n");

  PieceTables t;
  for (std::u16string_view noun : Nouns) {
    t.firstNounPassword.push_back(MakeSlot(head + encode.Password(noun, false)));
    t.secondNounPassword.push_back(MakeSlot(encode.Password(noun, false) + middle));
    t.firstNounHint.push_back(MakeSlot(encode.Hint(noun) + " "));
    t.secondNounHint.push_back(MakeSlot(encode.Hint(noun) + tail));
  }
  for (std::u16string_view verb : Verbs) {
    t.verbPassword.push_back(MakeSlot(encode.Password(verb, true)));
    t.verbHint.push_back(MakeSlot(encode.Hint(verb) + " "));
  }
  return t;
}

}  // namespace

bool WritePasswords(const PasswordRequest& request, OutputSink& out) {
  const PieceTables t = BuildTables(request.mutate, request.json);
  const Slot* const firstNounPassword = t.firstNounPassword.data();
  const Slot* const verbPassword = t.verbPassword.data();
  const Slot* const secondNounPassword = t.secondNounPassword.data();
  const Slot* const firstNounHint = t.firstNounHint.data();
  const Slot* const verbHint = t.verbHint.data();
  const Slot* const secondNounHint = t.secondNounHint.data();

  // Room past the flush mark for one whole record and the spill of its last slot copy.
  std::vector<char> buffer(BlockOutput::BlockSize + LargestRecord + SlotSize);
  char* const start = buffer.data();
  char* const flushMark = start + BlockOutput::BlockSize;
  char* cursor = start;

  const bool seeded = request.seed.has_value();
  const std::uint32_t firstSeed = request.seed.value_or(0);
  bool reseededBefore = false;
  std::uint32_t lastReseed = 0;
  for (std::uint32_t i = 0; i < request.count; ++i) {
    if (seeded) {
      RandomState = firstSeed + i;  // wraps modulo 2^32
    } else {
      // A coarse counter (100 ns steps on Windows) can read the same value for two
      // passwords in a row, and the same reseed would print the same password again;
      // then the draws go on from where the last password left the state.
      const std::uint32_t carried = RandomState;
      ReseedRandom();
      if (reseededBefore && RandomState == lastReseed) {
        RandomState = carried;
      } else {
        lastReseed = RandomState;
        reseededBefore = true;
      }
    }
    const WordPositions p = DrawWordPositions();
    cursor = Put(cursor, firstNounPassword[p.noun1]);
    cursor = Put(cursor, verbPassword[p.verb]);
    cursor = Put(cursor, secondNounPassword[p.noun2]);
    cursor = Put(cursor, firstNounHint[p.noun1]);
    cursor = Put(cursor, verbHint[p.verb]);
    cursor = Put(cursor, secondNounHint[p.noun2]);
    if (cursor >= flushMark) {
      if (!out.Write(std::string_view(start, static_cast<std::size_t>(cursor - start)))) return false;
      cursor = start;
    }
  }
  return out.Write(std::string_view(start, static_cast<std::size_t>(cursor - start))) && out.Flush();
}

}  // namespace orvgen
