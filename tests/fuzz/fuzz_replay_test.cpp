// Replays every seed and every past fuzzing finding through the harnesses'
// own code, so a fixed finding stays fixed in the ordinary test run (and under
// the sanitizers there).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

using FuzzTarget = void (*)(const std::uint8_t*, std::size_t);

void ReplayFolder(const std::string& harness, FuzzTarget target) {
  int replayed = 0;
  for (const char* kind : {"seeds", "regressions"}) {
    const fs::path folder = fs::path(MORVANE_SOURCE_DIR) / "fuzz" / kind / harness;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string bytes = ReadFileBytes(entry.path());
      SCOPED_TRACE(entry.path().string());
      target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0) << "no inputs for " << harness;
}

TEST(FuzzReplay, Objects) {
  ReplayFolder("objects", FuzzObjects);
}
TEST(FuzzReplay, Scene) {
  ReplayFolder("scene", FuzzScene);
}
TEST(FuzzReplay, TextureList) {
  ReplayFolder("textures", FuzzTextureList);
}
TEST(FuzzReplay, Bitmap) {
  ReplayFolder("bitmap", FuzzBitmap);
}
TEST(FuzzReplay, ModelAnswer) {
  ReplayFolder("model_answer", FuzzModelAnswer);
}

}  // namespace
