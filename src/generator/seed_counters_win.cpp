// The reseed counters on Windows: QueryPerformanceCounter, GetTickCount when it fails.
#include <windows.h>

#include "generator.h"

namespace orvgen {

SeedCounters PlatformSeedCounters() {
  return SeedCounters{
      [](std::uint64_t& value) {
        LARGE_INTEGER counter{};
        if (!QueryPerformanceCounter(&counter)) return false;
        value = static_cast<std::uint64_t>(counter.QuadPart);
        return true;
      },
      [] { return static_cast<std::uint32_t>(GetTickCount()); },
  };
}

}  // namespace orvgen
