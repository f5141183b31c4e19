#include "scene/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <ostream>
#include <string>

#include "scene/scene_reader.h"
#include "tests/scene/quad_picture.h"
#include "tools/offscreen_context.h"

namespace {

constexpr int kWidth = 160;  // the 4:3 of the viewer's 800 × 600, drawn smaller
constexpr int kHeight = 120;

class RendererTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(kWidth, kHeight, &error);
    ASSERT_NE(context_, nullptr) << error;
    glClearColor(0, 0, 0, 0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    CompileTexturedSquare(store_, "square");
  }

  void ReadScene(const std::string& blocks) {
    LineReader reader(scene_ = "begin;\nscene=s;\n" + blocks + "endscene;\nend;\n");
    ASSERT_EQ(ReadScenePieces(store_, reader), kSceneRead);
  }

  std::vector<std::uint8_t> Draw(float movementRequest = 0, float heading = 0) {
    RenderFrame(store_, camera_, movementRequest, heading, kWidth, kHeight, true);
    return context_->ReadRgbTopDown();
  }

  // The lit pixels must cover the projected corners to within a pixel.
  static void ExpectBounds(const std::vector<std::uint8_t>& picture, const ScreenBox& expected) {
    const PixelBox lit = FindLit(picture, kWidth, kHeight);
    ASSERT_GT(lit.count, 0);
    EXPECT_NEAR(lit.left, expected.left, 1.0);
    EXPECT_NEAR(lit.right + 1, expected.right, 1.0);
    EXPECT_NEAR(lit.top, expected.top, 1.0);
    EXPECT_NEAR(lit.bottom + 1, expected.bottom, 1.0);
  }

  std::unique_ptr<OffscreenContext> context_;
  SceneStore store_;
  CameraState camera_;
  std::string scene_;
};

TEST_F(RendererTest, SquarePlacedBySceneAppearsWhereTheCameraLooks) {
  ReadScene("list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nendlist;\n");
  const auto picture = Draw();
  const double corners[4][3] = {{-1, -1, -6}, {1, -1, -6}, {1, 1, -6}, {-1, 1, -6}};
  ExpectBounds(picture, ProjectCorners(0, 0, 0, corners, kWidth, kHeight));
  // Not mirrored: each texel keeps its quarter of the square.
  const PixelBox lit = FindLit(picture, kWidth, kHeight);
  const PixelBox red = FindColour(picture, kWidth, kHeight, kRed);
  const PixelBox white = FindColour(picture, kWidth, kHeight, kWhite);
  const PixelBox blue = FindColour(picture, kWidth, kHeight, kBlue);
  const PixelBox green = FindColour(picture, kWidth, kHeight, kGreen);
  EXPECT_EQ(red.left, lit.left);
  EXPECT_EQ(red.bottom, lit.bottom);
  EXPECT_EQ(white.right, lit.right);
  EXPECT_EQ(white.top, lit.top);
  EXPECT_EQ(blue.left, lit.left);
  EXPECT_EQ(blue.top, lit.top);
  EXPECT_EQ(green.right, lit.right);
  EXPECT_EQ(green.bottom, lit.bottom);
}

TEST_F(RendererTest, TranslationAndScalePlaceTheEntry) {
  ReadScene("list=square;\ntranslate=(1.5,-0.5,-8);\nscale=(0.5,2,1);\nendlist;\n");
  const double corners[4][3] = {{1, -2.5, -8}, {2, -2.5, -8}, {2, 1.5, -8}, {1, 1.5, -8}};
  ExpectBounds(Draw(), ProjectCorners(0, 0, 0, corners, kWidth, kHeight));
}

struct RotationCase {
  const char* name;
  const char* rates;
  int frames;  // frames drawn before the one that is looked at
  int axis;    // 0, 1, 2 for x, y, z
  double degrees;
};

void PrintTo(const RotationCase& c, std::ostream* out) {
  *out << c.name;
}

class RotationRates : public RendererTest, public testing::WithParamInterface<RotationCase> {};

