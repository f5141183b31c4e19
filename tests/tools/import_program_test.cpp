// Builds small models the ways users bring them (OBJ with MTL and PNG
// written here; glTF and GLB written by the import library's own exporter),
// imports each with morvane-import, checks the folder with morvane-check,
// renders it with morvane-snapshot, and looks at the pixels where the model
// must show its texture or colour, the right way round.
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <assimp/Exporter.hpp>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/scene/quad_picture.h"
#include "tests/support/test_files.h"
#include "tools/png_io.h"

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

// An 8 x 8 picture in four quarters: red bottom left, green bottom right,
// blue top left, white top right. No two quarters are mirror images, so a
// flipped or turned texture shows.
std::string WriteQuarters(const TempDir& dir, const std::string& name) {
  RgbPicture picture{8, 8, {}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const Rgb c = y < 4 ? (x < 4 ? kBlue : kWhite) : (x < 4 ? kRed : kGreen);
      picture.pixels.insert(picture.pixels.end(), {c.r, c.g, c.b});
    }
  }
  const fs::path path = dir.path() / name;
  EXPECT_TRUE(WritePng(path.string(), picture));
  return path.string();
}

// --- Models written as OBJ text ---------------------------------------------

std::string TexturedQuadObj(const TempDir& dir) {
  WriteQuarters(dir, "quarters.png");
  dir.Write("quad.mtl", "newmtl picture\nKd 1 1 1\nmap_Kd quarters.png\n");
  return dir.Write("quad.obj",
                   "mtllib quad.mtl\n"
                   "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                   "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                   "usemtl picture\nf 1/1 2/2 3/3 4/4\n");
}

// A cube tipped 45 degrees about x, so that the camera sees its front and top
// at rest, and its left, back and bottom, and right as it turns about y.
std::string SixColourCubeObj(const TempDir& dir) {
  std::string obj = "mtllib cube.mtl\n";
  const double s = std::sqrt(0.5);
  for (int i = 0; i < 8; ++i) {
    const double x = (i & 1) ? 1 : -1, y = (i & 2) ? 1 : -1, z = (i & 4) ? 1 : -1;
    obj += "v " + std::to_string(x) + " " + std::to_string(y * s - z * s) + " " +
           std::to_string(y * s + z * s) + "\n";
  }
  // Corners are numbered 1 + (x > 0) + 2 (y > 0) + 4 (z > 0).
  const char* faces[] = {"front 5 6 8 7",  "back 1 3 4 2", "top 3 7 8 4",
                         "bottom 1 2 6 5", "left 1 5 7 3", "right 2 4 8 6"};
  std::string mtl;
  const char* colours[] = {"1 0 0", "0 1 0", "0 0 1", "1 1 0", "1 0 1", "0 1 1"};
  for (int f = 0; f < 6; ++f) {
    const std::string face = faces[f];
    const std::string name = face.substr(0, face.find(' '));
    obj += "usemtl " + name + "\nf" + face.substr(face.find(' ')) + "\n";
    mtl += "newmtl " + name + "\nKd " + colours[f] + "\n";
  }
  dir.Write("cube.mtl", mtl);
  return dir.Write("cube.obj", obj);
}

// --- Models written by the library's exporter -------------------------------

aiMesh* NewMesh(const std::vector<aiVector3D>& corners, const std::vector<aiVector3D>& uv,
                const std::vector<unsigned>& triangles, unsigned material) {
  auto* mesh = new aiMesh;
  mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  mesh->mNumVertices = static_cast<unsigned>(corners.size());
  mesh->mVertices = new aiVector3D[corners.size()];
  std::copy(corners.begin(), corners.end(), mesh->mVertices);
  if (!uv.empty()) {
    mesh->mNumUVComponents[0] = 2;
    mesh->mTextureCoords[0] = new aiVector3D[uv.size()];
    std::copy(uv.begin(), uv.end(), mesh->mTextureCoords[0]);
  }
  mesh->mNumFaces = static_cast<unsigned>(triangles.size() / 3);
  mesh->mFaces = new aiFace[mesh->mNumFaces];
  for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
    mesh->mFaces[f].mNumIndices = 3;
    mesh->mFaces[f].mIndices = new unsigned[3];
    std::copy(&triangles[f * 3], &triangles[f * 3] + 3, mesh->mFaces[f].mIndices);
  }
  mesh->mMaterialIndex = material;
  return mesh;
}

aiMaterial* NewMaterial(float r, float g, float b, const char* texture = nullptr) {
  auto* material = new aiMaterial;
  const aiColor4D colour(r, g, b, 1);
  material->AddProperty(&colour, 1, AI_MATKEY_COLOR_DIFFUSE);
  material->AddProperty(&colour, 1, AI_MATKEY_BASE_COLOR);
  if (texture != nullptr) {
    const aiString path(texture);
    material->AddProperty(&path, AI_MATKEY_TEXTURE(aiTextureType_DIFFUSE, 0));
  }
  return material;
}

aiNode* NewNode(const char* name, const aiMatrix4x4& transform, unsigned mesh) {
  auto* node = new aiNode(name);
  node->mTransformation = transform;
  node->mNumMeshes = 1;
  node->mMeshes = new unsigned[1]{mesh};
  return node;
}

void AddChildren(aiNode* parent, std::vector<aiNode*> children) {
  parent->mNumChildren = static_cast<unsigned>(children.size());
  parent->mChildren = new aiNode*[children.size()];
  for (std::size_t i = 0; i < children.size(); ++i) {
    children[i]->mParent = parent;
    parent->mChildren[i] = children[i];
  }
}

