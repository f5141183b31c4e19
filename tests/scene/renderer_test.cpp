// Frames of a scene drawn with real Mesa GL: where each entry lands and how it
// turns frame by frame, what a frame clears, skips and leaves alone, and where
// the camera goes.
#include "scene/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>

#include "scene/scene_reader.h"
#include "tests/scene/quad_picture.h"
#include "tools/offscreen_context.h"

namespace {

constexpr int kWidth = 160;  // the 4:3 of the viewer's 800 × 600, drawn smaller
constexpr int kHeight = 120;
constexpr char kSquareAtSix[] = "list=square;\ntranslate=(0,0,-6);\nscale=(1,1,1);\n";
constexpr double kCornersAtSix[4][3] = {{-1, -1, -6}, {1, -1, -6}, {1, 1, -6}, {-1, 1, -6}};

class RendererTest : public testing::Test {
 protected:
  void SetUp() override {
    context_ = OffscreenContext::Create(kWidth, kHeight);
    ASSERT_NE(context_, nullptr);
    glEnable(GL_DEPTH_TEST);
    // A white square from (-1, -1) to (1, 1) as list 1, named "square".
    glNewList(1, GL_COMPILE);
    glBegin(GL_QUADS);
    for (const auto& [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) glVertex2i(x, y);
    glEnd();
    glEndList();
    store_.currentNamedList.listId = 1;
    CopyBounded(store_.currentNamedList.name, "square");
    store_.AppendCurrentNamedList();
  }

  // A fresh scene of `blocks` under a fresh camera.
  void Read(const std::string& blocks) {
    const std::string text = "begin;\nscene=s;\n" + blocks + "endlist;\nendscene;\nend;\n";
    LineReader reader(text);
    store_.sceneEntries.clear();
    camera_ = {};
    ASSERT_EQ(ReadScenePieces(store_, reader), kSceneRead);
  }
  // Runs `frames` frames without GL, then draws one after moving by `movement`.
  std::vector<std::uint8_t> Draw(int frames = 0, float movement = 0) {
    for (int i = 0; i < frames; ++i) RenderFrame(store_, camera_, 0, 0, kWidth, kHeight, false);
    RenderFrame(store_, camera_, movement, 0, kWidth, kHeight, true);
    return context_->ReadRgbTopDown();
  }
  // The lit pixels must cover the projected corners to within a pixel.
  static void ExpectBounds(const std::vector<std::uint8_t>& picture, const double corners[4][3],
                           double eyeZ = 0) {
    const ScreenBox expected = ProjectCorners(0, eyeZ, 0, corners, kWidth, kHeight);
    const PixelBox lit = FindLit(picture, kWidth, kHeight);
    EXPECT_NEAR(lit.left, expected.left, 1.0);
    EXPECT_NEAR(lit.right + 1, expected.right, 1.0);
    EXPECT_NEAR(lit.top, expected.top, 1.0);
    EXPECT_NEAR(lit.bottom + 1, expected.bottom, 1.0);
  }

  std::unique_ptr<OffscreenContext> context_;
  SceneStore store_;
  CameraState camera_;
};

// After 120 frames the animation angle is 12, so each axis has turned by 12
// degrees per unit of its rate: about z first, then y, then x. Turns about two
// axes tell each turn's direction and the order apart.
TEST_F(RendererTest, EntriesAreScaledTurnedAndPlaced) {
  const struct {
    double translate[3], scale[2], rates[3];
  } cases[] = {
      {{1.5, -0.5, -8}, {0.5, 2}, {0, 0, 0}}, {{0, 0, -6}, {1, 1}, {5, 0, 0}},
      {{0, 0, -6}, {1, 1}, {0, -5, 0}},       {{0, 0, -6}, {1, 1}, {0, 0, 2.5}},
      {{0, 0, -7}, {1, 1}, {2, 3, 0}},        {{0, 0, -7}, {1, 1}, {0, 3, 2.5}},
  };
  for (const auto& c : cases) {
    std::ostringstream block;
    const auto triple = [&block](const char* key, double x, double y, double z) {
      block << key << "=(" << x << ',' << y << ',' << z << ");\n";
    };
    block << "list=square;\n";
    triple("translate", c.translate[0], c.translate[1], c.translate[2]);
    triple("scale", c.scale[0], c.scale[1], 1);
    triple("rotate", c.rates[0], c.rates[1], c.rates[2]);
    double corners[4][3];
    for (int i = 0; i < 4; ++i) {
      double* p = corners[i];
      p[0] = (i == 1 || i == 2 ? 1 : -1) * c.scale[0];
      p[1] = (i < 2 ? -1 : 1) * c.scale[1];
      p[2] = 0;
      for (int axis = 2; axis >= 0; --axis) {
        const double a = c.rates[axis] * 12 * std::numbers::pi / 180;
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        const double pu = p[u];
        p[u] = pu * std::cos(a) - p[v] * std::sin(a);
        p[v] = pu * std::sin(a) + p[v] * std::cos(a);
      }
      for (int k = 0; k < 3; ++k) p[k] += c.translate[k];
    }
    SCOPED_TRACE(block.str());
    Read(block.str());
    ExpectBounds(Draw(120), corners);
  }
}

TEST_F(RendererTest, UnknownListsDrawNothingAndEntriesPastTheCountAreLeftOut) {
  Read("list=square;\ntranslate=(3,0,-6);\nscale=(1,1,1);\nendlist;\n" + std::string(kSquareAtSix));
  store_.sceneEntries[0].listId = 99;  // no such list
  ExpectBounds(Draw(), kCornersAtSix);
  store_.sceneEntryCount = 1;
  EXPECT_EQ(CountLit(Draw()), 0);
}

TEST_F(RendererTest, ClearsTheDepthBufferEveryFrame) {
  Read(kSquareAtSix);
  Draw();
  // Backing away puts the square deeper than last frame's depth values.
  const auto picture = Draw(0, 2.0f);
  ExpectBounds(picture, kCornersAtSix, 2.0);
  const PixelBox lit = FindLit(picture, kWidth, kHeight);
  EXPECT_EQ(lit.count, (lit.right - lit.left + 1) * (lit.bottom - lit.top + 1));
}

TEST_F(RendererTest, WithoutGlItMovesTheCameraButTouchesNothing) {
  Read(kSquareAtSix);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glMatrixMode(GL_TEXTURE);
  RenderFrame(store_, camera_, -0.15f, 0.04f, kWidth, kHeight, false);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_TEXTURE);
  EXPECT_EQ(CountLit(context_->ReadRgbTopDown()), kWidth * kHeight);
  EXPECT_FLOAT_EQ(camera_.animationAngle, 0.1f);
}

}  // namespace
