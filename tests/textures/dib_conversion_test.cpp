#include "textures/dib_conversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/textures/bitmap_builder.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

// A packed DIB: info header, colour table, then the bits.
std::string Packed(const InfoFields& fields, const std::string& table, const std::string& bits) {
  return InfoHeaderBytes(fields) + table + bits;
}

void ExpectPicture(const std::string& bytes, std::int32_t width, std::int32_t height,
                   const Pixels& pixels, const char* name) {
  const BitmapDecodeResult result = DecodeExact(bytes);
  ASSERT_EQ(result.status, BitmapStatus::kLoaded) << name;
  EXPECT_EQ(result.image->width, width) << name;
  EXPECT_EQ(result.image->height, height) << name;
  EXPECT_EQ(PixelsOf(result), pixels) << name;
}

TEST(DibSection, RepackDropsFillBytesAndSwapsToRgb) {
  DibSection section;
  ASSERT_TRUE(CreateDibSection(3, 2, section));
  ASSERT_EQ(section.stride, 12u);
  // Fill bytes hold 0xEE so any of them leaking into the picture shows.
  std::memset(section.bits.get(), 0xEE, 24);
  for (std::uint8_t i = 0; i < 9; ++i) {
    section.bits[i] = i;
    section.bits[12 + i] = static_cast<std::uint8_t>(100 + i);
  }
  const RgbImagePtr image = RepackSection(section);
  ASSERT_NE(image, nullptr);
  const Pixels pixels(image->pixels.get(), image->pixels.get() + image->ByteCount());
  EXPECT_EQ(pixels,
            (Pixels{2, 1, 0, 5, 4, 3, 8, 7, 6, 102, 101, 100, 105, 104, 103, 108, 107, 106}));
}

TEST(DibSection, RefusesEmptyAndOversizedPictures) {
  DibSection section;
  EXPECT_FALSE(CreateDibSection(0, 5, section));
  EXPECT_FALSE(CreateDibSection(5, 0, section));
  EXPECT_FALSE(CreateDibSection(3000000, 2000000, section));
  EXPECT_FALSE(CreateDibSection(std::uint64_t{1} << 40, std::uint64_t{1} << 40, section));
  // Just over the limit in one row more.
  const std::uint64_t width = 4096;
  const std::uint64_t rows = kMaxSectionBytes / SectionStride(width);
  EXPECT_FALSE(CreateDibSection(width, rows + 1, section));
  // A tall strip of few bytes is refused by its side alone.
  EXPECT_FALSE(CreateDibSection(48, kMaxSectionSide + 1, section));
  EXPECT_EQ(section.bits, nullptr);
  EXPECT_TRUE(CreateDibSection(kMaxSectionSide, 1, section));
}

TEST(ConvertDib, TrueColourRowsAndTheirFillBytes) {
  // 2 x 2: each stored row is 6 bytes and 2 fill bytes. Bottom row first.
  const std::string twoByTwo = Packed({.width = 2, .height = 2}, "",
                                      Bytes({0, 0, 255, 0, 255, 0, 0xEE, 0xEE,  //
                                             255, 0, 0, 10, 20, 30, 0xEE, 0xEE}));
  ExpectPicture(twoByTwo, 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 30, 20, 10}, "2 x 2");
  // 3 x 2: stored rows 9 + 3 fill bytes, picture rows 9 bytes back to back.
  const std::string threeByTwo =
      Packed({.width = 3, .height = 2}, "",
             Bytes({1,  2,  3,  4,  5,  6,  7,  8,  9, 0xEE, 0xEE, 0xEE,  //
                    11, 12, 13, 14, 15, 16, 17, 18, 19}));  // the last row's fill may be absent
  ExpectPicture(threeByTwo, 3, 2, {3, 2, 1, 6, 5, 4, 9, 8, 7, 13, 12, 11, 16, 15, 14, 19, 18, 17},
                "3 x 2");
}

TEST(ConvertDib, TopDownPicturesComeOutBottomRowFirst) {
  const std::string bits = Bytes({1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3});
  ExpectPicture(Packed({.width = 1, .height = -3}, "", bits), 1, 3, {3, 3, 3, 2, 2, 2, 1, 1, 1},
                "top-down");
  ExpectPicture(Packed({.width = 1, .height = 3}, "", bits), 1, 3, {1, 1, 1, 2, 2, 2, 3, 3, 3},
                "bottom-up");
}

