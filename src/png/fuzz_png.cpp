// libFuzzer entry point: any byte string must either decode or be refused, without a
// crash, a leak or a read outside the input.
#include "png_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const orvgen::PngResult result = orvgen::DecodePng({data, size});
  if (result.Ok()) {
    // A decoded image always has exactly width x height RGBA pixels; anything else
    // would hand a caller a buffer shorter than it walks.
    const std::size_t expected = std::size_t{result.image.width} * result.image.height * 4;
    if (result.image.rgba.size() != expected || expected == 0) {
      std::abort();
    }
  } else if (result.error.empty()) {
    std::abort();
  }
  return 0;
}
