#include "png_reader.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <optional>
#include <utility>

namespace orvgen {
namespace {

constexpr std::array<std::uint8_t, 8> Signature{137, 80, 78, 71, 13, 10, 26, 10};
// Length, type and CRC around every chunk's data.
constexpr std::size_t ChunkOverhead = 12;
// The format never allows a chunk length or a dimension above 2^31 - 1.
constexpr std::uint32_t FormatMax = 0x7FFFFFFFu;
// First step of the inflate buffer; it then doubles up to the size the header implies,
// so memory follows what the compressed data really produces.
constexpr std::size_t FirstOutputStep = 64 * 1024;

#ifdef ORVGEN_PNG_FUZZING
// The fuzzer's mutations would almost never keep the CRC and the zlib checksum right,
// so they would stop at the first check; its build computes them but lets mismatches
// through to reach the chunk, inflate and filter code behind them.
constexpr bool VerifyChecksums = false;
#else
constexpr bool VerifyChecksums = true;
#endif

std::uint32_t ReadU32(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
         std::uint32_t{bytes[3]};
}

bool IsChunkTypeValid(const std::uint8_t* type) {
  return std::all_of(type, type + 4, [](std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// Only called on types that passed IsChunkTypeValid, so the name is printable.
std::string ChunkName(const std::uint8_t* type) { return std::string(reinterpret_cast<const char*>(type), 4); }

bool IsCritical(const std::uint8_t* type) { return (type[0] & 0x20) == 0; }

PngResult Fail(std::string message) {
  PngResult result;
  result.error = std::move(message);
  return result;
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t bytesPerPixel = 0;
};

// Parses IHDR's 13 bytes; returns an error message, or an empty string when the header
// describes an image this reader can decode.
std::string ParseHeader(std::span<const std::uint8_t> data, Header& header) {
  if (data.size() != 13) {
    return "the IHDR chunk is " + std::to_string(data.size()) + " bytes long, not 13";
  }
  const std::uint32_t width = ReadU32(data.data());
  const std::uint32_t height = ReadU32(data.data() + 4);
  const std::uint8_t bitDepth = data[8];
  const std::uint8_t colourType = data[9];
  const std::uint8_t compression = data[10];
  const std::uint8_t filterMethod = data[11];
  const std::uint8_t interlace = data[12];

  if (width == 0 || height == 0) {
    return "the image has a zero width or height";
  }
  if (width > FormatMax || height > FormatMax) {
    return "the image dimensions are invalid (above 2^31 - 1)";
  }
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (width > PngMaxDimension || height > PngMaxDimension) {
    return "the image is " + size + ", larger than the " + std::to_string(PngMaxDimension) +
           " pixels a side this reader accepts";
  }
  if (std::uint64_t{width} * height > PngMaxPixels) {
    return "the image is " + size + ", more than the " + std::to_string(PngMaxPixels) + " pixels this reader accepts";
  }

  // Every combination the format defines, so a nonsense header is told apart from a
  // well-formed one this reader does not handle.
  bool known = false;
  switch (colourType) {
    case 0:
      known = bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
      break;
    case 3:
      known = bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
      break;
    case 2:
    case 4:
    case 6:
      known = bitDepth == 8 || bitDepth == 16;
      break;
    default:
      break;
  }
  const std::string format =
      "colour type " + std::to_string(colourType) + " with bit depth " + std::to_string(bitDepth);
  if (!known) {
    return "invalid " + format;
  }
  if (colourType != 2 && colourType != 6) {
    return "unsupported colour type " + std::to_string(colourType) + ": only RGB (2) and RGBA (6) are read";
  }
  if (bitDepth != 8) {
    return "unsupported bit depth " + std::to_string(bitDepth) + ": only 8 bits per channel are read";
  }
  if (compression != 0) {
    return "unknown compression method " + std::to_string(compression);
  }
  if (filterMethod != 0) {
    return "unknown filter method " + std::to_string(filterMethod);
  }
  if (interlace == 1) {
    return "interlaced images are not supported";
  }
  if (interlace != 0) {
    return "unknown interlace method " + std::to_string(interlace);
  }

  header.width = width;
  header.height = height;
  header.bytesPerPixel = colourType == 6 ? 4 : 3;
  return {};
}

// Inflates the IDAT chunks as they come, into a buffer that grows with the output and
// stops one byte past the expected size, which is enough to tell that it is too long.
class Inflater {
 public:
  explicit Inflater(std::size_t expected) : expected_(expected) {}
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  ~Inflater() {
    if (initialised_) {
      inflateEnd(&stream_);
    }
  }

  std::string Start() {
    if (inflateInit(&stream_) != Z_OK) {
      return "the decompressor could not be started";
    }
    initialised_ = true;
    if constexpr (!VerifyChecksums) {
      inflateValidate(&stream_, 0);
    }
    return {};
  }

  std::string Feed(std::span<const std::uint8_t> data) {
    if (finished_) {
      return data.empty() ? std::string{} : AfterEndMessage();
    }
    // A chunk is at most 2^31 - 1 bytes, so its length fits zlib's unsigned int.
    stream_.next_in = data.data();
    stream_.avail_in = static_cast<uInt>(data.size());
    return Pump();
  }

  // Called after the last IDAT chunk; on success Output() holds exactly the expected
  // number of bytes.
  std::string Finish() {
    if (!finished_) {
      return "the compressed image data ends before its stream does";
    }
    if (produced_ < expected_) {
      return "the image data inflates to " + std::to_string(produced_) + " bytes, expected " +
             std::to_string(expected_);
    }
    output_.resize(produced_);
    return {};
  }

  std::vector<std::uint8_t>& Output() { return output_; }

 private:
  std::string TooLongMessage() const {
    return "the image data inflates to more than the expected " + std::to_string(expected_) + " bytes";
  }
  static std::string AfterEndMessage() { return "the IDAT data goes on after the end of its compressed stream"; }

  std::string Pump() {
    for (;;) {
      if (finished_) {
        return stream_.avail_in == 0 ? std::string{} : AfterEndMessage();
      }
      if (produced_ == output_.size()) {
        if (output_.size() > expected_) {
          return TooLongMessage();
        }
        const std::size_t limit = expected_ + 1;
        output_.resize(std::min(limit, std::max(output_.size() * 2, FirstOutputStep)));
      }
      const std::size_t room = std::min<std::size_t>(output_.size() - produced_, UINT_MAX);
      stream_.next_out = output_.data() + produced_;
      stream_.avail_out = static_cast<uInt>(room);
      const int status = inflate(&stream_, Z_NO_FLUSH);
      produced_ += room - stream_.avail_out;
      if (produced_ > expected_) {
        return TooLongMessage();
      }
      if (status == Z_STREAM_END) {
        finished_ = true;
      } else if (status == Z_BUF_ERROR) {
        // No progress was possible: with room left, the stream wants more input.
        if (stream_.avail_out != 0) {
          return {};
        }
      } else if (status != Z_OK) {
        std::string message = "the compressed image data is corrupt";
        if (stream_.msg != nullptr) {
          message += std::string(" (") + stream_.msg + ")";
        }
        return message;
      }
    }
  }

  z_stream stream_{};
  bool initialised_ = false;
  bool finished_ = false;
  std::size_t expected_;
  std::size_t produced_ = 0;
  std::vector<std::uint8_t> output_;
};

std::uint8_t Paeth(int left, int up, int upLeft) {
  const int estimate = left + up - upLeft;
  const int toLeft = std::abs(estimate - left);
  const int toUp = std::abs(estimate - up);
  const int toUpLeft = std::abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft) {
    return static_cast<std::uint8_t>(left);
  }
  return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// Undoes the row filters in place. Each row is its filter byte then its pixel bytes;
// the row above the first and the pixel left of the first count as zeros.
std::string Unfilter(std::vector<std::uint8_t>& raw, const Header& header) {
  const std::size_t bpp = header.bytesPerPixel;
  const std::size_t stride = std::size_t{header.width} * bpp;
  const std::vector<std::uint8_t> zeros(stride, 0);
  for (std::size_t y = 0; y < header.height; ++y) {
    std::uint8_t* row = raw.data() + y * (stride + 1);
    const std::uint8_t filter = row[0];
    std::uint8_t* cur = row + 1;
    const std::uint8_t* prior = y == 0 ? zeros.data() : cur - (stride + 1);
    switch (filter) {
      case 0:
        break;
      case 1:
        for (std::size_t i = bpp; i < stride; ++i) {
          cur[i] = static_cast<std::uint8_t>(cur[i] + cur[i - bpp]);
        }
        break;
      case 2:
        for (std::size_t i = 0; i < stride; ++i) {
          cur[i] = static_cast<std::uint8_t>(cur[i] + prior[i]);
        }
        break;
      case 3:
        for (std::size_t i = 0; i < bpp; ++i) {
          cur[i] = static_cast<std::uint8_t>(cur[i] + (prior[i] >> 1));
        }
        for (std::size_t i = bpp; i < stride; ++i) {
          cur[i] = static_cast<std::uint8_t>(cur[i] + ((cur[i - bpp] + prior[i]) >> 1));
        }
        break;
      case 4:
        for (std::size_t i = 0; i < bpp; ++i) {
          cur[i] = static_cast<std::uint8_t>(cur[i] + prior[i]);
        }
        for (std::size_t i = bpp; i < stride; ++i) {
          cur[i] = static_cast<std::uint8_t>(cur[i] + Paeth(cur[i - bpp], prior[i], prior[i - bpp]));
        }
        break;
      default:
        return "row " + std::to_string(y) + " has unknown filter type " + std::to_string(filter);
    }
  }
  return {};
}

}  // namespace

PngResult DecodePng(std::span<const std::uint8_t> file) {
  if (file.size() < Signature.size() || !std::equal(Signature.begin(), Signature.end(), file.begin())) {
    return Fail("not a PNG file: the signature is missing");
  }

  Header header;
  bool haveHeader = false;
  bool seenData = false;
  bool dataEnded = false;
  bool seenEnd = false;
  std::optional<Inflater> inflater;

  std::size_t pos = Signature.size();
  while (pos < file.size() && !seenEnd) {
    const std::string where = " at offset " + std::to_string(pos);
    const std::size_t left = file.size() - pos;
    if (left < ChunkOverhead) {
      return Fail("the chunk" + where + " is truncated");
    }
    const std::uint8_t* start = file.data() + pos;
    const std::uint32_t length = ReadU32(start);
    const std::uint8_t* type = start + 4;
    if (!IsChunkTypeValid(type)) {
      return Fail("the chunk" + where + " has an invalid type");
    }
    const std::string name = ChunkName(type);
    if (length > FormatMax) {
      return Fail("chunk '" + name + "'" + where + " declares a length above the format's limit");
    }
    if (length > left - ChunkOverhead) {
      return Fail("chunk '" + name + "'" + where + " declares " + std::to_string(length) +
                  " bytes, past the end of the file");
    }
    const std::span<const std::uint8_t> data = file.subspan(pos + 8, length);
    const std::uint32_t storedCrc = ReadU32(start + 8 + length);
    uLong crc = crc32(0L, type, 4);
    crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    if (VerifyChecksums && crc != storedCrc) {
      return Fail("CRC mismatch in chunk '" + name + "'" + where);
    }
    pos += ChunkOverhead + length;

    if (!haveHeader) {
      if (name != "IHDR") {
        return Fail("the first chunk is '" + name + "', not IHDR");
      }
      if (std::string error = ParseHeader(data, header); !error.empty()) {
        return Fail(std::move(error));
      }
      haveHeader = true;
      const std::size_t expected = std::size_t{header.height} * (1 + std::size_t{header.width} * header.bytesPerPixel);
      inflater.emplace(expected);
      if (std::string error = inflater->Start(); !error.empty()) {
        return Fail(std::move(error));
      }
      continue;
    }

    if (name == "IDAT") {
      if (dataEnded) {
        return Fail("the IDAT chunks are not consecutive");
      }
      seenData = true;
      if (std::string error = inflater->Feed(data); !error.empty()) {
        return Fail(std::move(error));
      }
      continue;
    }
    if (seenData) {
      dataEnded = true;
    }
    if (name == "IEND") {
      if (length != 0) {
        return Fail("the IEND chunk carries data");
      }
      seenEnd = true;
    } else if (name == "IHDR") {
      return Fail("a second IHDR chunk" + where);
    } else if (name == "PLTE") {
      // A suggested palette for truecolour is allowed and of no use here, but it must
      // come before the image data.
      if (seenData) {
        return Fail("the PLTE chunk comes after the image data");
      }
    } else if (IsCritical(type)) {
      return Fail("unsupported critical chunk '" + name + "'" + where);
    }
    // Ancillary chunks (text, gamma, physical size...) do not change the pixels we
    // draw, so they are skipped. Bytes after IEND are ignored, as other readers do.
  }

  if (!haveHeader) {
    return Fail("the file has no IHDR chunk");
  }
  if (!seenData) {
    return Fail("the file has no IDAT chunk");
  }
  if (!seenEnd) {
    return Fail("the file ends without an IEND chunk");
  }
  if (std::string error = inflater->Finish(); !error.empty()) {
    return Fail(std::move(error));
  }
  std::vector<std::uint8_t>& raw = inflater->Output();
  if (std::string error = Unfilter(raw, header); !error.empty()) {
    return Fail(std::move(error));
  }

  PngResult result;
  result.image.width = header.width;
  result.image.height = header.height;
  const std::size_t bpp = header.bytesPerPixel;
  const std::size_t stride = std::size_t{header.width} * bpp;
  std::vector<std::uint8_t>& rgba = result.image.rgba;
  rgba.resize(std::size_t{header.width} * header.height * 4);
  std::uint8_t* out = rgba.data();
  for (std::size_t y = 0; y < header.height; ++y) {
    const std::uint8_t* in = raw.data() + y * (stride + 1) + 1;
    if (bpp == 4) {
      out = std::copy(in, in + stride, out);
      continue;
    }
    for (std::size_t x = 0; x < header.width; ++x, in += 3) {
      *out++ = in[0];
      *out++ = in[1];
      *out++ = in[2];
      *out++ = 255;
    }
  }
  return result;
}

}  // namespace orvgen
