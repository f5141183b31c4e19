// The public bitmap test suite kept beside the repository: every good file,
// and every questionable one that has a picture, decodes to its expected
// picture, and every file of the three folders loads or fails with one
// message, never crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "offscreen/png_io.h"
#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"

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

const std::map<std::string, int> kUnscaledPictures = {
    {"rgba16-1924", 128}, {"rgba16-4444", 16}, {"rgba32-61754", 8}};

// Decodes every file of `folder` that has a picture in `expectedFolder` and
// compares them; returns how many were compared.
int CompareWithExpectedPictures(const char* folder, const char* expectedFolder) {
  int compared = 0;
  for (const fs::path& file : FilesIn(folder)) {
    const std::string name = file.stem().string();
    const fs::path picture = kSuite / expectedFolder / (name + ".png");
    if (!fs::exists(picture)) continue;
    const BitmapDecodeResult result = DecodeExact(ReadFileBytes(file));
    const BitmapFacts& facts = result.facts;
    RgbPicture expected;
    EXPECT_TRUE(ReadPng(picture.string(), expected, nullptr)) << name;
    EXPECT_EQ(result.status, BitmapStatus::kLoaded) << name;
    if (result.image == nullptr) continue;
    const RgbImage& image = *result.image;
    EXPECT_EQ(image.width, expected.width) << name;
    EXPECT_EQ(image.height, expected.height) << name;
    if (image.ByteCount() != expected.pixels.size()) continue;
    // Ours is bottom row first, the expected picture top row first.
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    const std::size_t lastRow = static_cast<std::size_t>(image.height) - 1;
    int worst = 0;
    for (std::size_t i = 0; i < image.ByteCount(); ++i) {
      const std::size_t theirs = (lastRow - i / rowBytes) * rowBytes + i % rowBytes;
      worst = std::max(worst, std::abs(image.pixels[i] - expected.pixels[theirs]));
    }
    // Narrow channels scaled to 8 bits may round either way. The pictures of
    // a few questionable files leave channels of n < 8 bits unscaled (a 4-bit
    // 15 is 240 there, 255 here, as in every 40-byte file), so those may
    // differ by up to 2^(8-n) for their narrowest channel.
    const auto unscaled = kUnscaledPictures.find(name);
    const int allowed = unscaled != kUnscaledPictures.end()                  ? unscaled->second
                        : facts.bitsPerPixel == 16 || facts.compression == 3 ? 1
                                                                             : 0;
    EXPECT_LE(worst, allowed) << name;
    ++compared;
  }
  return compared;
}

// The suite lies beside the repository. A developer without it is told so;
// under CI a missing suite fails, so a run cannot pass having tested nothing.
bool SuiteIsThere() {
  if (fs::is_directory(kSuite)) return true;
  const char* ci = std::getenv("CI");
  if (ci != nullptr && std::string(ci) == "true") ADD_FAILURE() << "no bitmap suite at " << kSuite;
  return false;
}

TEST(BitmapSuite, FilesDecodeToTheirExpectedPictures) {
  if (!SuiteIsThere()) GTEST_SKIP() << "no bitmap suite at " << kSuite;
  // Every good file has its picture; of the questionable ones, those with the
  // longer headers and plain RGB or bit-field pixels (colour channels only).
  EXPECT_EQ(CompareWithExpectedPictures("good", "expected"), 27);
  EXPECT_EQ(CompareWithExpectedPictures("questionable", "expected-questionable"), 14);
}

TEST(BitmapSuite, EveryFileLoadsOrFailsWithOneMessage) {
  if (!SuiteIsThere()) GTEST_SKIP() << "no bitmap suite at " << kSuite;
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
