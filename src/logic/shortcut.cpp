#include "shortcut.h"

namespace orvgen {
namespace {
constexpr std::uint32_t ModAlt = 0x1, ModControl = 0x2, ModShift = 0x4;
constexpr std::uint16_t HotKeyShift = 0x01, HotKeyControl = 0x02, HotKeyAlt = 0x04;
}  // namespace

void ShortCutToHotKeyParts(TShortCut shortCut, std::uint32_t& modifiers, std::uint32_t& key) {
  modifiers = 0;
  key = 0;
  key = shortCut & ShortCutKeyMask;
  if (shortCut & ShortCutShift) modifiers += ModShift;
  if (shortCut & ShortCutCtrl) modifiers += ModControl;
  if (shortCut & ShortCutAlt) modifiers += ModAlt;
}

TShortCut ShortCutFromHotKeyWord(std::uint16_t word) {
  const std::uint16_t flags = static_cast<std::uint16_t>(word >> 8);
  std::uint16_t result = word & 0xFF;  // HOTKEYF_EXT is not part of a TShortCut
  if (flags & HotKeyShift) result |= ShortCutShift;
  if (flags & HotKeyControl) result |= ShortCutCtrl;
  if (flags & HotKeyAlt) result |= ShortCutAlt;
  return result;
}

std::uint16_t ShortCutToHotKeyWord(TShortCut shortCut) {
  std::uint16_t flags = 0;
  if (shortCut & ShortCutShift) flags |= HotKeyShift;
  if (shortCut & ShortCutCtrl) flags |= HotKeyControl;
  if (shortCut & ShortCutAlt) flags |= HotKeyAlt;
  const std::uint16_t key = shortCut & ShortCutKeyMask & 0xFF;  // the control holds one byte of key
  return static_cast<std::uint16_t>((flags << 8) | key);
}

}  // namespace orvgen
