// The bitmap loader on bitmaps built byte by byte: pictures of what the
// bitmap suite leaves out, every refusal, and the message shown for each
// kind of failure.
#include "textures/bitmap_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"

namespace {

struct Case {
  std::string bytes;
  std::string expected;
};

std::string Packed(const InfoFields& fields, const std::string& table, const std::string& bits) {
  return InfoHeaderBytes(fields) + table + bits;
}

// `count` colour table entries, entry i being grey i.
std::string Greys(int count) {
  std::string table;
  for (int i = 0; i < count; ++i) table += Bytes({i, i, i, 0});
  return table;
}

// Black, red, green, blue; run-length bitmaps 4 wide use the first three.
const std::string kPalette = Bytes({0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});

std::string Rle(std::uint16_t bits, std::initializer_list<int> stream, std::int32_t height = 2) {
  return Packed({4, height, bits, bits == 8 ? 1u : 2u, 3}, kPalette.substr(0, 12), Bytes(stream));
}

// "WxH" and each pixel as hex "rrggbb", bottom row first; "status N" for a failure.
std::string PictureOf(const BitmapDecodeResult& result) {
  if (result.image == nullptr) return "status " + std::to_string(static_cast<int>(result.status));
  std::string text =
      std::to_string(result.image->width) + "x" + std::to_string(result.image->height);
  char pixel[8];
  for (std::size_t i = 0; i < result.image->ByteCount(); i += 3) {
    const std::uint8_t* p = result.image->pixels.get() + i;
    std::snprintf(pixel, sizeof pixel, " %02x%02x%02x", p[0], p[1], p[2]);
    text += pixel;
  }
  return text;
}

void ExpectAll(const std::vector<Case>& cases) {
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(PictureOf(DecodeExact(cases[i].bytes)), cases[i].expected) << "case " << i;
  }
}

TEST(DecodeBitmap, Pictures) {
  const std::string rgb16 = InfoHeaderBytes({.bitsPerPixel = 16});
  auto masked = [](std::uint16_t bits, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return InfoHeaderBytes({.bitsPerPixel = bits, .compression = 3}) + Le32(r) + Le32(g) + Le32(b);
  };
  ExpectAll({
      // The last row's fill bytes may be absent; top row first comes out bottom row first.
      {Packed({.width = 3, .height = 2}, "",
              Bytes({1,    2,  3,  4,  5,  6,  7,  8,  9,  0xEE, 0xEE,
                     0xEE, 11, 12, 13, 14, 15, 16, 17, 18, 19})),
       "3x2 030201 060504 090807 0d0c0b 100f0e 131211"},
      {Packed({.width = 1, .height = -2}, "", Bytes({1, 1, 1, 0, 2, 2, 2})), "1x2 020202 010101"},
      // Colours used: the low 16 bits count, up to the last index; a table
      // in a 24-bit file is skipped; a core header's entries take 3 bytes.
      {Packed({.bitsPerPixel = 8, .colorsUsed = 0x10002}, Greys(2), "\1"), "1x1 010101"},
      {Packed({.colorsUsed = 5}, Greys(5), "abc"), "1x1 636261"},
      {CoreHeaderBytes(2, 1, 1) + Bytes({30, 20, 10, 60, 50, 40, 0b01000000}), "2x1 0a141e 28323c"},
      // Narrow channels scale to 0..255 rounding to nearest; wide ones keep their top.
      {rgb16 + Le16(0x0010) + Le16(0), "1x1 000084"},
      {rgb16 + Le16(0x8000) + Le16(0), "1x1 000000"},
      {masked(16, 0xF800, 0x07E0, 0x001F) + Le16(0x0400) + Le16(0), "1x1 008200"},
      {masked(32, 0x3FF00000, 0x000FFC00, 0x000003FF) + Le32(0x3FF80200), "1x1 ff8080"},
      {masked(16, 0x000F, 0, 0) + Le16(0xFFFF) + Le16(0), "1x1 ff0000"},
      // Longer headers hold the masks inside, and the bits or the table follow
      // them directly; alpha, its mask and the colour space are dropped.
      {LongHeaderBytes(124, {.bitsPerPixel = 32, .compression = 3}) + Le32(0x00112233),
       "1x1 112233"},
      {LongHeaderBytes(56, {.bitsPerPixel = 32, .compression = 6}, {0xFF, 0xFF00, 0xFF0000, 0}) +
           Le32(0x80112233),
       "1x1 332211"},
      {LongHeaderBytes(108, {.bitsPerPixel = 16, .compression = 3}, {0xF800, 0x07E0, 0x001F}) +
           Le16(0xF800) + Le16(0),
       "1x1 ff0000"},
      {LongHeaderBytes(52, {.bitsPerPixel = 8, .colorsUsed = 2}) + Greys(2) + "\1", "1x1 010101"},
      // Uncompressed 16 bits stay 5-5-5 whatever masks the header holds.
      {LongHeaderBytes(124, {.bitsPerPixel = 16}, {0xF800, 0x07E0, 0x001F}) + Le16(0x7C00) +
           Le16(0),
       "1x1 ff0000"},
      {WithFileHeader(LongHeaderBytes(124, {}) + "skip" + "abc", 128), "1x1 636261"},
      // A run, an odd absolute run and its pad, end of line, a delta right 1
      // and up 1, a run, end of bitmap; skipped pixels stay black.
      {Packed({.width = 5, .height = 3, .bitsPerPixel = 8, .compression = 1, .colorsUsed = 4},
              kPalette, Bytes({2, 1, 0, 3, 2, 3, 2, 0xEE, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1})),
       "5x3 ff0000 ff0000 00ff00 0000ff 00ff00 000000 000000 000000 000000 000000 000000 0000ff "
       "0000ff 000000 000000"},
      // End of line on the last line, then end of bitmap.
      {Packed({.bitsPerPixel = 8, .compression = 1, .colorsUsed = 4}, kPalette,
              Bytes({1, 2, 0, 0, 0, 1})),
       "1x1 00ff00"},
      // The unused second nibble of a one-pixel run may be anything.
      {Packed({.bitsPerPixel = 4, .compression = 2, .colorsUsed = 3}, kPalette.substr(0, 12),
              Bytes({1, 0x1F, 0, 1})),
       "1x1 ff0000"},
  });
}

