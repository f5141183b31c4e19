// Frames of a scene drawn with real Mesa GL: what a frame clears, skips and
// leaves alone, and where the camera goes.
#include "scene/renderer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "offscreen/offscreen_context.h"
#include "scene/scene_reader.h"
#include "tests/scene/quad_picture.h"

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
  // Draws one frame after moving by `movement`.
  std::vector<std::uint8_t> Draw(float movement = 0) {
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

// How entries turn, scale and move frame by frame shows in the demo's
// reference picture (SnapshotProgramDemo); here is what a frame leaves out.
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
  const auto picture = Draw(2.0f);
  ExpectBounds(picture, kCornersAtSix, 2.0);
  const PixelBox lit = FindLit(picture, kWidth, kHeight);
  EXPECT_EQ(lit.count, (lit.right - lit.left + 1) * (lit.bottom - lit.top + 1));
}

}  // namespace
