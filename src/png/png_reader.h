// A small PNG reader for the pictures the program ships with: 8-bit RGB and RGBA,
// not interlaced. Anything else, and anything malformed, is refused with a message;
// the reader never reads outside the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvgen {

// Largest width or height accepted, and largest pixel count, so that a tiny file
// cannot make the reader claim gigabytes.
inline constexpr std::uint32_t PngMaxDimension = 16384;
inline constexpr std::uint64_t PngMaxPixels = std::uint64_t{1} << 24;

struct PngImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Straight (not premultiplied) RGBA, 4 bytes a pixel, rows top-down, no padding.
  // RGB files come out with alpha 255.
  std::vector<std::uint8_t> rgba;
};

struct PngResult {
  PngImage image;     // meaningful only when Ok()
  std::string error;  // empty on success, otherwise why the file was refused

  bool Ok() const { return error.empty(); }
};

PngResult DecodePng(std::span<const std::uint8_t> file);

}  // namespace orvgen
