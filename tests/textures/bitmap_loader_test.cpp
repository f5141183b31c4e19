#include "textures/bitmap_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"
#include "tests/textures/captured_message_boxes.h"

namespace {

using Shown = CapturedMessageBoxes::Shown;

// The 2 x 2 picture whose first stored pixel is blue 0, green 0, red 255.
std::string TwoByTwo() {
  const std::string dib = InfoHeaderBytes({.width = 2, .height = 2}) +
                          Bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 1, 2, 3, 0, 0});
  return WithFileHeader(dib, 40);
}

TEST(LoadBitmapImage, LoadsAFileWithoutShowingAnything) {
  TempDir dir;
  CapturedMessageBoxes boxes;
  const RgbImagePtr image = LoadBitmapImage(dir.Write("pic.bmp", TwoByTwo()).c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width, 2);
  EXPECT_EQ(image->height, 2);
  const std::vector<std::uint8_t> pixels(image->pixels.get(), image->pixels.get() + 12);
  EXPECT_EQ(pixels, (std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 3, 2, 1}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(LoadBitmapImage, ShowsOneMessagePerFailure) {
  TempDir dir;
  const std::string missing = (dir.path() / "missing.bmp").string();
  const std::string empty = dir.Write("empty.bmp", "");
  const std::string folder = dir.path().string();
  const std::string fifo = (dir.path() / "pipe.bmp").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // opening it must not wait for a writer
  const std::string v4 = dir.Write(
      "v4.bmp", WithFileHeader(InfoHeaderBytes({.size = 108}) + std::string(4, '\0'), 108));
  const std::string v5 = dir.Write("v5.bmp", InfoHeaderBytes({.size = 124}));
  const std::string huge = dir.Write(
      "huge.bmp", WithFileHeader(InfoHeaderBytes({.width = 3000000, .height = 2000000}), 40));
  const std::string cut = dir.Write("cut.bmp", TwoByTwo().substr(0, 60));

  struct Case {
    const char* name;
    std::string fileName;
    std::string text;
    BitmapStatus status;
  };
  const std::vector<Case> cases = {
      {"missing", missing, "Failed to open DIB file " + missing + ".\n", BitmapStatus::kOpenFailed},
      {"empty name", "", "Failed to open DIB file .\n", BitmapStatus::kOpenFailed},
      {"empty file", empty, "Failed to open DIB file " + empty + ".\n", BitmapStatus::kOpenFailed},
      {"a folder", folder, "Failed to open DIB file " + folder + ".\n", BitmapStatus::kOpenFailed},
      {"a FIFO", fifo, "Failed to open DIB file " + fifo + ".\n", BitmapStatus::kOpenFailed},
      {"header size 108", v4, "Unknown DIB file format.", BitmapStatus::kUnknownFormat},
      {"header size 124", v5, "Unknown DIB file format.", BitmapStatus::kUnknownFormat},
      {"absurd size", huge, "Out of memory.", BitmapStatus::kOutOfMemory},
      {"cut short", cut, "Image file conversion error.", BitmapStatus::kConversionError},
  };
  for (const Case& c : cases) {
    CapturedMessageBoxes boxes;
    EXPECT_EQ(LoadBitmapImage(c.fileName.c_str()), nullptr) << c.name;
    EXPECT_EQ(boxes.shown, (std::vector<Shown>{{"Error", c.text}})) << c.name;
    // The reporting layer gives the same outcome and shows nothing.
    boxes.shown.clear();
    EXPECT_EQ(ReadBitmapFile(c.fileName.c_str()).status, c.status) << c.name;
    EXPECT_TRUE(boxes.shown.empty()) << c.name;
  }
}

TEST(ReadBitmapFile, ReportsWhatTheHeadersDeclare) {
  TempDir dir;
  const std::string dib =
      InfoHeaderBytes({.width = 3, .height = -2, .bitsPerPixel = 8, .colorsUsed = 5}) +
      std::string(5 * 4, '\0') + std::string(8, '\0');
  const BitmapDecodeResult result = ReadBitmapFile(dir.Write("facts.bmp", dib).c_str());
  ASSERT_EQ(result.status, BitmapStatus::kLoaded);
  EXPECT_FALSE(result.facts.hasFileHeader);
  EXPECT_EQ(result.facts.headerSize, 40u);
  EXPECT_EQ(result.facts.width, 3);
  EXPECT_EQ(result.facts.height, -2);
  EXPECT_EQ(result.facts.bitsPerPixel, 8);
  EXPECT_EQ(result.facts.compression, 0u);
  EXPECT_EQ(result.facts.colorCount, 5u);
  EXPECT_EQ(result.facts.bitsOffset, 60u);
  EXPECT_EQ(result.image->height, 2);  // stored top row first, returned bottom row first
}

TEST(DecodeBitmap, NoBytesIsAConversionError) {
  EXPECT_EQ(DecodeBitmap(nullptr, 0).status, BitmapStatus::kConversionError);
  EXPECT_EQ(DecodeBitmap(nullptr, 100).status, BitmapStatus::kConversionError);
}

}  // namespace
