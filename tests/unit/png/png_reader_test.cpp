#include "png_reader.h"

#include "png_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvgen {
namespace {

using testing::Assemble;
using testing::Bytes;
using testing::Chunk;
using testing::Compress;
using testing::FilterRows;
using ::testing::HasSubstr;
using testing::Header;
using testing::ImageChunks;

// Pixels that take every byte value often enough that a missing wrap-around or a
// narrow intermediate in a filter shows up.
Bytes NoisyPixels(std::size_t count, std::uint32_t seed) {
  Bytes out(count);
  std::uint32_t state = seed;
  for (std::uint8_t& value : out) {
    state = state * 1664525u + 1013904223u;
    value = static_cast<std::uint8_t>(state >> 24);
  }
  return out;
}

Bytes ToRgba(const Bytes& pixels, int channels) {
  if (channels == 4) {
    return pixels;
  }
  Bytes out;
  for (std::size_t i = 0; i < pixels.size(); i += 3) {
    out.insert(out.end(), {pixels[i], pixels[i + 1], pixels[i + 2], 255});
  }
  return out;
}

TEST(DecodePngRoundTrip, EveryFilterTypeOnFirstAndLaterRowsGivesExactPixels) {
  struct Shape {
    std::uint32_t width;
    std::uint32_t height;
  };
  // A single pixel, a single column (only first-pixel rules apply), a single row
  // (only first-row rules apply), and ordinary blocks with odd widths.
  const Shape shapes[] = {{1, 1}, {1, 6}, {7, 1}, {7, 5}, {13, 9}};
  for (int channels : {3, 4}) {
    for (const Shape& shape : shapes) {
      for (std::uint8_t first = 0; first < 5; ++first) {
        SCOPED_TRACE("channels " + std::to_string(channels) + ", " + std::to_string(shape.width) + "x" +
                     std::to_string(shape.height) + ", first row filter " + std::to_string(first));
        const Bytes pixels = NoisyPixels(std::size_t{shape.width} * shape.height * channels, 7u + first);
        std::vector<std::uint8_t> filters;
        for (std::uint8_t i = 0; i < 5; ++i) {
          filters.push_back(static_cast<std::uint8_t>((first + i) % 5));
        }
        const Bytes rows = FilterRows(pixels, shape.width, shape.height, channels, filters);
        const Bytes file = Assemble(ImageChunks(shape.width, shape.height, channels == 4 ? 6 : 2, rows));

        const PngResult result = DecodePng(file);
        ASSERT_TRUE(result.Ok()) << result.error;
        EXPECT_EQ(result.image.width, shape.width);
        EXPECT_EQ(result.image.height, shape.height);
        EXPECT_EQ(result.image.rgba, ToRgba(pixels, channels));
      }
    }
  }
}

// Rows filtered by hand, so the expected pixels do not depend on the test's own encoder.
TEST(DecodePngFilters, SubAverageAndUpWrapAndAverageKeepsTheNinthBit) {
  const Bytes rows = {
      1, 200, 100, 50,  100, 200, 250,  // Sub: the second pixel wraps, 300 -> 44
      3, 100, 200, 230, 5,   6,   7,    // Average: left + up reaches 294 and 299 before halving
      2, 100, 110, 120, 200, 200, 200,  // Up: every byte wraps
  };
  const PngResult result = DecodePng(Assemble(ImageChunks(2, 3, 2, rows)));
  ASSERT_TRUE(result.Ok()) << result.error;
  const Bytes expected = {200, 100, 50,  255, 44, 44,  44,  255, 200, 250, 255, 255,
                          127, 153, 156, 255, 44, 104, 119, 255, 71,  97,  100, 255};
  EXPECT_EQ(result.image.rgba, expected);
}

TEST(DecodePngFilters, PaethBreaksTiesInOrderAndWorksOnSignedEstimates) {
  const Bytes rows = {
      0,
      100,
      100,
      100,
      110,
      80,
      92,
      10,
      255,
      95,
      // First pixel: the estimate is the byte above. Second pixel: red ties left with
      // up-left (left wins), green ties up with up-left (up wins), blue takes up-left.
      // Third pixel: red's estimate is negative, green's is above 255.
      4,
      236,
      10,
      10,
      1,
      2,
      3,
      5,
      6,
      7,
  };
  const PngResult result = DecodePng(Assemble(ImageChunks(3, 2, 2, rows)));
  ASSERT_TRUE(result.Ok()) << result.error;
  const Bytes expected = {100, 100, 100, 255, 110, 80, 92,  255, 10, 255, 95,  255,
                          80,  110, 110, 255, 81,  82, 103, 255, 15, 5,   110, 255};
  EXPECT_EQ(result.image.rgba, expected);
}

// A small RGBA image used as the base of the malformed files below.
constexpr std::uint32_t BaseWidth = 4;
constexpr std::uint32_t BaseHeight = 3;

Bytes BasePixels() { return NoisyPixels(BaseWidth * BaseHeight * 4, 99); }
Bytes BaseRows() { return FilterRows(BasePixels(), BaseWidth, BaseHeight, 4, {1, 2, 4}); }
std::vector<Chunk> BaseChunks() { return ImageChunks(BaseWidth, BaseHeight, 6, BaseRows()); }

std::vector<Chunk> WithHeader(Bytes header) {
  std::vector<Chunk> chunks = BaseChunks();
  chunks[0].data = std::move(header);
  return chunks;
}

std::vector<Chunk> WithData(Bytes compressed) {
  std::vector<Chunk> chunks = BaseChunks();
  chunks[1].data = std::move(compressed);
  return chunks;
}

TEST(DecodePngAccepts, TheBaseImageOfTheMalformedCases) {
  const PngResult result = DecodePng(Assemble(BaseChunks()));
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.image.rgba, BasePixels());
}

