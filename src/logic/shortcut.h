// TShortCut: one key with its modifiers in 16 bits, the form in which the program holds,
// shows and registers its hot keys. The key part is a virtual-key code in bits 0..12.
#pragma once

#include <cstdint>

namespace orvgen {

using TShortCut = std::uint16_t;

inline constexpr TShortCut ShortCutKeyMask = 0x1FFF;
inline constexpr TShortCut ShortCutShift = 0x2000;
inline constexpr TShortCut ShortCutCtrl = 0x4000;
inline constexpr TShortCut ShortCutAlt = 0x8000;

// The modifier and key values that RegisterHotKey takes (MOD_SHIFT 4, MOD_CONTROL 2, MOD_ALT 1).
void ShortCutToHotKeyParts(TShortCut shortCut, std::uint32_t& modifiers, std::uint32_t& key);

// The hot-key control's word (HKM_GETHOTKEY / HKM_SETHOTKEY): key in the low byte, flags
// HOTKEYF_SHIFT 1, HOTKEYF_CONTROL 2, HOTKEYF_ALT 4, HOTKEYF_EXT 8 in the high byte.
TShortCut ShortCutFromHotKeyWord(std::uint16_t word);
std::uint16_t ShortCutToHotKeyWord(TShortCut shortCut);

}  // namespace orvgen