std::string Export(const aiScene& scene, const TempDir& dir, const char* format, const char* name) {
  Assimp::Exporter exporter;
  const fs::path path = dir.path() / name;
  EXPECT_EQ(exporter.Export(&scene, format, path.string()), AI_SUCCESS)
      << exporter.GetErrorString();
  return path.string();
}

// Two copies of a right triangle (its right angle at the lower left of a unit
// square), the left one red and in place, the right one green and turned half
// round about z, so that its right angle sits at the upper right.
std::string TwoNodeGltf(const TempDir& dir) {
  aiScene scene;
  const std::vector<aiVector3D> corners = {{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {-0.5f, 0.5f, 0}};
  scene.mNumMeshes = 2;
  scene.mMeshes = new aiMesh* [2] {
    NewMesh(corners, {}, {0, 1, 2}, 0), NewMesh(corners, {}, {0, 1, 2}, 1)
  };
  scene.mNumMaterials = 2;
  scene.mMaterials = new aiMaterial* [2] { NewMaterial(1, 0, 0), NewMaterial(0, 1, 0) };
  aiMatrix4x4 left, right, turn;
  aiMatrix4x4::Translation(aiVector3D(-1, 0, 0), left);
  aiMatrix4x4::Translation(aiVector3D(1, 0, 0), right);
  aiMatrix4x4::RotationZ(static_cast<float>(M_PI), turn);
  scene.mRootNode = new aiNode("root");
  AddChildren(scene.mRootNode, {NewNode("left", left, 0), NewNode("right", right * turn, 1)});
  return Export(scene, dir, "gltf2", "nodes.gltf");
}

// The textured square again, with the picture's PNG bytes inside the file.
std::string QuadGlbWithEmbeddedPng(const TempDir& dir) {
  const std::string png = ReadFileBytes(WriteQuarters(dir, "embedded.png"));
  fs::remove(dir.path() / "embedded.png");  // only the copy inside the model remains
  aiScene scene;
  scene.mNumMeshes = 1;
  scene.mMeshes = new aiMesh* [1] {
    NewMesh({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}},
            {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3}, 0)
  };
  scene.mNumMaterials = 1;
  scene.mMaterials = new aiMaterial* [1] { NewMaterial(1, 1, 1, "*0") };
  auto* texture = new aiTexture;
  texture->mWidth = static_cast<unsigned>(png.size());
  texture->mHeight = 0;  // compressed: mWidth counts bytes
  texture->pcData = new aiTexel[(png.size() + 3) / 4];
  std::memcpy(texture->pcData, png.data(), png.size());
  std::strcpy(texture->achFormatHint, "png");
  scene.mNumTextures = 1;
  scene.mTextures = new aiTexture* [1] { texture };
  scene.mRootNode = new aiNode("root");
  scene.mRootNode->mNumMeshes = 1;
  scene.mRootNode->mMeshes = new unsigned[1]{0};
  return Export(scene, dir, "glb2", "quad.glb");
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
  std::function<std::string(const TempDir&)> build;
  const char* spin;  // scene.txt's rate; 900 turns a quarter round per frame
  int frames;
  std::vector<Probe> probes;
};

const std::vector<Probe> kQuarters = {
    {0.25, 0.75, kRed}, {0.75, 0.75, kGreen}, {0.25, 0.25, kBlue}, {0.75, 0.25, kWhite}};

const ImportCase kCases[] = {
    {"TexturedQuadObj", TexturedQuadObj, "0", 1, kQuarters},
    {"CubeFrontAndTop", SixColourCubeObj, "0", 1, {{0.5, 0.25, kBlue}, {0.5, 0.75, kRed}}},
    {"CubeLeft", SixColourCubeObj, "900", 1, {{0.5, 0.5, kMagenta}}},
    {"CubeBackAndBottom", SixColourCubeObj, "900", 2, {{0.5, 0.25, kGreen}, {0.5, 0.75, kYellow}}},
    {"CubeRight", SixColourCubeObj, "900", 3, {{0.5, 0.5, kCyan}}},
    {"TwoNodeGltf",
     TwoNodeGltf,
     "0",
     1,
     {{1 / 12.0, 0.75, kRed},
      {3 / 12.0, 0.25, kBlack},
      {11 / 12.0, 0.25, kGreen},
      {9 / 12.0, 0.75, kBlack}}},
    {"GlbWithEmbeddedPng", QuadGlbWithEmbeddedPng, "0", 1, kQuarters},
};

class ImportProgram : public testing::TestWithParam<ImportCase> {};

TEST_P(ImportProgram, ShowsTheModelTheRightWayRound) {
  const ImportCase& c = GetParam();
  TempDir dir;
  const std::string model = c.build(dir);
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
  const std::string model = TexturedQuadObj(dir);
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

struct UsageCase {
  const char* arguments;
  int exitCode;
};

TEST(ImportProgramFiles, ExitStatusOfEachKindOfCall) {
  const UsageCase cases[] = {
      {"--help", 0},    {"--version", 0},     {"--list-formats", 0},
      {"", 2},          {"--bogus m.obj", 2}, {"--spin fast m.obj", 2},
      {"a.obj b c", 2}, {"missing.obj", 1},   {"not-a-model.txt", 1},
  };
  TempDir dir;
  dir.Write("not-a-model.txt", "hello\n");
  for (const UsageCase& c : cases) {
    EXPECT_EQ(RunIn(dir.path(), Program(MORVANE_IMPORT_PROGRAM) + " " + c.arguments), c.exitCode)
        << c.arguments;
  }
}

}  // namespace