TEST(DecodePngAccepts, DataSplitOverManyIdatChunksAmongAncillaryChunks) {
  const Bytes compressed = Compress(BaseRows());
  std::vector<Chunk> chunks = {{"IHDR", Header(BaseWidth, BaseHeight), {}, {}},
                               {"tEXt", {'T', 'i', 't', 'l', 'e', 0, 'x'}, {}, {}},
                               {"PLTE", {0, 0, 0, 255, 255, 255}, {}, {}},
                               {"IDAT", {}, {}, {}}};
  for (std::uint8_t byte : compressed) {
    chunks.push_back({"IDAT", {byte}, {}, {}});
  }
  chunks.push_back({"tIME", {7, 234, 1, 1, 0, 0, 0}, {}, {}});
  chunks.push_back({"IEND", {}, {}, {}});
  Bytes file = Assemble(chunks);
  file.insert(file.end(), {'j', 'u', 'n', 'k'});  // bytes after IEND are ignored

  const PngResult result = DecodePng(file);
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.image.width, BaseWidth);
  EXPECT_EQ(result.image.height, BaseHeight);
  EXPECT_EQ(result.image.rgba, BasePixels());
}

struct MalformedCase {
  const char* name;
  std::function<Bytes()> make;
  const char* expectedError;
};

Bytes Cut(Bytes file, std::size_t size) {
  file.resize(size);
  return file;
}

Bytes Flip(Bytes file, std::size_t index) {
  file[index] ^= 0x20;
  return file;
}

std::vector<Chunk> Damaged(std::size_t index, const std::function<void(Chunk&)>& change) {
  std::vector<Chunk> chunks = BaseChunks();
  change(chunks[index]);
  return chunks;
}

std::vector<Chunk> Inserted(std::size_t index, Chunk chunk) {
  std::vector<Chunk> chunks = BaseChunks();
  chunks.insert(chunks.begin() + static_cast<std::ptrdiff_t>(index), std::move(chunk));
  return chunks;
}

std::vector<Chunk> Removed(std::size_t index) {
  std::vector<Chunk> chunks = BaseChunks();
  chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(index));
  return chunks;
}

Bytes RowsWithFilter(std::size_t row, std::uint8_t filter) {
  Bytes rows = BaseRows();
  rows[row * (1 + BaseWidth * 4)] = filter;
  return rows;
}

Bytes Appended(Bytes bytes, std::size_t count) {
  bytes.insert(bytes.end(), count, 0);
  return bytes;
}

std::vector<Chunk> SplitDataAround(Chunk middle) {
  const Bytes compressed = Compress(BaseRows());
  const auto half = static_cast<std::ptrdiff_t>(compressed.size() / 2);
  return {{"IHDR", Header(BaseWidth, BaseHeight), {}, {}},
          {"IDAT", Bytes(compressed.begin(), compressed.begin() + half), {}, {}},
          std::move(middle),
          {"IDAT", Bytes(compressed.begin() + half, compressed.end()), {}, {}},
          {"IEND", {}, {}, {}}};
}

// Offsets inside the base file: signature (8), IHDR (12 + 13), then IDAT.
constexpr std::size_t IdatOffset = 8 + 25;

