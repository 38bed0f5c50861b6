// Builds PNG files for the reader's tests: a list of chunks that a test can reorder,
// drop or damage before it is written out with correct CRCs (unless told otherwise).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvgen::testing {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
  std::string type;
  Bytes data;
  std::optional<std::uint32_t> length;  // written instead of data.size() when set
  std::optional<std::uint32_t> crc;     // written instead of the right CRC when set
};

inline void PutU32(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 24));
  out.push_back(static_cast<std::uint8_t>(value >> 16));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

inline Bytes Header(std::uint32_t width, std::uint32_t height, std::uint8_t colourType = 6, std::uint8_t bitDepth = 8,
                    std::uint8_t interlace = 0) {
  Bytes data;
  PutU32(data, width);
  PutU32(data, height);
  data.insert(data.end(), {bitDepth, colourType, 0, 0, interlace});
  return data;
}

inline Bytes Compress(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

inline Bytes Assemble(const std::vector<Chunk>& chunks) {
  Bytes out{137, 80, 78, 71, 13, 10, 26, 10};
  for (const Chunk& chunk : chunks) {
    PutU32(out, chunk.length.value_or(static_cast<std::uint32_t>(chunk.data.size())));
    Bytes body(chunk.type.begin(), chunk.type.end());
    body.insert(body.end(), chunk.data.begin(), chunk.data.end());
    out.insert(out.end(), body.begin(), body.end());
    const auto crc = static_cast<std::uint32_t>(crc32(0L, body.data(), static_cast<uInt>(body.size())));
    PutU32(out, chunk.crc.value_or(crc));
  }
  return out;
}

// Applies the forward filters to straight pixel rows (channels bytes a pixel) with the
// given filter type for each row, giving the bytes that go into IDAT before compression.
inline Bytes FilterRows(const Bytes& pixels, std::uint32_t width, std::uint32_t height, int channels,
                        const std::vector<std::uint8_t>& filters) {
  const std::size_t stride = std::size_t{width} * channels;
  Bytes out;
  const Bytes zeros(stride, 0);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels.data() + y * stride;
    const std::uint8_t* up = y == 0 ? zeros.data() : row - stride;
    const std::uint8_t filter = filters[y % filters.size()];
    out.push_back(filter);
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<std::size_t>(channels) ? row[i - channels] : 0;
      const int b = up[i];
      const int c = i >= static_cast<std::size_t>(channels) ? up[i - channels] : 0;
      int predictor = 0;
      switch (filter) {
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4: {
          const int p = a + b - c;
          const int pa = std::abs(p - a);
          const int pb = std::abs(p - b);
          const int pc = std::abs(p - c);
          predictor = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
          break;
        }
        default:
          break;
      }
      out.push_back(static_cast<std::uint8_t>(row[i] - predictor));
    }
  }
  return out;
}

// The three chunks of a plain image whose already filtered rows are given.
inline std::vector<Chunk> ImageChunks(std::uint32_t width, std::uint32_t height, std::uint8_t colourType,
                                      const Bytes& filteredRows) {
  return {{"IHDR", Header(width, height, colourType), {}, {}},
          {"IDAT", Compress(filteredRows), {}, {}},
          {"IEND", {}, {}, {}}};
}

}  // namespace orvgen::testing
