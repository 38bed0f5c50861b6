// Small rules of the windows that need no window to decide.
#pragma once

#include <string>

namespace orvgen {

// The error box's text: the message with a full stop added when its last character sorts
// after "." by code ("Failed" and "Why?" get one; "Done." and "(see log)" keep their end).
std::u16string WithFullStop(std::u16string message);

// Ctrl+N in the main window: the release of N (virtual key 0x4E) while either Ctrl key is
// down; Shift and Alt do not matter.
constexpr bool IsGenerateKeyRelease(unsigned key, bool ctrlDown) { return ctrlDown && key == 0x4E; }

}  // namespace orvgen
