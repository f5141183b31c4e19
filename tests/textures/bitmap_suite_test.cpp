// Runs the public bitmap test suite kept beside the repository: every good
// file with a 12- or 40-byte header must decode to its expected picture, and
// every file of the three folders must load or fail with one message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"
#include "tests/textures/captured_message_boxes.h"
#include "textures/bitmap_loader.h"
#include "tools/png_io.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSuite = fs::path(MORVANE_SOURCE_DIR) / ".." / "shared" / "testdata" / "bmpsuite";

std::vector<fs::path> FilesIn(const char* folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSuite / folder)) {
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

#define SKIP_WITHOUT_SUITE() \
  if (!fs::is_directory(kSuite)) GTEST_SKIP() << "no bitmap suite at " << kSuite

TEST(BitmapSuite, GoodFilesDecodeToTheirExpectedPictures) {
  SKIP_WITHOUT_SUITE();
  int compared = 0;
  for (const fs::path& file : FilesIn("good")) {
    const std::string name = file.stem().string();
    const BitmapDecodeResult result = DecodeExact(ReadFileBytes(file));
    const std::uint32_t headerSize = result.facts.headerSize;
    if (headerSize != 12 && headerSize != 40) {
      EXPECT_EQ(result.status, BitmapStatus::kUnknownFormat) << name;
      continue;
    }
    ASSERT_EQ(result.status, BitmapStatus::kLoaded) << name;
    RgbPicture expected;
    std::string error;
    ASSERT_TRUE(ReadPng((kSuite / "expected" / (name + ".png")).string(), expected, &error))
        << name << ": " << error;
    const RgbImage& image = *result.image;
    ASSERT_EQ(image.width, expected.width) << name;
    ASSERT_EQ(image.height, expected.height) << name;
    // Narrow channels scaled to 8 bits may round either way.
    const bool scaled = result.facts.bitsPerPixel == 16 || result.facts.compression == 3;
    const int tolerance = scaled ? 1 : 0;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    int worst = 0;
    for (std::int32_t row = 0; row < image.height; ++row) {
      // Ours is bottom row first, the expected picture top row first.
      const std::uint8_t* ours = image.pixels.get() + rowBytes * static_cast<std::size_t>(row);
      const std::uint8_t* theirs =
          expected.pixels.data() + rowBytes * static_cast<std::size_t>(image.height - 1 - row);
      for (std::size_t i = 0; i < rowBytes; ++i) {
        worst = std::max(worst, std::abs(int{ours[i]} - int{theirs[i]}));
      }
    }
    EXPECT_LE(worst, tolerance) << name;
    ++compared;
  }
  EXPECT_EQ(compared, 25);
}

// What each file of the bad folder gives. The folder's point is that none of
// them crashes, hangs or reads outside the file; the outcomes are pinned so a
// change in what is accepted is noticed.
// The ones that load are faulty only in fields the loader ignores (file size,
// image size, resolutions, planes) or have masks that still decode safely.
constexpr BitmapStatus kLoads = BitmapStatus::kLoaded;
constexpr BitmapStatus kConversion = BitmapStatus::kConversionError;
const std::map<std::string, BitmapStatus> kBadOutcomes = {
    {"badbitcount.bmp", kConversion},
    {"badbitssize.bmp", kLoads},
    {"baddens1.bmp", kLoads},
    {"baddens2.bmp", kLoads},
    {"badfilesize.bmp", kLoads},
    {"badheadersize.bmp", BitmapStatus::kUnknownFormat},
    {"badpalettesize.bmp", kConversion},
    {"badplanes.bmp", kLoads},
    {"badrle.bmp", kConversion},
    {"badrle4.bmp", kConversion},
    {"badrle4bis.bmp", kConversion},
    {"badrle4ter.bmp", kConversion},
    {"badrlebis.bmp", kConversion},
    {"badrleter.bmp", kConversion},
    {"badwidth.bmp", kConversion},
    {"pal8badindex.bmp", kConversion},
    {"reallybig.bmp", BitmapStatus::kOutOfMemory},
    {"rgb16-880.bmp", kLoads},
    {"rletopdown.bmp", kConversion},
    {"shortfile.bmp", kConversion},
};

TEST(BitmapSuite, EveryFileLoadsOrFailsWithOneMessage) {
  SKIP_WITHOUT_SUITE();
  const std::vector<std::string> messages = {"Out of memory.", "Unknown DIB file format.",
                                             "Image file conversion error."};
  for (const char* folder : {"good", "questionable", "bad"}) {
    for (const fs::path& file : FilesIn(folder)) {
      const std::string name = std::string(folder) + "/" + file.filename().string();
      // From memory of exactly the file's size, so a read past the end shows.
      const BitmapDecodeResult decoded = DecodeExact(ReadFileBytes(file));
      // And through the file layer, as the viewer loads it.
      CapturedMessageBoxes boxes;
      const RgbImagePtr image = LoadBitmapImage(file.c_str());
      if (decoded.status == BitmapStatus::kLoaded) {
        EXPECT_NE(image, nullptr) << name;
        EXPECT_TRUE(boxes.shown.empty()) << name;
      } else {
        EXPECT_EQ(image, nullptr) << name;
        ASSERT_EQ(boxes.shown.size(), 1u) << name;
        EXPECT_EQ(boxes.shown[0].caption, "Error") << name;
        EXPECT_NE(std::find(messages.begin(), messages.end(), boxes.shown[0].text), messages.end())
            << name << ": " << boxes.shown[0].text;
      }
      if (std::string(folder) == "bad") {
        const auto pinned = kBadOutcomes.find(file.filename().string());
        ASSERT_NE(pinned, kBadOutcomes.end()) << name << " gives " << int(decoded.status);
        EXPECT_EQ(decoded.status, pinned->second) << name;
      }
    }
  }
}

}  // namespace
