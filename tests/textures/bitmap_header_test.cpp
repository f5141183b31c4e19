#include "textures/bitmap_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/textures/bitmap_builder.h"

namespace {

ByteSpan SpanOf(const std::string& bytes) {
  return ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(BitmapColorCount, FollowsHeaderSizeColoursUsedAndDepth) {
  struct Case {
    std::uint32_t headerSize;
    std::uint32_t colorsUsed;
    std::uint16_t bitsPerPixel;
    std::uint32_t expected;
  };
  const std::vector<Case> cases = {
      {40, 0, 1, 2},
      {40, 0, 4, 16},
      {40, 0, 8, 256},
      {40, 0, 2, 0},
      {40, 0, 16, 0},
      {40, 0, 24, 0},
      {40, 0, 32, 0},
      {40, 16, 8, 16},
      {40, 5, 24, 5},
      {40, 300, 8, 300},
      {40, 0x12345, 8, 0x2345},  // cut to the low 16 bits
      {40, 0x10000, 8, 0},       // cut to nothing
      {108, 7, 8, 7},
      {124, 0, 4, 16},
      {12, 5, 8, 256},  // the core header has no
                        // colours-used field
      {12, 0, 1, 2},
      {12, 0, 24, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BitmapColorCount(c.headerSize, c.colorsUsed, c.bitsPerPixel), c.expected)
        << "header " << c.headerSize << ", used " << c.colorsUsed << ", " << c.bitsPerPixel
        << " bits";
  }
}

TEST(ReadBitmapHeaders, FindsWhereTheBitsStart) {
  const std::string table256 = std::string(256 * 4, '\x11');
  struct Case {
    const char* name;
    std::string bytes;
    std::uint64_t bitsOffset;
    std::uint32_t colorCount;
  };
  const std::vector<Case> cases = {
      {"packed 8-bit, colours used 0", InfoHeaderBytes({.bitsPerPixel = 8}) + table256,
       40 + 256 * 4, 256},
      {"packed 8-bit, colours used 16",
       InfoHeaderBytes({.bitsPerPixel = 8, .colorsUsed = 16}) + std::string(16 * 4, '\0'),
       40 + 16 * 4, 16},
      {"packed 24-bit, colours used 0", InfoHeaderBytes({}), 40, 0},
      {"packed 24-bit, colours used 5", InfoHeaderBytes({.colorsUsed = 5}) + std::string(20, '\0'),
       40 + 5 * 4, 5},
      {"packed core 8-bit", CoreHeaderBytes(1, 1, 8) + std::string(256 * 3, '\0'), 12 + 256 * 3,
       256},
      {"packed core 1-bit", CoreHeaderBytes(1, 1, 1) + std::string(2 * 3, '\0'), 12 + 2 * 3, 2},
      {"packed core 24-bit", CoreHeaderBytes(1, 1, 24), 12, 0},
      {"packed bit fields: masks before the bits",
       InfoHeaderBytes({.bitsPerPixel = 16, .compression = 3}) + std::string(12, '\0'), 52, 0},
      {"packed bit fields with a table after the masks",
       InfoHeaderBytes({.bitsPerPixel = 16, .compression = 3, .colorsUsed = 2}) +
           std::string(12 + 8, '\0'),
       60, 2},
      {"file header gives the position", WithFileHeader(InfoHeaderBytes({}), 100), 114, 0},
      {"file header position is taken as it is", WithFileHeader(InfoHeaderBytes({}), 0), 14, 0},
  };
  for (const Case& c : cases) {
    WorkingHeader header;
    BitmapFacts facts;
    ASSERT_EQ(ReadBitmapHeaders(SpanOf(c.bytes), header, facts), BitmapStatus::kLoaded) << c.name;
    EXPECT_EQ(facts.bitsOffset, c.bitsOffset) << c.name;
    EXPECT_EQ(facts.colorCount, c.colorCount) << c.name;
    EXPECT_EQ(header.colorCount, c.colorCount) << c.name;
  }
}

TEST(ReadBitmapHeaders, WidensACoreHeader) {
  const std::string bytes = CoreHeaderBytes(65535, 40000, 4) + Triples({{1, 2, 3},
                                                                        {4, 5, 6},
                                                                        {7, 8, 9},
                                                                        {10, 11, 12},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {255, 254, 253}});
  WorkingHeader header;
  BitmapFacts facts;
  ASSERT_EQ(ReadBitmapHeaders(SpanOf(bytes), header, facts), BitmapStatus::kLoaded);
  const InfoHeader& info = header.info;
  EXPECT_EQ(info.size, 40u);
  EXPECT_EQ(info.width, 65535);  // 16 bits widened without sign
  EXPECT_EQ(info.height, 40000);
  EXPECT_EQ(info.planes, 1);
  EXPECT_EQ(info.bitCount, 4);
  EXPECT_EQ(info.compression, 0u);
  EXPECT_EQ(info.imageSize, 0u);
  EXPECT_EQ(info.xPelsPerMeter, 0);
  EXPECT_EQ(info.yPelsPerMeter, 0);
  EXPECT_EQ(info.colorsUsed, 16u);
  EXPECT_EQ(info.colorsImportant, 16u);
  ASSERT_EQ(header.colorCount, 16u);
  EXPECT_EQ(header.colors[0].red, 1);
  EXPECT_EQ(header.colors[0].green, 2);
  EXPECT_EQ(header.colors[0].blue, 3);
  EXPECT_EQ(header.colors[0].reserved, 0);
  EXPECT_EQ(header.colors[15].red, 255);
  EXPECT_EQ(header.colors[15].blue, 253);
  EXPECT_FALSE(facts.hasFileHeader);
  EXPECT_EQ(facts.headerSize, 12u);
  EXPECT_EQ(facts.width, 65535);
  EXPECT_EQ(facts.bitsPerPixel, 4);
}

TEST(ReadBitmapHeaders, CopiesAnInfoHeader) {
  std::string bytes = InfoHeaderBytes({.width = -3, .height = -7, .bitsPerPixel = 1}) +
                      Bytes({1, 2, 3, 0x7F, 4, 5, 6, 0x80});
  bytes.replace(20, 4, Le32(1234));  // image size
  bytes.replace(36, 4, Le32(9));     // colours important
  WorkingHeader header;
  BitmapFacts facts;
  ASSERT_EQ(ReadBitmapHeaders(SpanOf(bytes), header, facts), BitmapStatus::kLoaded);
  const InfoHeader& info = header.info;
  EXPECT_EQ(info.size, 40u);
  EXPECT_EQ(info.width, -3);
  EXPECT_EQ(info.height, -7);
  EXPECT_EQ(info.imageSize, 1234u);
  EXPECT_EQ(info.xPelsPerMeter, 2835);
  EXPECT_EQ(info.colorsUsed, 2u);  // 0 becomes the count
  EXPECT_EQ(info.colorsImportant, 9u);
  ASSERT_EQ(header.colorCount, 2u);
  EXPECT_EQ(header.colors[0].reserved, 0x7F);  // entries are copied unchanged
  EXPECT_EQ(header.colors[1].blue, 4);
  EXPECT_EQ(header.colors[1].reserved, 0x80);
  EXPECT_EQ(facts.height, -7);
}

TEST(ReadBitmapHeaders, ReadsTheBitFieldMasks) {
  const std::string bytes = InfoHeaderBytes({.bitsPerPixel = 32, .compression = 3}) +
                            Le32(0xFF000000) + Le32(0x00000FF0) + Le32(0x00FF0000);
  WorkingHeader header;
  BitmapFacts facts;
  ASSERT_EQ(ReadBitmapHeaders(SpanOf(bytes), header, facts), BitmapStatus::kLoaded);
  EXPECT_EQ(header.masks[0], 0xFF000000u);
  EXPECT_EQ(header.masks[1], 0x00000FF0u);
  EXPECT_EQ(header.masks[2], 0x00FF0000u);
}

TEST(ReadBitmapHeaders, RefusesOtherHeaderSizes) {
  for (std::uint32_t size : {0u, 16u, 39u, 41u, 52u, 56u, 64u, 108u, 124u, 0xFFFFFFFFu}) {
    InfoFields fields;
    fields.size = size;
    const std::string dib = InfoHeaderBytes(fields) + std::string(200, '\0');
    for (const std::string& bytes : {dib, WithFileHeader(dib, 0)}) {
      WorkingHeader header;
      BitmapFacts facts;
      EXPECT_EQ(ReadBitmapHeaders(SpanOf(bytes), header, facts), BitmapStatus::kUnknownFormat)
          << size;
      EXPECT_EQ(facts.headerSize, size);
    }
  }
  // The size decides even when the rest of such a header is missing.
  WorkingHeader header;
  BitmapFacts facts;
  EXPECT_EQ(ReadBitmapHeaders(SpanOf(Le32(108)), header, facts), BitmapStatus::kUnknownFormat);
}

TEST(ReadBitmapHeaders, RefusesHeadersTheBytesDoNotHold) {
  const std::string paletted = InfoHeaderBytes({.bitsPerPixel = 8, .colorsUsed = 4});
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"nothing", ""},
      {"one byte", "B"},
      {"file header cut", std::string("BM\0\0\0\0\0\0\0\0\0\0\0", 13)},
      {"file header only", WithFileHeader("", 0)},
      {"header size cut", Bytes({40, 0, 0})},
      {"info header cut", paletted.substr(0, 39)},
      {"core header cut", CoreHeaderBytes(1, 1, 24).substr(0, 11)},
      {"colour table cut", paletted + std::string(4 * 4 - 1, '\0')},
      {"core colour table cut", CoreHeaderBytes(1, 1, 1) + std::string(5, '\0')},
      {"bit-field masks cut",
       InfoHeaderBytes({.bitsPerPixel = 16, .compression = 3}) + std::string(11, '\0')},
      {"colours used beyond the file", InfoHeaderBytes({.bitsPerPixel = 8, .colorsUsed = 0x1234})},
  };
  for (const Case& c : cases) {
    WorkingHeader header;
    BitmapFacts facts;
    EXPECT_EQ(ReadBitmapHeaders(SpanOf(c.bytes), header, facts), BitmapStatus::kConversionError)
        << c.name;
  }
}

}  // namespace