TEST(ConvertDib, IndexedRows) {
  const std::string two = Quads({{0, 0, 0}, {255, 128, 1}});
  // 1 bit: nine pixels cross into a second byte; the first pixel is the high bit.
  ExpectPicture(
      Packed({.width = 9, .bitsPerPixel = 1}, two, Bytes({0b10100000, 0b10000000, 0, 0})), 9, 1,
      {255, 128, 1, 0, 0, 0, 255, 128, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 128, 1},
      "1 bit");
  // 4 bits: the first pixel is the high nibble.
  std::string sixteen;
  for (int i = 0; i < 16; ++i) {
    sixteen += Quads({{static_cast<std::uint8_t>(i * 16), 0, static_cast<std::uint8_t>(i)}});
  }
  ExpectPicture(Packed({.width = 3, .bitsPerPixel = 4}, sixteen, Bytes({0x1F, 0x20, 0, 0})), 3, 1,
                {16, 0, 1, 240, 0, 15, 32, 0, 2}, "4 bits");
  // 8 bits with colours used 0 get the whole 256-entry table.
  std::string full;
  for (int i = 0; i < 256; ++i) full += Quads({{static_cast<std::uint8_t>(i), 7, 9}});
  ExpectPicture(Packed({.width = 2, .bitsPerPixel = 8}, full, Bytes({0, 255, 0, 0})), 2, 1,
                {0, 7, 9, 255, 7, 9}, "8 bits");
  // A core header's 3-byte entries convert like 4-byte ones.
  ExpectPicture(CoreHeaderBytes(2, 1, 1) + Triples({{10, 20, 30}, {40, 50, 60}}) +
                    Bytes({0b01000000, 0, 0, 0}),
                2, 1, {10, 20, 30, 40, 50, 60}, "core 1 bit");
}

TEST(ConvertDib, DirectColourChannelsScaleToTheFullRange) {
  struct Case {
    const char* name;
    std::string bytes;
    Pixels pixel;
  };
  const std::string rgb16 = InfoHeaderBytes({.bitsPerPixel = 16});
  const std::string rgb32 = InfoHeaderBytes({.bitsPerPixel = 32});
  const std::string masks565 = InfoHeaderBytes({.bitsPerPixel = 16, .compression = 3}) +
                               Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);
  const std::string masks10 = InfoHeaderBytes({.bitsPerPixel = 32, .compression = 3}) +
                              Le32(0x3FF00000) + Le32(0x000FFC00) + Le32(0x000003FF);
  const std::string swapped = InfoHeaderBytes({.bitsPerPixel = 32, .compression = 3}) +
                              Le32(0xFF000000) + Le32(0x00000FF0) + Le32(0x00FF0000);
  const std::string redOnly =
      InfoHeaderBytes({.bitsPerPixel = 16, .compression = 3}) + Le32(0x000F) + Le32(0) + Le32(0);
  const std::vector<Case> cases = {
      {"5-5-5 white", rgb16 + Le16(0x7FFF) + Le16(0), {255, 255, 255}},
      {"5-5-5 red 31", rgb16 + Le16(0x7C00) + Le16(0), {255, 0, 0}},
      {"5-5-5 blue 16 rounds", rgb16 + Le16(0x0010) + Le16(0), {0, 0, 132}},
      {"5-5-5 top bit unused", rgb16 + Le16(0x8000) + Le16(0), {0, 0, 0}},
      {"5-6-5 green 63", masks565 + Le16(0x07E0) + Le16(0), {0, 255, 0}},
      {"5-6-5 green 32", masks565 + Le16(0x0400) + Le16(0), {0, 130, 0}},
      {"5-6-5 red 1", masks565 + Le16(0x0800) + Le16(0), {8, 0, 0}},
      {"8-8-8 default", rgb32 + Bytes({10, 20, 30, 99}), {30, 20, 10}},
      {"10-10-10 keeps the top bits", masks10 + Le32(0x3FF80200), {255, 128, 128}},
      {"masks in any order", swapped + Le32(0xAA0B0BB0), {170, 187, 11}},
      {"an empty mask reads 0", redOnly + Le16(0xFFFF) + Le16(0), {255, 0, 0}},
  };
  for (const Case& c : cases) {
    const BitmapDecodeResult result = DecodeExact(c.bytes);
    ASSERT_EQ(result.status, BitmapStatus::kLoaded) << c.name;
    EXPECT_EQ(PixelsOf(result), c.pixel) << c.name;
  }
}

