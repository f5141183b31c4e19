// The compiled lists drawn for real: call a list on the off-screen context and
// read the pixels back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/compiler/compiler_test_support.h"
#include "tools/offscreen_context.h"

namespace {

constexpr int kSize = 16;

struct Rgb {
  int r, g, b;
};

// A quad over the whole surface, texture coordinates 0..1 across it.
constexpr std::string_view kFullQuad =
    "type=gl_quads;\n"
    "t=(0,0);\np=(-1,-1,0);\n"
    "t=(1,0);\np=(1,-1,0);\n"
    "t=(1,1);\np=(1,1,0);\n"
    "t=(0,1);\np=(-1,1,0);\n";

class CompiledListDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(kSize, kSize, &error);
    ASSERT_NE(context_, nullptr) << error;
    // The fixed state the viewer sets around compilation.
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  std::int32_t Compile(std::string_view objects) {
    store_ = StoreFromObjects(objects);
    store_.textures = textures_;
    return CompileToText(store_).result;
  }

  // Clears to `background` and calls list 1.
  void DrawList(Rgb background) {
    glClearColor(static_cast<float>(background.r) / 255, static_cast<float>(background.g) / 255,
                 static_cast<float>(background.b) / 255, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glCallList(1);
    pixels_ = context_->ReadRgbTopDown();
  }

  // The pixel `column` from the left, `row` from the top.
  Rgb Pixel(int column, int row) const {
    const std::size_t at = (static_cast<std::size_t>(row) * kSize + column) * 3;
    return {pixels_[at], pixels_[at + 1], pixels_[at + 2]};
  }

  static void ExpectNear(Rgb actual, Rgb expected) {
    EXPECT_LE(std::abs(actual.r - expected.r), 2) << actual.r << " vs " << expected.r;
    EXPECT_LE(std::abs(actual.g - expected.g), 2) << actual.g << " vs " << expected.g;
    EXPECT_LE(std::abs(actual.b - expected.b), 2) << actual.b << " vs " << expected.b;
  }

  std::unique_ptr<OffscreenContext> context_;
  std::vector<std::uint32_t> textures_;
  SceneStore store_;
  std::vector<std::uint8_t> pixels_;
};

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

// Texels, bottom row first: red, green / blue, white.
std::uint32_t MakeQuartered() {
  return MakeTexture(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
}

TEST_F(CompiledListDrawing, TexturedQuadShowsItsTexture) {
  textures_ = {MakeSolidTexture(9, 9, 9), MakeQuartered()};
  ASSERT_EQ(Compile("name=box;\ntextur=(1,1,1);\n" + std::string(kFullQuad) + "endlist;\n"), 0);
  DrawList({0, 0, 0});
  ExpectNear(Pixel(2, 2), kBlue);
  ExpectNear(Pixel(13, 2), kWhite);
  ExpectNear(Pixel(2, 13), kRed);
  ExpectNear(Pixel(13, 13), kGreen);
}

TEST_F(CompiledListDrawing, RepeatFactorsTileTheTextureInLaterLists) {
  // The factors of the first list's binding still scale the second list's
  // quad, which has no binding of its own: the texture shows twice each way.
  textures_ = {MakeQuartered()};
  ASSERT_EQ(Compile("name=first;\ntextur=(0,2,2);\nendlist;\n"
                    "name=second;\n" +
                    std::string(kFullQuad) + "endlist;\n"),
            0);
  glBindTexture(GL_TEXTURE_2D, textures_[0]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glCallList(2);
  pixels_ = context_->ReadRgbTopDown();
  ExpectNear(Pixel(2, 2), kBlue);
  ExpectNear(Pixel(6, 2), kWhite);
  ExpectNear(Pixel(10, 2), kBlue);
  ExpectNear(Pixel(14, 2), kWhite);
  ExpectNear(Pixel(10, 13), kRed);
  ExpectNear(Pixel(14, 13), kGreen);
}

TEST_F(CompiledListDrawing, BlendedPairMultipliesThenAdds) {
  // (what was drawn before) x (first texture) + (second texture).
  textures_ = {MakeSolidTexture(128, 128, 255), MakeSolidTexture(64, 0, 128)};
  ASSERT_EQ(Compile("name=box;\ntextur=(0,1,1);\ntextur=(1,1,1);\n" + std::string(kFullQuad) +
                    "endlist;\n"),
            0);
  DrawList({255, 128, 64});
  ExpectNear(Pixel(8, 8), {128 + 64, 64, 64 + 128});
  EXPECT_FALSE(glIsEnabled(GL_BLEND));  // the list disables blending again
}

TEST_F(CompiledListDrawing, BlendedPairUsesTheFirstStatementsRepeatFactors) {
  // Over black, a white first texture leaves black and the second texture is
  // added as it is. Had the second statement's factors of 0 been used, every
  // texel would be the quartered texture's red corner.
  textures_ = {MakeSolidTexture(255, 255, 255), MakeQuartered()};
  ASSERT_EQ(Compile("name=box;\ntextur=(0,1,1);\ntextur=(1,0,0);\n" + std::string(kFullQuad) +
                    "endlist;\n"),
            0);
  DrawList({0, 0, 0});
  ExpectNear(Pixel(2, 2), kBlue);
  ExpectNear(Pixel(13, 2), kWhite);
  ExpectNear(Pixel(2, 13), kRed);
  ExpectNear(Pixel(13, 13), kGreen);
}

TEST_F(CompiledListDrawing, SceneStillDrawsAfterAListLeftOpen) {
  // Without closing it, the clear and the call below would be recorded into
  // list 1 and nothing would reach the surface.
  textures_ = {MakeSolidTexture(0, 255, 0)};
  const char* endings[] = {"", "s=123456;\nendlist;\n"};
  for (const char* ending : endings) {
    SCOPED_TRACE(ending);
    Compile("name=box;\ntextur=(0,1,1);\n" + std::string(kFullQuad) + ending);
    GLint openList = -1;
    glGetIntegerv(GL_LIST_INDEX, &openList);
    EXPECT_EQ(openList, 0);
    DrawList({255, 0, 0});
    ExpectNear(Pixel(8, 8), kGreen);
    glDeleteLists(1, 1);
  }
}

}  // namespace
