// Imports small models the ways users bring them (OBJ with MTL and PNG; glTF
// and GLB as the import library's own exporter writes them, kept in
// tests/data/import) with morvane-import, checks the folder with
// morvane-check, renders it with morvane-snapshot, and looks at the pixels
// where the model must show its texture or colour, the right way round, and
// its light.
//
// The models: quad.obj is a unit square textured with quarters.png, an 8 x 8
// picture in four quarters (red bottom left, green bottom right, blue top
// left, white top right; no two are mirror images, so a flipped or turned
// texture shows). cube.obj is a cube with six colours tipped 45 degrees about
// x, so the camera sees its front and top at rest, and its left, back and
// bottom, and right as it turns about y. nodes.gltf holds two copies of a
// right triangle, the left red and in place, the right green and turned half
// round about z by its node. quad.glb is the textured square with the
// picture's PNG bytes inside the file. turned_cube.obj is a cube of one
// colour turned to show its front, left and top; atlas_cube.obj is the same
// cube textured with each face on a cell of its own of paint.bmp (a lit copy
// of the texture can be made), shared_cube.obj with every face showing the
// whole picture (it cannot). smooth_sphere.obj has normals of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
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

// Runs a shell command in `dir`, with the cache of imports in dir/cache;
// returns its exit status.
int RunIn(const fs::path& dir, const std::string& command) {
  const std::string line = "cd '" + dir.string() + "' && XDG_CACHE_HOME='" +
                           (dir / "cache").string() + "' " + command + " >out.txt 2>err.txt";
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

RgbPicture Snapshot(const TempDir& dir, const std::string& what, int frames = 1) {
  EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_SNAPSHOT_PROGRAM) + " --frames " +
                                  std::to_string(frames) + " --output picture.png " + what),
            0)
      << what << ": " << ReadFileBytes(dir.path() / "err.txt");
  RgbPicture picture;
  EXPECT_TRUE(ReadPng((dir.path() / "picture.png").string(), picture));
  return picture;
}

const std::uint8_t* Pixel(const RgbPicture& picture, int x, int y) {
  return &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 3];
}

int Luminance(const std::uint8_t* p) {
  return (299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000;
}

// The scene folders in the cache of imports.
std::vector<fs::path> CachedFolders(const TempDir& dir) {
  std::vector<fs::path> folders;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir.path() / "cache" / "morvane", error))
    folders.push_back(entry.path());
  return folders;
}

// --- Where the model shows what ----------------------------------------------

// A place to look, as a fraction of the box of lit pixels (0, 0 at its top
// left), and the colour that must be there, as bright as the light makes it.
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
  const RgbPicture picture = Snapshot(dir, "scene", c.frames);
  const PixelBox lit = FindLit(picture.pixels, picture.width, picture.height);
  ASSERT_GT(lit.count, 0);
  for (const Probe& probe : c.probes) {
    const int x = lit.left + static_cast<int>(probe.x * (lit.right - lit.left));
    const int y = lit.top + static_cast<int>(probe.y * (lit.bottom - lit.top));
    const std::uint8_t* p = Pixel(picture, x, y);
    // The light darkens every channel alike.
    const double light = std::max({p[0], p[1], p[2]}) / 255.0;
    EXPECT_NEAR(p[0], probe.colour.r * light, 40) << "at " << x << "," << y;
    EXPECT_NEAR(p[1], probe.colour.g * light, 40) << "at " << x << "," << y;
    EXPECT_NEAR(p[2], probe.colour.b * light, 40) << "at " << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ImportProgram, testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// --- Light -------------------------------------------------------------------

// A cube seen from three sides shows three brightnesses, whether it has a
// colour, a texture a lit copy can be made of, or one every face shares.
class ImportLight : public testing::TestWithParam<const char*> {};

TEST_P(ImportLight, ShowsThreeFacesInThreeBrightnesses) {
  TempDir dir;
  const std::string model = CopyModels(dir, GetParam());
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_IMPORT_PROGRAM) + " '" + model + "' scene"), 0);
  const bool secondPass =
      ReadFileBytes(dir.path() / "err.txt").find("second pass") != std::string::npos;
  EXPECT_EQ(secondPass, std::string(GetParam()) == "shared_cube.obj");
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_CHECK_PROGRAM) + " scene"), 0)
      << ReadFileBytes(dir.path() / "out.txt");
  const RgbPicture picture = Snapshot(dir, "scene");
  // Each face is one colour: the brightnesses that cover a twentieth of the
  // model each are its faces.
  std::vector<int> histogram(256);
  int lit = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const int luminance = Luminance(Pixel(picture, x, y));
      if (luminance > 0) ++histogram[luminance], ++lit;
    }
  }
  std::vector<int> faces;
  for (int level = 1; level < 256; ++level) {
    int around = 0;
    for (int k = std::max(1, level - 3); k <= std::min(255, level + 3); ++k) around += histogram[k];
    if (around > lit / 20 && (faces.empty() || level - faces.back() > 12)) faces.push_back(level);
  }
  ASSERT_EQ(faces.size(), 3u) << "brightnesses found: " << testing::PrintToString(faces);
  EXPECT_GT(faces[2] - faces[0], 60);
}

