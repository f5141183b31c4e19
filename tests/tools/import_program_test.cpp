// Imports small models the ways users bring them (OBJ with MTL and PNG; glTF
// and GLB as the import library's own exporter writes them, kept in
// tests/data/import) with morvane-import, checks the folder with
// morvane-check, renders it with morvane-snapshot, and looks at the pixels
// where the model must show its texture or colour, the right way round.
//
// The models: quad.obj is a unit square textured with quarters.png, an 8 x 8
// picture in four quarters (red bottom left, green bottom right, blue top
// left, white top right; no two are mirror images, so a flipped or turned
// texture shows). cube.obj is a cube with six colours tipped 45 degrees about
// x, so the camera sees its front and top at rest, and its left, back and
// bottom, and right as it turns about y. nodes.gltf holds two copies of a
// right triangle, the left red and in place, the right green and turned half
// round about z by its node. quad.glb is the textured square with the
// picture's PNG bytes inside the file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "offscreen/png_io.h"
#include "tests/scene/quad_picture.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kCyan{0, 255, 255};

// Runs a shell command in `dir`; returns its exit status.
int RunIn(const fs::path& dir, const std::string& command) {
  const std::string line = "cd '" + dir.string() + "' && " + command + " >out.txt 2>err.txt";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Program(const char* path) {
  return std::string("'") + path + "'";
}

// A fresh copy of the models; returns the path of `model` in it.
std::string CopyModels(const TempDir& dir, const char* model) {
  fs::copy(fs::path(MORVANE_SOURCE_DIR) / "tests" / "data" / "import", dir.path());
  return (dir.path() / model).string();
}

// --- The cases ---------------------------------------------------------------

// A place to look, as a fraction of the box of lit pixels (0, 0 at its top
// left), and the colour that must be there.
struct Probe {
  double x, y;
  Rgb colour;
};

struct ImportCase {
  const char* name;
  const char* model;
  const char* spin;  // scene.txt's rate; 900 turns a quarter round per frame
  int frames;
  std::vector<Probe> probes;
};

const std::vector<Probe> kQuarters = {
    {0.25, 0.75, kRed}, {0.75, 0.75, kGreen}, {0.25, 0.25, kBlue}, {0.75, 0.25, kWhite}};

const ImportCase kCases[] = {
    {"TexturedQuadObj", "quad.obj", "0", 1, kQuarters},
    {"CubeFrontAndTop", "cube.obj", "0", 1, {{0.5, 0.25, kBlue}, {0.5, 0.75, kRed}}},
    {"CubeLeft", "cube.obj", "900", 1, {{0.5, 0.5, kMagenta}}},
    {"CubeBackAndBottom", "cube.obj", "900", 2, {{0.5, 0.25, kGreen}, {0.5, 0.75, kYellow}}},
    {"CubeRight", "cube.obj", "900", 3, {{0.5, 0.5, kCyan}}},
    {"TwoNodeGltf",
     "nodes.gltf",
     "0",
     1,
     {{1 / 12.0, 0.75, kRed},
      {3 / 12.0, 0.25, kBlack},
      {11 / 12.0, 0.25, kGreen},
      {9 / 12.0, 0.75, kBlack}}},
    {"GlbWithEmbeddedPng", "quad.glb", "0", 1, kQuarters},
};

class ImportProgram : public testing::TestWithParam<ImportCase> {};

TEST_P(ImportProgram, ShowsTheModelTheRightWayRound) {
  const ImportCase& c = GetParam();
  TempDir dir;
  const std::string model = CopyModels(dir, c.model);
  ASSERT_EQ(RunIn(dir.path(),
                  Program(MORVANE_IMPORT_PROGRAM) + " --spin " + c.spin + " '" + model + "' scene"),
            0)
      << ReadFileBytes(dir.path() / "err.txt");
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_CHECK_PROGRAM) + " scene"), 0)
      << ReadFileBytes(dir.path() / "out.txt");
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_SNAPSHOT_PROGRAM) + " --frames " +
                                  std::to_string(c.frames) + " --output picture.png scene"),
            0);
  RgbPicture picture;
  ASSERT_TRUE(ReadPng((dir.path() / "picture.png").string(), picture));
  const PixelBox lit = FindLit(picture.pixels, picture.width, picture.height);
  ASSERT_GT(lit.count, 0);
  for (const Probe& probe : c.probes) {
    const int x = lit.left + static_cast<int>(probe.x * (lit.right - lit.left));
    const int y = lit.top + static_cast<int>(probe.y * (lit.bottom - lit.top));
    const std::uint8_t* p = &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 3];
    EXPECT_NEAR(p[0], probe.colour.r, 40) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], probe.colour.g, 40) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], probe.colour.b, 40) << "at " << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ImportProgram, testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// An existing folder is never written into without --force; with it, links
// planted under the outputs' names (symbolic to a read-only file, hard, and
// dangling) are replaced, never written through.
TEST(ImportProgramFiles, KeepsExistingFilesAndReplacesLinks) {
  TempDir dir;
  const std::string model = CopyModels(dir, "quad.obj");
  const std::string import = Program(MORVANE_IMPORT_PROGRAM) + " '" + model + "' scene";
  fs::create_directory(dir.path() / "scene");
  const std::string outside = dir.Write("outside.txt", "keep me\n");
  fs::permissions(outside, fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink(outside, dir.path() / "scene" / "objects.txt");
  const std::string hard = dir.Write("hard.txt", "keep me too\n");
  fs::create_hard_link(hard, dir.path() / "scene" / "scene.txt");
  fs::create_symlink(dir.path() / "nowhere" / "x", dir.path() / "scene" / "textures.txt");

  EXPECT_EQ(RunIn(dir.path(), import), 1);
  EXPECT_NE(ReadFileBytes(dir.path() / "err.txt").find(" already exists"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path() / "scene" / "textures.txt"));

  EXPECT_EQ(RunIn(dir.path(), import + " --force"), 0);
  EXPECT_EQ(ReadFileBytes(outside), "keep me\n");
  EXPECT_EQ(ReadFileBytes(hard), "keep me too\n");
  EXPECT_FALSE(fs::exists(dir.path() / "nowhere"));
  EXPECT_FALSE(fs::is_symlink(dir.path() / "scene" / "objects.txt"));
  EXPECT_FALSE(fs::is_symlink(dir.path() / "scene" / "textures.txt"));
  EXPECT_EQ(fs::hard_link_count(dir.path() / "scene" / "scene.txt"), 1u);
  EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_CHECK_PROGRAM) + " scene"), 0);
  // Only the folder's own files are left behind: no temporary file.
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path() / "scene")) ++files;
  EXPECT_EQ(files, 4u);  // three text files and one bitmap
}

// The README's import example on the model it ships: a folder named after the
// model, clean for the checker, drawn as the README's picture shows it.
TEST(ImportProgramReadme, TheShippedPlanetImportsAsPictured) {
  TempDir dir;
  const fs::path source = MORVANE_SOURCE_DIR;
  const std::string model = (source / "examples" / "planet" / "planet.obj").string();
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_IMPORT_PROGRAM) + " --spin 3 '" + model + "'"), 0)
      << ReadFileBytes(dir.path() / "err.txt");
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_CHECK_PROGRAM) + " planet"), 0)
      << ReadFileBytes(dir.path() / "out.txt");
  const std::string picture = (source / "docs" / "import.png").string();
  EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_SNAPSHOT_PROGRAM) + " --frames 60 --ref '" + picture +
                                  "' planet"),
            0)
      << ReadFileBytes(dir.path() / "err.txt");
}

}  // namespace