TEST(ConvertDib, RunLengthStreams) {
  const std::string palette = Quads({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  const Pixels k = {0, 0, 0}, r = {255, 0, 0}, g = {0, 255, 0}, b = {0, 0, 255};
  auto row = [](std::initializer_list<Pixels> pixels) {
    Pixels out;
    for (const Pixels& p : pixels) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  // 8 bits, 5 x 3: a run, an odd absolute run with its pad byte, end of line,
  // a delta right 1 and up 1, a run, end of bitmap. Skipped pixels stay black.
  const std::string rle8 =
      Packed({.width = 5, .height = 3, .bitsPerPixel = 8, .compression = 1, .colorsUsed = 4},
             palette, Bytes({2, 1, 0, 3, 2, 3, 2, 0xEE, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1}));
  ExpectPicture(rle8, 5, 3, row({r, r, g, b, g, k, k, k, k, k, k, b, b, k, k}), "RLE8");
  // 4 bits, 5 x 2: a run of alternating nibbles, an absolute run of 3 (two
  // bytes, no pad), end of line, an absolute run of 5 (three bytes and a pad).
  const std::string rle4 =
      Packed({.width = 5, .height = 2, .bitsPerPixel = 4, .compression = 2, .colorsUsed = 4},
             palette, Bytes({2, 0x12, 0, 3, 0x31, 0x20, 0, 0, 0, 5, 0x12, 0x31, 0x20, 0xEE, 0, 1}));
  ExpectPicture(rle4, 5, 2, row({r, g, b, r, g, r, g, b, r, g}), "RLE4");
  // The stream may end early with its mark: the rest stays black.
  const std::string early =
      Packed({.width = 2, .height = 2, .bitsPerPixel = 8, .compression = 1, .colorsUsed = 4},
             palette, Bytes({1, 3, 0, 1}));
  ExpectPicture(early, 2, 2, row({b, k, k, k}), "early end");
  // The last line may end with its own end of line before the mark.
  const std::string closed =
      Packed({.width = 1, .height = 1, .bitsPerPixel = 8, .compression = 1, .colorsUsed = 4},
             palette, Bytes({1, 2, 0, 0, 0, 1}));
  ExpectPicture(closed, 1, 1, g, "end of line, then end of bitmap");
}

TEST(ConvertDib, RefusesBrokenRunLengthStreams) {
  const std::string palette = Quads({{0, 0, 0}, {255, 0, 0}, {0, 255, 0}});
  auto rle8 = [&](std::initializer_list<int> stream, std::int32_t height = 2) {
    return Packed(
        {.width = 4, .height = height, .bitsPerPixel = 8, .compression = 1, .colorsUsed = 3},
        palette, Bytes(stream));
  };
  auto rle4 = [&](std::initializer_list<int> stream) {
    return Packed({.width = 4, .height = 2, .bitsPerPixel = 4, .compression = 2, .colorsUsed = 3},
                  palette, Bytes(stream));
  };
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"run past the line end", rle8({5, 1, 0, 1})},
      {"runs adding up past the line end", rle8({3, 1, 2, 1, 0, 1})},
      {"absolute run past the line end", rle8({0, 5, 1, 1, 1, 1, 1, 0, 0, 1})},
      {"delta past the right edge", rle8({0, 2, 5, 0, 0, 1})},
      {"delta past the top", rle8({0, 2, 0, 3, 0, 1})},
      {"pixel above the last row", rle8({0, 0, 0, 0, 1, 1, 0, 1})},
      {"end of line above the last row", rle8({0, 0, 0, 0, 0, 0, 0, 1})},
      {"no end of bitmap", rle8({1, 1, 0, 0})},
      {"empty stream", rle8({})},
      {"stream cut inside a code", rle8({1, 1, 0})},
      {"stream cut inside a delta", rle8({0, 2, 1})},
      {"stream cut inside an absolute run", rle8({0, 3, 1, 1})},
      {"run index beyond the table", rle8({1, 3, 0, 1})},
      {"absolute index beyond the table", rle8({0, 3, 1, 2, 3, 0, 0, 1})},
      {"4-bit run, second index beyond the table", rle4({2, 0x13, 0, 1})},
      {"4-bit absolute index beyond the table", rle4({0, 3, 0x12, 0x30, 0, 1})},
      {"4-bit run past the line end", rle4({5, 0x11, 0, 1})},
      {"stored top row first", rle8({1, 1, 0, 1}, -2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeExact(c.bytes).status, BitmapStatus::kConversionError) << c.name;
  }
  // An unused second nibble of a one-pixel 4-bit run may be anything.
  EXPECT_EQ(DecodeExact(rle4({1, 0x1F, 0, 1})).status, BitmapStatus::kLoaded);
}

TEST(ConvertDib, RefusesFormsItDoesNotConvert) {
  const std::string table = std::string(256 * 4, '\0');
  const std::string bits = std::string(64, '\0');
  struct Case {
    const char* name;
    InfoFields fields;
    std::string rest;
  };
  const std::vector<Case> cases = {
      {"0 bits", {.bitsPerPixel = 0}, bits},
      {"2 bits", {.bitsPerPixel = 2, .colorsUsed = 4}, table.substr(0, 16) + bits},
      {"64 bits", {.bitsPerPixel = 64}, bits},
      {"30000 bits", {.bitsPerPixel = 30000}, bits},
      {"bit fields at 8 bits", {.bitsPerPixel = 8, .compression = 3}, table + bits},
      {"bit fields at 24 bits", {.bitsPerPixel = 24, .compression = 3}, bits},
      {"RLE8 at 4 bits", {.bitsPerPixel = 4, .compression = 1}, table + bits},
      {"RLE4 at 8 bits", {.bitsPerPixel = 8, .compression = 2}, table + bits},
      {"JPEG", {.bitsPerPixel = 24, .compression = 4}, bits},
      {"PNG", {.bitsPerPixel = 24, .compression = 5}, bits},
      {"alpha bit fields", {.bitsPerPixel = 32, .compression = 6}, bits},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeExact(InfoHeaderBytes(c.fields) + c.rest).status,
              BitmapStatus::kConversionError)
        << c.name;
  }
}

TEST(ConvertDib, RefusesBitsTheFileDoesNotHold) {
  const std::string two = Quads({{1, 1, 1}, {2, 2, 2}});
  struct Case {
    const char* name;
    std::string bytes;
    BitmapStatus expected;
  };
  const std::vector<Case> cases = {
      {"last row one byte short", Packed({.width = 2, .height = 2}, "", std::string(8 + 5, '\0')),
       BitmapStatus::kConversionError},
      {"last row without its fill bytes",
       Packed({.width = 2, .height = 2}, "", std::string(8 + 6, '\0')), BitmapStatus::kLoaded},
      {"no bits at all", Packed({.width = 1, .height = 1}, "", ""), BitmapStatus::kConversionError},
      {"bits start past the end", WithFileHeader(InfoHeaderBytes({}) + std::string(4, '\0'), 1000),
       BitmapStatus::kConversionError},
      {"index beyond a short table",
       Packed({.width = 1, .bitsPerPixel = 8, .colorsUsed = 2}, two, Bytes({2, 0, 0, 0})),
       BitmapStatus::kConversionError},
      {"index at the end of a short table",
       Packed({.width = 1, .bitsPerPixel = 8, .colorsUsed = 2}, two, Bytes({1, 0, 0, 0})),
       BitmapStatus::kLoaded},
      {"1 bit with a one-entry table",
       Packed({.width = 1, .bitsPerPixel = 1, .colorsUsed = 1}, two.substr(0, 4),
              Bytes({0x80, 0, 0, 0})),
       BitmapStatus::kConversionError},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeExact(c.bytes).status, c.expected) << c.name;
}

TEST(ConvertDib, SizesDecideBeforeAnythingIsAllocated) {
  struct Case {
    const char* name;
    InfoFields fields;
    BitmapStatus expected;
  };
  const std::vector<Case> cases = {
      {"width 0", {.width = 0}, BitmapStatus::kConversionError},
      {"negative width", {.width = -127}, BitmapStatus::kConversionError},
      {"height 0", {.height = 0}, BitmapStatus::kConversionError},
      {"3000000 x 2000000", {.width = 3000000, .height = 2000000}, BitmapStatus::kOutOfMemory},
      {"widest row", {.width = 0x7FFFFFFF, .height = 1}, BitmapStatus::kOutOfMemory},
      {"most negative height", {.width = 1, .height = INT32_MIN}, BitmapStatus::kOutOfMemory},
      {"tallest top-down", {.width = 1, .height = -0x7FFFFFFF}, BitmapStatus::kOutOfMemory},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeExact(InfoHeaderBytes(c.fields) + std::string(16, '\0')).status, c.expected)
        << c.name;
  }
}