INSTANTIATE_TEST_SUITE_P(Cubes, ImportLight,
                         testing::Values("turned_cube.obj", "atlas_cube.obj", "shared_cube.obj"),
                         [](const auto& param) {
                           std::string name = param.param;
                           return name.substr(0, name.find('.'));
                         });

// Along the line from where the light falls to the far side, a smooth sphere
// darkens steadily down to the ambient light.
TEST(ImportLight, SmoothSphereDarkensAwayFromTheLight) {
  TempDir dir;
  const std::string model = CopyModels(dir, "smooth_sphere.obj");
  const RgbPicture picture = Snapshot(dir, "'" + model + "'");
  const PixelBox box = FindLit(picture.pixels, picture.width, picture.height);
  const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  const double radius = (box.right - box.left) / 2.0;
  // The light comes from the left, above and in front: up and left on screen.
  const double dx = -0.555, dy = -0.832;
  int previous = 256;
  for (double k : {0.6, 0.0, -0.6, -0.9}) {
    const int x = static_cast<int>(cx + k * radius * dx),
              y = static_cast<int>(cy + k * radius * dy);
    const int luminance = Luminance(Pixel(picture, x, y));
    EXPECT_LT(luminance, previous - 15) << "at " << k << " of the radius";
    previous = luminance;
  }
  const int x = static_cast<int>(cx - 0.95 * radius * dx),
            y = static_cast<int>(cy - 0.95 * radius * dy);
  // The ambient light on the colour (0.9, 0.8, 0.6).
  EXPECT_NEAR(Luminance(Pixel(picture, x, y)), 0.3 * 0.807 * 255, 12) << "the far side";
}

// --flat writes exactly the folders the importer wrote before it lit
// anything: each folder under tests/cases/import-flat holds what the
// unlit importer wrote for the model of its name.
TEST(ImportFlat, WritesTheUnlitFoldersByteForByte) {
  const fs::path cases = fs::path(MORVANE_SOURCE_DIR) / "tests" / "cases" / "import-flat";
  int compared = 0;
  for (const auto& expected : fs::directory_iterator(cases)) {
    TempDir dir;
    const std::string name = expected.path().filename().string();
    const std::string model = CopyModels(dir, name.c_str());
    ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_IMPORT_PROGRAM) + " --flat '" + model + "' out"),
              0);
    std::size_t files = 0;
    for (const auto& file : fs::directory_iterator(dir.path() / "out")) {
      ++files;
      EXPECT_EQ(ReadFileBytes(file.path()), ReadFileBytes(expected.path() / file.path().filename()))
          << name << ": " << file.path().filename();
    }
    EXPECT_EQ(files, static_cast<std::size_t>(std::distance(fs::directory_iterator(expected),
                                                            fs::directory_iterator())));
    ++compared;
  }
  EXPECT_GE(compared, 4);
}

// --- Files -------------------------------------------------------------------

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
// model, clean for the checker, and drawn.
TEST(ImportProgramReadme, TheShippedPlanetImportsCleanly) {
  TempDir dir;
  const fs::path source = MORVANE_SOURCE_DIR;
  const std::string model = (source / "examples" / "planet" / "planet.obj").string();
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_IMPORT_PROGRAM) + " --spin 3 '" + model + "'"), 0)
      << ReadFileBytes(dir.path() / "err.txt");
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_CHECK_PROGRAM) + " planet"), 0)
      << ReadFileBytes(dir.path() / "out.txt");
  EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_SNAPSHOT_PROGRAM) + " --frames 60 planet"), 0)
      << ReadFileBytes(dir.path() / "err.txt");
}

// --- A reader that fails -----------------------------------------------------