TEST_P(RotationRates, TurnTheEntryByATenthOfTheRatePerFrame) {
  const RotationCase& c = GetParam();
  ReadScene("list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nrotate=" + std::string(c.rates) +
            ";\nendlist;\n");
  for (int i = 0; i < c.frames; ++i) {
    RenderFrame(store_, camera_, 0, 0, kWidth, kHeight, false);
  }
  const auto picture = Draw();

  const double a = c.degrees * std::numbers::pi / 180.0;
  const double square[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  double corners[4][3];
  for (int i = 0; i < 4; ++i) {
    const double x = square[i][0];
    const double y = square[i][1];
    double p[3] = {x, y, 0};
    if (c.axis == 0) p[1] = y * std::cos(a), p[2] = y * std::sin(a);
    if (c.axis == 1) p[0] = x * std::cos(a), p[2] = -x * std::sin(a);
    if (c.axis == 2)
      p[0] = x * std::cos(a) - y * std::sin(a), p[1] = x * std::sin(a) + y * std::cos(a);
    corners[i][0] = p[0];
    corners[i][1] = p[1];
    corners[i][2] = p[2] - 6;
  }
  ExpectBounds(picture, ProjectCorners(0, 0, 0, corners, kWidth, kHeight));
}

INSTANTIATE_TEST_SUITE_P(
    RendererTest, RotationRates,
    testing::Values(RotationCase{"ZeroRatesNeverTurn", "(0,0,0)", 120, 1, 0},
                    RotationCase{"AboutYHalfADegreeAFrame60", "(0,5,0)", 120, 1, 60},
                    RotationCase{"NegativeRateTurnsBack", "(0,-5,0)", 120, 1, -60},
                    RotationCase{"AboutX", "(5,0,0)", 120, 0, 60},
                    RotationCase{"AboutZ", "(0,0,2.5)", 120, 2, 30}),
    [](const testing::TestParamInfo<RotationCase>& param) { return param.param.name; });

TEST_F(RendererTest, RotationAboutZTurnsCounterClockwise) {
  ReadScene("list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nrotate=(0,0,5);\nendlist;\n");
  for (int i = 0; i < 180; ++i) RenderFrame(store_, camera_, 0, 0, kWidth, kHeight, false);
  // 90 degrees: the red bottom-left quarter has turned to the bottom right.
  const auto picture = Draw();
  const PixelBox lit = FindLit(picture, kWidth, kHeight);
  const PixelBox red = FindColour(picture, kWidth, kHeight, kRed);
  EXPECT_EQ(red.right, lit.right);
  EXPECT_EQ(red.bottom, lit.bottom);
}

TEST_F(RendererTest, CountZeroOnlyClearsToBlack) {
  ReadScene("list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nendlist;\n");
  store_.sceneEntryCount = 0;
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  EXPECT_EQ(CountLit(Draw(-0.15f)), 0);
  // The camera and the angle move all the same.
  EXPECT_FLOAT_EQ(camera_.eyeZ, -0.15f);
  EXPECT_FLOAT_EQ(camera_.animationAngle, 0.1f);
}

TEST_F(RendererTest, UnknownListIdDrawsNothingAndLaterEntriesStillDraw) {
  ReadScene(
      "list=nothing;\ntranslate=(3,0,-6);\nscale=(1,1,1);\nendlist;\n"
      "list=square;\ntranslate=(0,0,-6);\nendlist;\n");
  store_.sceneEntries[0].listId = 99;  // no such list
  const double corners[4][3] = {{-1, -1, -6}, {1, -1, -6}, {1, 1, -6}, {-1, 1, -6}};
  ExpectBounds(Draw(), ProjectCorners(0, 0, 0, corners, kWidth, kHeight));
}

TEST_F(RendererTest, ClearsTheDepthBufferEveryFrame) {
  ReadScene("list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nendlist;\n");
  Draw();
  // Backing away puts the square deeper than last frame's depth values.
  const auto picture = Draw(2.0f);
  const double corners[4][3] = {{-1, -1, -6}, {1, -1, -6}, {1, 1, -6}, {-1, 1, -6}};
  ExpectBounds(picture, ProjectCorners(0, 2, 0, corners, kWidth, kHeight));
  const PixelBox lit = FindLit(picture, kWidth, kHeight);
  EXPECT_EQ(lit.count, (lit.right - lit.left + 1) * (lit.bottom - lit.top + 1));
}

TEST_F(RendererTest, WithoutGlItMovesTheCameraButTouchesNothing) {
  ReadScene("list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nendlist;\n");
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_TEXTURE);
  RenderFrame(store_, camera_, -0.15f, 0.04f, kWidth, kHeight, false);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_TEXTURE);
  EXPECT_EQ(CountLit(context_->ReadRgbTopDown()), kWidth * kHeight);
  EXPECT_NE(camera_.eyeZ, 0);
  EXPECT_FLOAT_EQ(camera_.animationAngle, 0.1f);
}

struct CameraCase {
  float movementRequest;
  float heading;
  float eyeX, eyeZ, centreX, centreZ;
};

TEST(RenderFrameCamera, EyeAndCentreFollowMovementAndHeading) {
  const float s = static_cast<float>(std::sin(0.04));
  const float c = static_cast<float>(std::cos(0.04));
  const CameraCase cases[] = {
      {0, 0, 0, 0, 0, -10},
      {-0.15f, 0, 0, -0.15f, 0, -10.3f},  // forward: the centre is 10.15 ahead
      {0.15f, 0, 0, 0.15f, 0, -9.7f},     // backward: 9.85 ahead
      {0, 0.04f, 0, 0, -10 * s, -10 * c},
      {-1, 0.04f, -s, -c, -s - 11 * s, -c - 11 * c},
  };
  for (const CameraCase& k : cases) {
    SceneStore store;
    CameraState camera;
    RenderFrame(store, camera, k.movementRequest, k.heading, 800, 600, false);
    EXPECT_FLOAT_EQ(camera.eyeX, k.eyeX) << k.movementRequest << " " << k.heading;
    EXPECT_FLOAT_EQ(camera.eyeZ, k.eyeZ) << k.movementRequest << " " << k.heading;
    EXPECT_FLOAT_EQ(camera.centreX, k.centreX) << k.movementRequest << " " << k.heading;
    EXPECT_FLOAT_EQ(camera.centreZ, k.centreZ) << k.movementRequest << " " << k.heading;
  }
}

}  // namespace