TEST(ConvertDib, EveryCutOfAGoodFileFailsCleanly) {
  std::string table;
  for (int i = 0; i < 16; ++i) table += Quads({{static_cast<std::uint8_t>(i), 0, 0}});
  const std::vector<std::string> files = {
      // Rows without fill bytes, so every cut loses something the picture needs.
      WithFileHeader(Packed({.width = 8, .height = 2, .bitsPerPixel = 4}, table,
                            Bytes({0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0})),
                     40 + 64),
      Packed({.width = 3, .height = 2, .bitsPerPixel = 4, .compression = 2}, table,
             Bytes({3, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1})),
      Packed({.width = 2, .height = 2, .bitsPerPixel = 16, .compression = 3},
             Le32(0xF800) + Le32(0x07E0) + Le32(0x001F), std::string(8, '\x5A')),
      CoreHeaderBytes(2, 2, 24) + std::string(14, '\x33'),
  };
  for (const std::string& file : files) {
    ASSERT_EQ(DecodeExact(file).status, BitmapStatus::kLoaded);
    for (std::size_t length = 0; length < file.size(); ++length) {
      EXPECT_EQ(DecodeExact(file.substr(0, length)).status, BitmapStatus::kConversionError)
          << "cut at " << length << " of " << file.size();
    }
  }
}

}  // namespace