// Files that crash the model library, one that keeps it waiting forever (a
// FIFO nobody writes to) and one that asks for more memory than allowed: each
// gives exit 1, one line naming the file and what happened, and nothing
// written, neither by the importer nor into the cache by a direct open.
TEST(ImportReader, FailsWithOneLineAndWritesNothing) {
  TempDir dir;
  const fs::path crashing = fs::path(MORVANE_SOURCE_DIR) / "tests" / "data" / "crashing-models";
  ASSERT_EQ(::mkfifo((dir.path() / "waits.obj").c_str(), 0600), 0);
  dir.Write("huge.off", "OFF\n353535235358 1 0\n0 0 0\n0 0 0\n0 0 0\n3 0 1 2\n");
  struct Failure {
    std::string model, options, what;
  };
  const Failure failures[] = {
      {(crashing / "ase_003.ase").string(), "",
       "the model reader crashed on this file (signal 11)"},
      {(crashing / "ase_010.ase").string(), "",
       "the model reader crashed on this file (signal 11)"},
      {(dir.path() / "waits.obj").string(), "--time-limit 1", "gave up after 1 s"},
      {(dir.path() / "huge.off").string(), "--memory-limit 100",
       "the model reader ran out of memory (limit 100 MB)"}};
  for (const Failure& f : failures) {
#ifdef __SANITIZE_ADDRESS__
    // A sanitizer's allocator does not fail an allocation: it reports it and
    // ends the process, which the importer then calls a crash.
    if (f.options.starts_with("--memory-limit")) continue;
#endif
    const std::string line = "cannot read " + f.model + ": " + f.what + "\n";
    EXPECT_EQ(RunIn(dir.path(),
                    Program(MORVANE_IMPORT_PROGRAM) + " " + f.options + " '" + f.model + "' out"),
              1);
    EXPECT_EQ(ReadFileBytes(dir.path() / "err.txt"), "morvane-import: " + line);
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
    if (f.options.empty()) {
      EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_SNAPSHOT_PROGRAM) + " '" + f.model + "'"), 1);
      EXPECT_EQ(ReadFileBytes(dir.path() / "err.txt"), "morvane-snapshot: " + line);
      EXPECT_FALSE(fs::exists(dir.path() / "snapshot.png"));
      EXPECT_TRUE(CachedFolders(dir).empty());
    }
  }
}

// --- Opening a model directly ------------------------------------------------

// The picture of a model opened directly is the picture of the folder
// morvane-import writes for it.
TEST(DirectOpen, ShowsWhatImportThenSnapshotShows) {
  TempDir dir;
  const std::string model = CopyModels(dir, "atlas_cube.obj");
  ASSERT_EQ(RunIn(dir.path(), Program(MORVANE_IMPORT_PROGRAM) + " '" + model + "' scene"), 0);
  Snapshot(dir, "scene");
  const std::string imported = ReadFileBytes(dir.path() / "picture.png");
  Snapshot(dir, "'" + model + "'");
  EXPECT_EQ(ReadFileBytes(dir.path() / "picture.png"), imported);
  ASSERT_EQ(CachedFolders(dir).size(), 1u);
  EXPECT_EQ(ReadFileBytes(CachedFolders(dir)[0] / "objects.txt"),
            ReadFileBytes(dir.path() / "scene" / "objects.txt"));
}

// An unchanged model is taken from the cache without a file of it rewritten;
// a changed texture makes it imported again; beyond the cache's size the
// least recently used import goes.
TEST(DirectOpen, ReusesTheCacheUntilAFileChanges) {
  TempDir dir;
  const std::string model = CopyModels(dir, "atlas_cube.obj");
  const RgbPicture first = Snapshot(dir, "'" + model + "'");
  ASSERT_EQ(CachedFolders(dir).size(), 1u);
  const fs::path folder = CachedFolders(dir)[0];
  std::vector<std::pair<fs::path, fs::file_time_type>> written;
  for (const auto& file : fs::directory_iterator(folder)) {
    if (file.path().filename() != "ogllist.txt")
      written.emplace_back(file.path(), file.last_write_time());
  }
  ASSERT_GE(written.size(), 5u);
  EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_CHECK_PROGRAM) + " '" + model + "'"), 0)
      << ReadFileBytes(dir.path() / "out.txt");
  Snapshot(dir, "'" + model + "'");
  for (const auto& [file, time] : written) EXPECT_EQ(fs::last_write_time(file), time) << file;

  // The texture, named by the .mtl the model names, turns white.
  std::string paint = ReadFileBytes(dir.path() / "paint.bmp");
  std::fill(paint.begin() + 54, paint.end(), '\xff');
  dir.Write("paint.bmp", paint);
  const RgbPicture changed = Snapshot(dir, "'" + model + "'");
  EXPECT_NE(changed.pixels, first.pixels);
  EXPECT_EQ(CachedFolders(dir).size(), 1u);

  const std::string other = (dir.path() / "turned_cube.obj").string();
  EXPECT_EQ(RunIn(dir.path(),
                  "MORVANE_CACHE_MB=0 " + Program(MORVANE_SNAPSHOT_PROGRAM) + " '" + other + "'"),
            0);
  ASSERT_EQ(CachedFolders(dir).size(), 1u);
  EXPECT_NE(CachedFolders(dir)[0], folder);
}

}  // namespace
