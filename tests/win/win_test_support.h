// Shared pieces of the in-process Windows tests: the recorder in use, chosen reseed values,
// and small readers of window state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "generator.h"
#include "recording_platform.h"

namespace orvgen {

RecordingPlatform& Recorder();

// Reseeds count up from a chosen value; the number of reseeds is the number of generations.
struct CountingCounters {
  static inline std::uint32_t next = 0;
  static inline int reads = 0;
  static SeedCounters Get() {
    return SeedCounters{[](std::uint64_t& v) {
                          v = next++;
                          ++reads;
                          return true;
                        },
                        [] { return 0u; }};
  }
};

// Puts counting counters in place for one scope.
class ScopedCountingCounters {
 public:
  explicit ScopedCountingCounters(std::uint32_t first) : previous_(SetSeedCounters(CountingCounters::Get())) {
    CountingCounters::next = first;
    CountingCounters::reads = 0;
  }
  ~ScopedCountingCounters() { SetSeedCounters(previous_); }
  int Generations() const { return CountingCounters::reads; }

 private:
  SeedCounters previous_;
};

std::wstring ClipboardText();  // empty when there is no Unicode text
void SetClipboardText(const std::wstring& text);
std::wstring TextOf(HWND hwnd);
RECT ClientRectIn(HWND control);  // the control's rectangle in its parent's client coordinates

struct ControlPlace {
  const char* name;
  HWND hwnd;
  RECT rect;  // in the parent's client coordinates
};
void ExpectPlaces(std::initializer_list<ControlPlace> places);
LOGFONTW FontOf(HWND hwnd);
void PumpMessages();

}  // namespace orvgen