TEST(DecodeBitmap, Refusals) {
  const std::string kConversion = "status 4", kOutOfMemory = "status 2";
  ExpectAll({
      {Le32(64), "status 3"},  // only the six sizes known; the size alone decides
      {Le32(16) + InfoHeaderBytes({}).substr(4) + "abcd", "status 3"},
      {Le32(41) + InfoHeaderBytes({}).substr(4) + "abcd", "status 3"},
      {Le32(0xFFFFFFFF) + InfoHeaderBytes({}).substr(4), "status 3"},
      {InfoHeaderBytes({.bitsPerPixel = 8, .colorsUsed = 0x1234}), kConversion},
      {WithFileHeader(InfoHeaderBytes({}) + std::string(4, '\0'), 1000), kConversion},
      {Packed({.bitsPerPixel = 8, .colorsUsed = 2}, Greys(2), "\2"), kConversion},
      {Packed({.bitsPerPixel = 1, .colorsUsed = 1}, Greys(1), "\x80"), kConversion},
      {Rle(8, {5, 1, 0, 1}), kConversion},                    // run past the line end
      {Rle(8, {3, 1, 2, 1, 0, 1}), kConversion},              // runs adding up past it
      {Rle(8, {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}), kConversion},  // absolute run past it
      {Rle(8, {0, 2, 5, 0, 0, 1}), kConversion},              // delta past the right edge
      {Rle(8, {0, 2, 0, 3, 0, 1}), kConversion},              // delta past the top
      {Rle(8, {0, 0, 0, 0, 1, 1, 0, 1}), kConversion},        // pixel above the last row
      {Rle(8, {0, 0, 0, 0, 0, 0, 0, 1}), kConversion},        // end of line above it
      {Rle(8, {0, 2, 1}), kConversion},                       // cut inside a delta
      {Rle(8, {1, 3, 0, 1}), kConversion},                    // run index beyond the table
      {Rle(8, {0, 3, 1, 2, 3, 0, 0, 1}), kConversion},        // absolute index beyond it
      {Rle(4, {2, 0x13, 0, 1}), kConversion},                 // second nibble beyond it
      {Rle(8, {1, 1, 0, 1}, -2), kConversion},                // stored top row first
      {Packed({.bitsPerPixel = 2, .colorsUsed = 4}, Greys(4), "abcd"), kConversion},
      {Packed({.compression = 3}, "", std::string(16, '\0')), kConversion},
      {Packed({.bitsPerPixel = 4, .compression = 1}, Greys(16), "abcd"), kConversion},
      {Packed({.bitsPerPixel = 8, .compression = 2}, Greys(256), "abcd"), kConversion},
      {Packed({.compression = 4}, "", "abcd"), kConversion},
      {LongHeaderBytes(124, {.bitsPerPixel = 0, .compression = 4}) + "\xFF\xD8\xFF", kConversion},
      {LongHeaderBytes(124, {.bitsPerPixel = 0, .compression = 5}) + "\x89PNG", kConversion},
      // A 40-byte header's alpha bit fields stay refused: no masks are read for them.
      {Packed({.bitsPerPixel = 32, .compression = 6}, "", std::string(20, '\xFF')), kConversion},
      // Sizes decide before anything is allocated.
      {Packed({.width = 0}, "", "abc"), kConversion},
      {Packed({.width = -127}, "", "abc"), kConversion},
      {Packed({.height = 0}, "", "abc"), kConversion},
      {Packed({.width = 16384}, "", "abc"), kConversion},  // the widest side: allocated
      {CoreHeaderBytes(65535, 1, 24), kOutOfMemory},       // widened without sign
      {Packed({.width = 16385}, "", "abc"), kOutOfMemory},
      {Packed({.width = 48, .height = 16385}, "", "abc"), kOutOfMemory},
      {Packed({.width = 16384, .height = 5462}, "", "abc"), kOutOfMemory},  // over 256 MiB
      {Packed({.width = 0x7FFFFFFF}, "", "abc"), kOutOfMemory},
      {Packed({.height = INT32_MIN}, "", "abc"), kOutOfMemory},
  });
  EXPECT_EQ(DecodeBitmap(nullptr, 100).status, BitmapStatus::kConversionError);
}

