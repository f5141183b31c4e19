#include "app/frame_tick.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "scene/scene_reader.h"
#include "tests/scene/quad_picture.h"
#include "tools/offscreen_context.h"

namespace {

struct KeyCase {
  const char* name;
  HeldKeys keys;
  float startHeading;
  float eyeZ;     // after the tick, from an eye at the origin
  float heading;  // after the tick
};

TEST(RunFrameTick, KeysSetTheMovementRequestAndHeading) {
  HeldKeys up, down, upDown, left, right, leftRight, f1Arrows, escape;
  up.up = true;
  down.down = true;
  upDown.up = upDown.down = true;
  left.left = true;
  right.right = true;
  leftRight.left = leftRight.right = true;
  f1Arrows.f1 = f1Arrows.up = f1Arrows.left = true;
  escape.escape = true;
  const KeyCase cases[] = {
      {"none", HeldKeys{}, 0.5f, 0, 0.5f},
      {"up moves forward", up, 0, -0.15f, 0},
      {"down moves back", down, 0, 0.15f, 0},
      {"down wins over up", upDown, 0, 0.15f, 0},
      {"left turns left", left, 0, 0, 0.04f},
      {"right turns right", right, 0, 0, -0.04f},
      {"left and right cancel", leftRight, 0.3f, 0, 0.3f},
      {"f1 wins over arrows", f1Arrows, 0.5f, 0, 0},
      {"escape moves nothing", escape, 0.5f, 0, 0.5f},
  };
  for (const KeyCase& c : cases) {
    SceneStore store;
    FrameTickState tick;
    tick.heading = c.startHeading;
    CameraState camera;
    const bool quit = RunFrameTick(store, tick, camera, c.keys, false);
    EXPECT_EQ(quit, c.keys.escape) << c.name;
    EXPECT_FLOAT_EQ(camera.eyeZ, c.eyeZ) << c.name;
    EXPECT_FLOAT_EQ(tick.heading, c.heading) << c.name;
    EXPECT_EQ(tick.movementRequest, 0) << c.name;            // cleared at the end of every tick
    EXPECT_FLOAT_EQ(camera.animationAngle, 0.1f) << c.name;  // every tick is a frame
  }
}

TEST(RunFrameTick, F1KeepsTheCameraWhereItIs) {
  SceneStore store;
  FrameTickState tick;
  CameraState camera;
  HeldKeys up;
  up.up = true;
  for (int i = 0; i < 4; ++i) RunFrameTick(store, tick, camera, up, false);
  HeldKeys f1;
  f1.f1 = f1.up = true;
  RunFrameTick(store, tick, camera, f1, false);
  EXPECT_FLOAT_EQ(camera.eyeZ, -0.6f);
  EXPECT_FLOAT_EQ(camera.centreZ, -10.6f);
  EXPECT_FLOAT_EQ(camera.centreX, 0);
}

// Rendered ticks: the picture must show what the moved or turned camera sees.
class RenderedTicks : public testing::Test {
 protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(kWidth, kHeight, &error);
    ASSERT_NE(context_, nullptr) << error;
    glEnable(GL_DEPTH_TEST);
    CompileTexturedSquare(store_, "square");
    LineReader reader(std::string_view(
        "begin;\nscene=s;\nlist=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\nendlist;\n"
        "endscene;\nend;\n"));
    ASSERT_EQ(ReadScenePieces(store_, reader), kSceneRead);
  }

  std::vector<std::uint8_t> Hold(const HeldKeys& keys, int ticks) {
    for (int i = 0; i < ticks; ++i) RunFrameTick(store_, tick_, camera_, keys, true);
    return context_->ReadRgbTopDown();
  }

  static void ExpectSquareAt(const std::vector<std::uint8_t>& picture, double eyeZ,
                             double heading) {
    const double corners[4][3] = {{-1, -1, -6}, {1, -1, -6}, {1, 1, -6}, {-1, 1, -6}};
    const ScreenBox expected = ProjectCorners(0, eyeZ, heading, corners, kWidth, kHeight);
    const PixelBox lit = FindLit(picture, kWidth, kHeight);
    ASSERT_GT(lit.count, 0);
    EXPECT_NEAR(lit.left, expected.left, 1.0);
    EXPECT_NEAR(lit.right + 1, expected.right, 1.0);
    EXPECT_NEAR(lit.top, expected.top, 1.0);
    EXPECT_NEAR(lit.bottom + 1, expected.bottom, 1.0);
  }

  std::unique_ptr<OffscreenContext> context_;
  SceneStore store_;
  FrameTickState tick_;
  CameraState camera_;
};

TEST_F(RenderedTicks, HoldingUpMovesTheEyeAlongMinusZ) {
  HeldKeys up;
  up.up = true;
  const auto picture = Hold(up, 20);
  EXPECT_NEAR(camera_.eyeZ, -3.0, 1e-5);
  EXPECT_EQ(camera_.eyeX, 0);
  ExpectSquareAt(picture, -3.0, 0);
}

TEST_F(RenderedTicks, HoldingLeftTurnsTheViewAndTheSquareMovesRight) {
  const PixelBox before = FindLit(Hold(HeldKeys{}, 1), kWidth, kHeight);
  HeldKeys left;
  left.left = true;
  const auto picture = Hold(left, 5);
  EXPECT_FLOAT_EQ(tick_.heading, 0.2f);
  ExpectSquareAt(picture, 0, 0.2);
  EXPECT_GT(FindLit(picture, kWidth, kHeight).left, before.left + 20);
}

}  // namespace
