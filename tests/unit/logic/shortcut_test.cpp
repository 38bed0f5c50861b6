#include <gtest/gtest.h>

#include <cstdint>

#include "shortcut.h"

namespace orvgen {
namespace {

TEST(ShortCut, SplitsIntoRegistrationParts) {
  const struct {
    TShortCut value;
    std::uint32_t modifiers, key;
  } cases[] = {
      {0xC050, 3, 0x50},  // Ctrl+Alt+P
      {0xC04E, 3, 0x4E},  // Ctrl+Alt+N
      {0xE070, 7, 0x70},  // Shift+Ctrl+Alt+F1
      {0x2041, 4, 0x41},  // Shift+A
      {0x8000, 1, 0x00},  // Alt with no key
      {0x1FFF, 0, 0x1FFF}, {0, 0, 0},
  };
  for (const auto& c : cases) {
    std::uint32_t modifiers = 99, key = 99;
    ShortCutToHotKeyParts(c.value, modifiers, key);
    EXPECT_EQ(modifiers, c.modifiers) << std::hex << c.value;
    EXPECT_EQ(key, c.key) << std::hex << c.value;
  }
}

TEST(ShortCut, ConvertsFromAndIntoTheHotKeyControlWord) {
  const struct {
    std::uint16_t word;
    TShortCut value;
  } fromControl[] = {
      {0x0650, 0xC050},                    // HOTKEYF_CONTROL | HOTKEYF_ALT, 'P'
      {0x064E, 0xC04E}, {0x0170, 0x2070},  // Shift+F1
      {0x0E50, 0xC050},                    // HOTKEYF_EXT is dropped
      {0x0F41, 0xE041}, {0x0000, 0x0000},
  };
  for (const auto& c : fromControl) EXPECT_EQ(ShortCutFromHotKeyWord(c.word), c.value) << std::hex << c.word;

  const struct {
    TShortCut value;
    std::uint16_t word;
  } intoControl[] = {
      {0xC050, 0x0650}, {0xC04E, 0x064E}, {0xE070, 0x0770},
      {0x8000, 0x0400}, {0x4123, 0x0223},  // a key part above 0xFF keeps only its low byte in the control
  };
  for (const auto& c : intoControl) EXPECT_EQ(ShortCutToHotKeyWord(c.value), c.word) << std::hex << c.value;

  // What the settings window puts into its fields comes back unchanged.
  for (TShortCut v : {TShortCut{0xC050}, TShortCut{0xC04E}, TShortCut{0x2041}}) {
    EXPECT_EQ(ShortCutFromHotKeyWord(ShortCutToHotKeyWord(v)), v);
  }
}

}  // namespace
}  // namespace orvgen
