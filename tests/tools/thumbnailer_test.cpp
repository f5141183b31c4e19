// The thumbnailer entry run as a file manager runs it: the Exec line of the
// built morvane.thumbnailer with %s, %i and %o put in, the program found on
// PATH, no display, and a home, cache and $TMPDIR of its own. A good model
// gives a square picture it fills, opaque over a transparent background; a
// model that crashes the reader, a damaged one and a file that is no model
// give a failure and no file. Nothing else is written anywhere.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "offscreen/png_io.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSize = 64;

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// The value of `key` in the entry's [Thumbnailer Entry] group.
std::string EntryValue(const std::string& key) {
  std::ifstream entry(MORVANE_THUMBNAILER);
  bool inGroup = false;
  for (std::string line; std::getline(entry, line);) {
    if (line.starts_with('[')) inGroup = line == "[Thumbnailer Entry]";
    if (inGroup && line.starts_with(key + "=")) return line.substr(key.size() + 1);
  }
  return {};
}

// Every path under `dir`, relative to it.
std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& item : fs::recursive_directory_iterator(dir)) {
    names.push_back(fs::relative(item.path(), dir).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Thumbnailer : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"home", "cache", "tmp", "models", "out"}) {
      fs::create_directory(root_.path() / folder);
    }
  }

  fs::path In(const char* folder) const { return root_.path() / folder; }

  // Copies the test data file `name` into the models folder.
  std::string Model(const fs::path& source) const {
    fs::copy_file(source, In("models") / source.filename());
    return (In("models") / source.filename()).string();
  }

  // Runs the entry's Exec line on `input`, writing to out/thumbnail.png, and
  // returns the exit status.
  int Run(const std::string& input) {
    std::string exec = EntryValue("Exec");
    const std::pair<std::string, std::string> codes[] = {
        {"%s", std::to_string(kSize)}, {"%i", Quoted(input)}, {"%o", Quoted(Output().string())}};
    for (const auto& [code, value] : codes) {
      const std::size_t at = exec.find(code);
      if (at == std::string::npos) return -1;
      exec.replace(at, code.size(), value);
    }
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY HOME=" + Quoted(In("home")) +
                                " XDG_CACHE_HOME=" + Quoted(In("cache")) +
                                " TMPDIR=" + Quoted(In("tmp")) + " PATH=" +
                                Quoted(fs::path(MORVANE_SNAPSHOT_PROGRAM).parent_path().string() +
                                       ":" + std::getenv("PATH")) +
                                " " + exec + " 2>" + Quoted(root_.path() / "stderr.txt");
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path Output() const { return In("out") / "thumbnail.png"; }
  std::string Errors() const { return ReadFileBytes(root_.path() / "stderr.txt"); }

  // Nothing but the thumbnail (when `written`) and the models themselves.
  void ExpectNothingElseWritten(const std::vector<std::string>& models, bool written) {
    EXPECT_EQ(Listing(In("models")), models);
    EXPECT_EQ(Listing(In("out")),
              written ? std::vector<std::string>{"thumbnail.png"} : std::vector<std::string>{});
    for (const char* folder : {"home", "cache", "tmp"}) {
      EXPECT_EQ(Listing(In(folder)), std::vector<std::string>{}) << folder;
    }
  }

  TempDir root_;
};

TEST_F(Thumbnailer, EntryCallsTheSnapshotProgram) {
  EXPECT_EQ(EntryValue("TryExec"), "morvane-snapshot");
  EXPECT_NE(EntryValue("MimeType").find("model/gltf-binary;"), std::string::npos);
}