TEST(DecodeBitmap, EveryCutOfAGoodFileFailsCleanly) {
  // Rows without fill bytes, so every cut loses something the picture needs.
  for (const std::string& file :
       {WithFileHeader(Packed({.width = 8, .height = 2, .bitsPerPixel = 4}, Greys(16),
                              Bytes({0x12, 0x30, 0, 0, 0x45, 0x60, 0, 0})),
                       40 + 64),
        Packed({.width = 3, .height = 2, .bitsPerPixel = 4, .compression = 2}, Greys(16),
               Bytes({3, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1})),
        Packed({.width = 2, .height = 2, .bitsPerPixel = 16, .compression = 3},
               Le32(0xF800) + Le32(0x07E0) + Le32(0x001F), std::string(8, '\x5A')),
        CoreHeaderBytes(2, 2, 24) + std::string(14, '\x33'),
        WithFileHeader(
            LongHeaderBytes(124, {.width = 2, .height = 2, .bitsPerPixel = 16, .compression = 3},
                            {0xF800, 0x07E0, 0x001F, 0}) +
                std::string(8, '\x5A'),
            124),
        LongHeaderBytes(52, {.width = 8, .height = 1, .bitsPerPixel = 4}) + Greys(16) +
            Bytes({0x12, 0x30, 0, 0})}) {
    ASSERT_EQ(DecodeExact(file).status, BitmapStatus::kLoaded);
    for (std::size_t length = 0; length < file.size(); ++length) {
      EXPECT_EQ(DecodeExact(file.substr(0, length)).status, BitmapStatus::kConversionError)
          << "cut at " << length << " of " << file.size();
    }
  }
}

// Another program cuts the file short and writes it again while it is read, as
// an editor does when a watched scene reloads: every read loads the picture
// or fails with a message, and none faults on bytes that went away.
TEST(ReadBitmapFile, SurvivesAFileShrinkingWhileRead) {
  TempDir dir;
  const std::string whole = WithFileHeader(
      InfoHeaderBytes({.width = 512, .height = 512}) + std::string(512 * 512 * 3, '\x40'), 40);
  const std::string path = dir.Write("busy.bmp", whole);
  std::atomic<bool> reading{true};
  std::thread rewriter([&] {
    while (reading) {
      if (std::FILE* file = std::fopen(path.c_str(), "r+b")) {
        ftruncate(fileno(file), 100);
        std::fwrite(whole.data(), 1, whole.size(), file);
        std::fclose(file);
      }
    }
  });
  for (int i = 0; i < 300; ++i) {
    const BitmapDecodeResult result = ReadBitmapFile(path.c_str());
    if (result.status == BitmapStatus::kLoaded) {
      EXPECT_EQ(result.image->width, 512);
    }
  }
  reading = false;
  rewriter.join();
}

}  // namespace
