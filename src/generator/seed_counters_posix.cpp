// The reseed counters elsewhere: the monotonic clock in nanoseconds, and milliseconds of
// the same clock family when the fine one cannot be read.
#include <time.h>

#include <chrono>

#include "generator.h"

namespace orvgen {

SeedCounters PlatformSeedCounters() {
  return SeedCounters{
      [](std::uint64_t& value) {
        timespec ts{};
        if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return false;
        value = static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
        return true;
      },
      [] {
        using namespace std::chrono;
        return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
      },
  };
}

}  // namespace orvgen