// The turned cube shows three faces: opaque where it is, transparent in the
// corners, and as wide or as tall as the square less a thin border.
TEST_F(Thumbnailer, ModelFillsATransparentSquare) {
  const fs::path data = fs::path(MORVANE_SOURCE_DIR) / "tests" / "data" / "import";
  const std::string model = Model(data / "turned_cube.obj");
  Model(data / "turned_cube.mtl");
  ASSERT_EQ(Run(model), 0) << Errors();
  ExpectNothingElseWritten({"turned_cube.mtl", "turned_cube.obj"}, true);

  RgbPicture picture;
  std::string error;
  ASSERT_TRUE(ReadPng(Output().string(), picture, &error, 4)) << error;
  ASSERT_EQ(picture.width, kSize);
  ASSERT_EQ(picture.height, kSize);
  const auto alpha = [&](int x, int y) {
    return picture.pixels[(static_cast<std::size_t>(y) * kSize + x) * 4 + 3];
  };
  for (const int corner : {0, kSize - 1}) {
    EXPECT_EQ(alpha(corner, 0), 0);
    EXPECT_EQ(alpha(corner, kSize - 1), 0);
  }
  int low[2] = {kSize, kSize}, high[2] = {-1, -1};
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const int a = alpha(x, y);
      ASSERT_TRUE(a == 0 || a == 255) << x << "," << y << ": " << a;
      if (a == 0) continue;
      low[0] = std::min(low[0], x), high[0] = std::max(high[0], x);
      low[1] = std::min(low[1], y), high[1] = std::max(high[1], y);
    }
  }
  EXPECT_EQ(alpha(kSize / 2, kSize / 2), 255);
  EXPECT_GE(std::max(high[0] - low[0], high[1] - low[1]) + 1, kSize - 4);
  for (int axis = 0; axis < 2; ++axis) EXPECT_NEAR(low[axis], kSize - 1 - high[axis], 2);
}

TEST_F(Thumbnailer, BadInputsWriteNothing) {
  const fs::path data = fs::path(MORVANE_SOURCE_DIR) / "tests" / "data";
  const std::string crashing = Model(data / "crashing-models" / "ase_003.ase");
  EXPECT_EQ(Run(crashing), 1);
  EXPECT_NE(Errors().find("crashed"), std::string::npos) << Errors();

  std::ofstream(In("models") / "damaged.glb") << "glTF, cut short";
  EXPECT_EQ(Run((In("models") / "damaged.glb").string()), 1);

  std::ofstream(In("models") / "notes.txt") << "no model\n";
  EXPECT_EQ(Run((In("models") / "notes.txt").string()), 1);
  EXPECT_NE(Errors().find("neither a model file nor a scene folder"), std::string::npos);
  ExpectNothingElseWritten({"ase_003.ase", "damaged.glb", "notes.txt"}, false);
}

// A scene folder drawn where it is, with its one entry behind the camera and
// off to the side: still framed to fill the square, and no ogllist.txt and
// no parse log left behind.
TEST_F(Thumbnailer, SceneFolderBehindTheCameraIsFramedAndLeftAsItWas) {
  const fs::path scene = In("models");
  std::ofstream(scene / "textures.txt");
  std::ofstream(scene / "objects.txt") << "name=quad;\ntype=gl_quads;\np=(-1,-1,0);\n"
                                          "p=(1,-1,0);\np=(1,1,0);\np=(-1,1,0);\nendlist;\n";
  std::ofstream(scene / "scene.txt") << "begin;\nscene=s;\nlist=quad;\ntranslate=(40,9,30);\n"
                                        "rotate=(0,0,0);\nscale=(2,1,1);\nendlist;\nendscene;\n"
                                        "end;\n";
  ASSERT_EQ(Run(scene.string()), 0) << Errors();
  ExpectNothingElseWritten({"objects.txt", "scene.txt", "textures.txt"}, true);
  RgbPicture picture;
  ASSERT_TRUE(ReadPng(Output().string(), picture, nullptr, 4));
  std::size_t opaque = 0;
  for (std::size_t i = 3; i < picture.pixels.size(); i += 4) opaque += picture.pixels[i] == 255;
  // A rectangle twice as wide as tall, seen head-on: half the square.
  EXPECT_NEAR(static_cast<double>(opaque) / (kSize * kSize), 0.5 * 0.96 * 0.96, 0.05);
}

}  // namespace
