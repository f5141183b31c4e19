// The public bitmap test suite kept beside the repository: every good file
// with a 12- or 40-byte header decodes to its expected picture, and every file
// of the three folders loads or fails with one message, never crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"
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

TEST(BitmapSuite, GoodFilesDecodeToTheirExpectedPictures) {
  if (!fs::is_directory(kSuite)) GTEST_SKIP() << "no bitmap suite at " << kSuite;
  int compared = 0;
  for (const fs::path& file : FilesIn("good")) {
    const std::string name = file.stem().string();
    const BitmapDecodeResult result = DecodeExact(ReadFileBytes(file));
    const BitmapFacts& facts = result.facts;
    if (facts.headerSize != 12 && facts.headerSize != 40) {
      EXPECT_EQ(result.status, BitmapStatus::kUnknownFormat) << name;
      continue;
    }
    RgbPicture expected;
    ASSERT_TRUE(ReadPng((kSuite / "expected" / (name + ".png")).string(), expected, nullptr));
    ASSERT_EQ(result.status, BitmapStatus::kLoaded) << name;
    const RgbImage& image = *result.image;
    ASSERT_EQ(image.width, expected.width) << name;
    ASSERT_EQ(image.height, expected.height) << name;
    // Ours is bottom row first, the expected picture top row first.
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    const std::size_t lastRow = static_cast<std::size_t>(image.height) - 1;
    int worst = 0;
    for (std::size_t i = 0; i < image.ByteCount(); ++i) {
      const std::size_t theirs = (lastRow - i / rowBytes) * rowBytes + i % rowBytes;
      worst = std::max(worst, std::abs(image.pixels[i] - expected.pixels[theirs]));
    }
    // Narrow channels scaled to 8 bits may round either way.
    EXPECT_LE(worst, facts.bitsPerPixel == 16 || facts.compression == 3 ? 1 : 0) << name;
    ++compared;
  }
  EXPECT_EQ(compared, 25);
}

TEST(BitmapSuite, EveryFileLoadsOrFailsWithOneMessage) {
  if (!fs::is_directory(kSuite)) GTEST_SKIP() << "no bitmap suite at " << kSuite;
  // What the bad files give, pinned so a change in what is accepted shows; the
  // rest are conversion errors. Those that load are faulty only in fields the
  // loader ignores, or have masks that still decode safely.
  std::map<std::string, BitmapStatus> bad = {{"badheadersize", BitmapStatus::kUnknownFormat},
                                             {"reallybig", BitmapStatus::kOutOfMemory}};
  for (const char* name :
       {"badbitssize", "baddens1", "baddens2", "badfilesize", "badplanes", "rgb16-880"}) {
    bad[name] = BitmapStatus::kLoaded;
  }
  for (const std::string folder : {"good", "questionable", "bad"}) {
    for (const fs::path& file : FilesIn(folder.c_str())) {
      const std::string name = folder + "/" + file.filename().string();
      // From memory of exactly the file's size, and through the file layer.
      const BitmapStatus status = DecodeExact(ReadFileBytes(file)).status;
      CapturedMessageBoxes boxes;
      const bool loaded = LoadBitmapImage(file.c_str()) != nullptr;
      EXPECT_EQ(loaded, status == BitmapStatus::kLoaded) << name;
      EXPECT_EQ(boxes.shown, std::vector<std::string>(
                                 !loaded, "Error: " + BitmapFailureText(status, file.c_str())))
          << name;
      const auto pinned = bad.find(file.stem().string());
      if (folder == "bad") {
        EXPECT_EQ(status, pinned != bad.end() ? pinned->second : BitmapStatus::kConversionError)
            << name;
      }
    }
  }
}

}  // namespace