const MalformedCase MalformedCases[] = {
    {"EmptyFile", [] { return Bytes{}; }, "signature"},
    {"BadSignature", [] { return Flip(Assemble(BaseChunks()), 1); }, "signature"},
    {"SignatureOnly", [] { return Cut(Assemble(BaseChunks()), 8); }, "no IHDR"},
    {"TruncatedChunkHeader", [] { return Cut(Assemble(BaseChunks()), IdatOffset + 6); }, "truncated"},
    {"TruncatedInsideIdat", [] { return Cut(Assemble(BaseChunks()), IdatOffset + 20); }, "past the end"},
    {"LengthPastEnd", [] { return Assemble(Damaged(1, [](Chunk& c) { c.length = 1000; })); }, "past the end"},
    {"LengthAtFormatLimitPastEnd", [] { return Assemble(Damaged(1, [](Chunk& c) { c.length = 0x7FFFFFFFu; })); },
     "past the end"},
    {"LengthAboveFormatLimit", [] { return Assemble(Damaged(1, [](Chunk& c) { c.length = 0x80000000u; })); }, "limit"},
    {"LengthAllOnes", [] { return Assemble(Damaged(2, [](Chunk& c) { c.length = 0xFFFFFFFFu; })); }, "limit"},
    {"BadCrcInIhdr", [] { return Assemble(Damaged(0, [](Chunk& c) { c.crc = 0x12345678; })); }, "CRC mismatch"},
    {"BadCrcInIdat", [] { return Assemble(Damaged(1, [](Chunk& c) { c.crc = 0; })); }, "CRC mismatch"},
    {"BadCrcInIend", [] { return Assemble(Damaged(2, [](Chunk& c) { c.crc = 0; })); }, "CRC mismatch"},
    {"BadCrcInAncillaryChunk",
     [] {
       return Assemble(Inserted(1, {"tEXt", {'a', 0, 'b'}, {}, 7}));
     },
     "CRC mismatch"},
    {"CrcThatLeavesOutTheType",
     [] {
       const Bytes data = {'a', 0, 'b'};
       return Assemble(Inserted(1, {"teXt", data, {}, static_cast<std::uint32_t>(crc32(0L, data.data(), 3))}));
     },
     "CRC mismatch"},
    {"InvalidChunkType",
     [] {
       return Assemble(Inserted(1, {"ab1d", {}, {}, {}}));
     },
     "invalid type"},
    {"MissingIhdr", [] { return Assemble(Removed(0)); }, "first chunk is 'IDAT'"},
    {"AncillaryChunkBeforeIhdr",
     [] {
       std::vector<Chunk> chunks = BaseChunks();
       chunks.insert(chunks.begin(), Chunk{"tEXt", {'a', 0, 'b'}, {}, {}});
       return Assemble(chunks);
     },
     "first chunk is 'tEXt'"},
    {"SecondIhdr",
     [] {
       return Assemble(Inserted(1, {"IHDR", Header(BaseWidth, BaseHeight), {}, {}}));
     },
     "second IHDR"},
    {"IhdrTwelveBytes", [] { return Assemble(Damaged(0, [](Chunk& c) { c.data.pop_back(); })); }, "not 13"},
    {"IhdrFourteenBytes", [] { return Assemble(Damaged(0, [](Chunk& c) { c.data.push_back(0); })); }, "not 13"},
    {"ZeroWidth", [] { return Assemble(WithHeader(Header(0, BaseHeight))); }, "zero width or height"},
    {"ZeroHeight", [] { return Assemble(WithHeader(Header(BaseWidth, 0))); }, "zero width or height"},
    {"WidthOverCap", [] { return Assemble(WithHeader(Header(16385, 1))); }, "larger than"},
    {"HeightOverCap", [] { return Assemble(WithHeader(Header(1, 16385))); }, "larger than"},
    {"TooManyPixelsWithinEachCap", [] { return Assemble(WithHeader(Header(16384, 16384))); }, "more than the"},
    {"WidthAboveFormatLimit", [] { return Assemble(WithHeader(Header(0x80000000u, 1))); }, "invalid"},
    {"PaletteImage", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 3, 8))); },
     "unsupported colour type 3"},
    {"GreyscaleImage", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 0, 8))); },
     "unsupported colour type 0"},
    {"GreyAlphaImage", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 4, 8))); },
     "unsupported colour type 4"},
    {"Rgba16Bit", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 6, 16))); },
     "unsupported bit depth 16"},
    {"Rgb16Bit", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 2, 16))); }, "unsupported bit depth 16"},
    {"UndefinedColourType", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 5, 8))); },
     "invalid colour type 5"},
    {"RgbWithDepthFour", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 2, 4))); },
     "invalid colour type 2 with bit depth 4"},
    {"Interlaced", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 6, 8, 1))); }, "interlaced"},
    {"UnknownInterlaceMethod", [] { return Assemble(WithHeader(Header(BaseWidth, BaseHeight, 6, 8, 2))); },
     "unknown interlace method 2"},
    {"UnknownCompressionMethod", [] { return Assemble(Damaged(0, [](Chunk& c) { c.data[10] = 1; })); },
     "compression method 1"},
    {"UnknownFilterMethod", [] { return Assemble(Damaged(0, [](Chunk& c) { c.data[11] = 1; })); }, "filter method 1"},
    {"IdatOneByteShort",
     [] {
       Bytes rows = BaseRows();
       rows.pop_back();
       return Assemble(WithData(Compress(rows)));
     },
     "inflates to 50 bytes, expected 51"},
    {"IdatOneByteLong", [] { return Assemble(WithData(Compress(Appended(BaseRows(), 1)))); }, "more than"},
    {"IdatAMegabyteLong", [] { return Assemble(WithData(Compress(Appended(BaseRows(), 1 << 20)))); }, "more than"},
    {"FilterTypeFive", [] { return Assemble(WithData(Compress(RowsWithFilter(2, 5)))); },
     "row 2 has unknown filter type 5"},
    {"FilterType255", [] { return Assemble(WithData(Compress(RowsWithFilter(0, 255)))); },
     "row 0 has unknown filter type 255"},
    {"NoIend", [] { return Assemble(Removed(2)); }, "without an IEND"},
    {"IendWithData", [] { return Assemble(Damaged(2, [](Chunk& c) { c.data = {0}; })); }, "IEND chunk carries data"},
    {"NoIdat", [] { return Assemble(Removed(1)); }, "no IDAT"},
    {"IdatNotConsecutive",
     [] {
       return Assemble(SplitDataAround({"tEXt", {'a', 0, 'b'}, {}, {}}));
     },
     "not consecutive"},
    {"BadZlibHeader",
     [] {
       Bytes compressed = Compress(BaseRows());
       compressed[0] = 0x79;  // compression method 9 does not exist
       return Assemble(WithData(compressed));
     },
     "corrupt"},
    {"ReservedDeflateBlockType",
     [] {
       Bytes compressed = Compress(BaseRows());
       compressed[2] = 0x07;  // final block of the reserved type 3
       return Assemble(WithData(compressed));
     },
     "corrupt"},
    {"BadAdler32",
     [] {
       Bytes compressed = Compress(BaseRows());
       compressed.back() ^= 0x01;
       return Assemble(WithData(compressed));
     },
     "corrupt"},
    {"ZlibStreamCutShort",
     [] {
       Bytes compressed = Compress(BaseRows());
       compressed.resize(compressed.size() - 6);
       return Assemble(WithData(compressed));
     },
     "ends before its stream"},
    {"BytesAfterZlibStreamInSameIdat", [] { return Assemble(WithData(Appended(Compress(BaseRows()), 2))); },
     "after the end of its compressed stream"},
    {"BytesAfterZlibStreamInNextIdat",
     [] {
       return Assemble(Inserted(2, {"IDAT", {1, 2, 3}, {}, {}}));
     },
     "after the end of its compressed stream"},
    {"UnknownCriticalChunk",
     [] {
       return Assemble(Inserted(1, {"CgBI", {0, 0, 0, 0}, {}, {}}));
     },
     "unsupported critical chunk 'CgBI'"},
    {"PaletteAfterImageData",
     [] {
       return Assemble(Inserted(2, {"PLTE", {0, 0, 0}, {}, {}}));
     },
     "PLTE"},
};

