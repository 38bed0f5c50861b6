// Checks the committed pictures: the logo decodes with our own reader at its size, and
// the icon files hold the images Windows expects, laid out as it reads them.
#include "png_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef ORVGEN_RESOURCES_DIR
#error "ORVGEN_RESOURCES_DIR must name the resources folder"
#endif

namespace orvgen {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& name) {
  std::ifstream in(std::string(ORVGEN_RESOURCES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U16(const Bytes& b, std::size_t at) { return b[at] | (std::uint32_t{b[at + 1]} << 8); }
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

struct AlphaCounts {
  std::size_t clear = 0;
  std::size_t partial = 0;
  std::size_t opaque = 0;
};

AlphaCounts CountAlpha(const Bytes& rgba) {
  AlphaCounts counts;
  for (std::size_t i = 3; i < rgba.size(); i += 4) {
    if (rgba[i] == 0) {
      ++counts.clear;
    } else if (rgba[i] == 255) {
      ++counts.opaque;
    } else {
      ++counts.partial;
    }
  }
  return counts;
}

TEST(LogoFile, IsA294By40RgbaPngWithTransparentBackgroundAndSoftEdges) {
  const Bytes file = ReadFile("logo.png");
  ASSERT_GT(file.size(), 33u) << "logo.png is missing or empty";
  // IHDR fields as stored: bit depth 8, colour type 6, not interlaced.
  EXPECT_EQ(file[24], 8);
  EXPECT_EQ(file[25], 6);
  EXPECT_EQ(file[28], 0);

  const PngResult result = DecodePng(file);
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.image.width, 294u);
  EXPECT_EQ(result.image.height, 40u);
  const AlphaCounts counts = CountAlpha(result.image.rgba);
  EXPECT_GT(counts.clear, 0u);
  EXPECT_GT(counts.partial, 0u);
  EXPECT_GT(counts.opaque, 0u);
  // The background is transparent, so the dialog's grey shows around the drawing.
  EXPECT_EQ(result.image.rgba[3], 0);
  EXPECT_EQ(result.image.rgba[(294 * 40 - 1) * 4 + 3], 0);
}

struct IconImage {
  std::uint32_t size = 0;
  Bytes rgba;                   // top-down, straight alpha
  std::vector<bool> maskClear;  // the AND mask; empty for PNG-stored images
  bool storedAsPng = false;
};

// Reads an ICO file, checking each directory entry and image header on the way.
std::vector<IconImage> ReadIcon(const Bytes& file) {
  std::vector<IconImage> images;
  EXPECT_GE(file.size(), 6u);
  if (file.size() < 6) {
    return images;
  }
  EXPECT_EQ(U16(file, 0), 0u);
  EXPECT_EQ(U16(file, 2), 1u) << "not an icon file";
  const std::uint32_t count = U16(file, 4);
  EXPECT_GE(file.size(), 6 + 16 * std::size_t{count});
  if (file.size() < 6 + 16 * std::size_t{count}) {
    return images;
  }
  for (std::uint32_t n = 0; n < count; ++n) {
    const std::size_t entry = 6 + 16 * std::size_t{n};
    SCOPED_TRACE("icon entry " + std::to_string(n));
    IconImage image;
    image.size = file[entry] == 0 ? 256 : file[entry];
    EXPECT_EQ(file[entry + 1] == 0 ? 256u : file[entry + 1], image.size) << "not square";
    EXPECT_EQ(U16(file, entry + 4), 1u) << "planes";
    EXPECT_EQ(U16(file, entry + 6), 32u) << "bits per pixel";
    const std::uint32_t length = U32(file, entry + 8);
    const std::uint32_t offset = U32(file, entry + 12);
    EXPECT_LE(std::size_t{offset} + length, file.size());
    if (std::size_t{offset} + length > file.size() || length < 40) {
      continue;
    }
    const Bytes data(file.begin() + offset, file.begin() + offset + length);
    const std::uint32_t s = image.size;

    if (data[0] == 0x89 && data[1] == 'P') {
      image.storedAsPng = true;
      const PngResult png = DecodePng(data);
      EXPECT_TRUE(png.Ok()) << png.error;
      EXPECT_EQ(png.image.width, s);
      EXPECT_EQ(png.image.height, s);
      image.rgba = png.image.rgba;
      images.push_back(image);
      continue;
    }

    const std::size_t maskStride = (s + 31) / 32 * 4;
    EXPECT_EQ(U32(data, 0), 40u) << "BITMAPINFOHEADER size";
    EXPECT_EQ(U32(data, 4), s) << "width";
    EXPECT_EQ(U32(data, 8), 2 * s) << "height counts colour and mask rows";
    EXPECT_EQ(U16(data, 12), 1u) << "planes";
    EXPECT_EQ(U16(data, 14), 32u) << "bits per pixel";
    EXPECT_EQ(U32(data, 16), 0u) << "uncompressed";
    EXPECT_EQ(length, 40 + s * s * 4 + maskStride * s) << "colour and mask sizes";
    if (length != 40 + s * s * 4 + maskStride * s) {
      continue;
    }
    image.rgba.resize(std::size_t{s} * s * 4);
    image.maskClear.resize(std::size_t{s} * s);
    const std::size_t maskStart = 40 + std::size_t{s} * s * 4;
    for (std::size_t row = 0; row < s; ++row) {
      const std::size_t y = s - 1 - row;  // both planes are stored bottom-up
      for (std::size_t x = 0; x < s; ++x) {
        const std::uint8_t* bgra = data.data() + 40 + (row * s + x) * 4;
        std::uint8_t* out = image.rgba.data() + (y * s + x) * 4;
        out[0] = bgra[2];
        out[1] = bgra[1];
        out[2] = bgra[0];
        out[3] = bgra[3];
        const std::uint8_t bits = data[maskStart + row * maskStride + x / 8];
        image.maskClear[y * s + x] = (bits & (0x80 >> (x % 8))) != 0;
      }
    }
    images.push_back(image);
  }
  return images;
}

TEST(TrayIconFile, IsOneOpaque16By16ThirtyTwoBitImage) {
  const std::vector<IconImage> images = ReadIcon(ReadFile("tray.ico"));
  ASSERT_EQ(images.size(), 1u);
  const IconImage& image = images[0];
  EXPECT_EQ(image.size, 16u);
  EXPECT_FALSE(image.storedAsPng);
  const AlphaCounts counts = CountAlpha(image.rgba);
  EXPECT_EQ(counts.opaque, 16u * 16u) << "every pixel of the tray icon must be opaque";
  for (bool clear : image.maskClear) {
    EXPECT_FALSE(clear);
  }
}

TEST(AppIconFile, Holds16To256PixelImagesWithMasksMatchingAlpha) {
  const std::vector<IconImage> images = ReadIcon(ReadFile("app.ico"));
  std::vector<std::uint32_t> sizes;
  for (const IconImage& image : images) {
    sizes.push_back(image.size);
  }
  ASSERT_EQ(sizes, (std::vector<std::uint32_t>{16, 32, 48, 256}));
  for (const IconImage& image : images) {
    SCOPED_TRACE("size " + std::to_string(image.size));
    EXPECT_EQ(image.storedAsPng, image.size == 256);
    ASSERT_EQ(image.rgba.size(), std::size_t{image.size} * image.size * 4);
    // A rounded badge: clear corners, an opaque middle, softened edges in between.
    const AlphaCounts counts = CountAlpha(image.rgba);
    EXPECT_GT(counts.clear, 0u);
    EXPECT_GT(counts.partial, 0u);
    EXPECT_GT(counts.opaque, image.rgba.size() / 4 / 2);
    EXPECT_LT(image.rgba[3], 32) << "the top-left corner is rounded off";
    const std::size_t middle = (std::size_t{image.size} / 2 * image.size + image.size / 2) * 4;
    EXPECT_EQ(image.rgba[middle + 3], 255) << "middle";
    // Programs that ignore alpha fall back on the mask, so it must clear exactly the
    // fully transparent pixels.
    for (std::size_t i = 0; i < image.maskClear.size(); ++i) {
      EXPECT_EQ(image.maskClear[i], image.rgba[i * 4 + 3] == 0) << "pixel " << i;
    }
  }
}

}  // namespace
}  // namespace orvgen