class DecodePngRejects : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(DecodePngRejects, WithTheReason) {
  // The file is copied into a buffer of exactly its size, so a read past the end is
  // caught by the address sanitizer in the sanitized build.
  const Bytes file = GetParam().make();
  const PngResult result = DecodePng(file);
  EXPECT_FALSE(result.Ok());
  EXPECT_THAT(result.error, HasSubstr(GetParam().expectedError));
  EXPECT_TRUE(result.image.rgba.empty());
}

INSTANTIATE_TEST_SUITE_P(MalformedFiles, DecodePngRejects, ::testing::ValuesIn(MalformedCases),
                         [](const ::testing::TestParamInfo<MalformedCase>& caseInfo) { return caseInfo.param.name; });

TEST(DecodePngRejectsDamage, EveryTruncation) {
  const Bytes file = Assemble(BaseChunks());
  for (std::size_t size = 0; size < file.size(); ++size) {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
    const PngResult result = DecodePng(prefix);
    EXPECT_FALSE(result.Ok()) << "a file cut to " << size << " bytes was accepted";
    EXPECT_FALSE(result.error.empty());
  }
}

TEST(DecodePngRejectsDamage, EverySingleByteChange) {
  // Every byte of the file is covered by the signature, a length or a CRC, so changing
  // any one of them must be noticed.
  const Bytes file = Assemble(BaseChunks());
  for (std::size_t i = 0; i < file.size(); ++i) {
    for (std::uint8_t mask : {std::uint8_t{0x01}, std::uint8_t{0x80}}) {
      Bytes damaged = file;
      damaged[i] ^= mask;
      const PngResult result = DecodePng(damaged);
      EXPECT_FALSE(result.Ok()) << "changing byte " << i << " with mask " << int{mask} << " was not noticed";
    }
  }
}

}  // namespace
}  // namespace orvgen
