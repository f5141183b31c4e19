#include "app/scene_initialization.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/scene/scene_folder.h"
#include "tests/support/test_files.h"
#include "tools/offscreen_context.h"

namespace {

class InitializeSceneTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(16, 16, &error);
    ASSERT_NE(context_, nullptr) << error;
  }

  std::string Initialize() {
    ScopedWorkingDirectory inDir(dir_.path());
    CapturedStream log;
    InitializeScene(store_, log.file());
    return log.Text();
  }

  std::unique_ptr<OffscreenContext> context_;
  TempDir dir_;
  SceneStore store_;
};

// The state every frame relies on, whatever the files held.
void ExpectFixedGlState() {
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint value = 0;
  glGetIntegerv(GL_SHADE_MODEL, &value);
  EXPECT_EQ(value, GL_SMOOTH);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
  EXPECT_EQ(value, GL_NICEST);
  GLfloat range[2] = {-1, -1};
  glGetFloatv(GL_DEPTH_RANGE, range);
  EXPECT_EQ(range[0], 0);
  EXPECT_EQ(range[1], 1);
  GLfloat clear[4] = {-1, -1, -1, -1};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0);
}

TEST_F(InitializeSceneTest, LoadsTheFilesInTheirOrder) {
  WriteSquareSceneFolder(dir_);
  EXPECT_EQ(Initialize(), kSquareParseLog);
  // The compiler bound the texture the table loaded, and the scene found the
  // list the compiler recorded.
  EXPECT_EQ(ReadFileBytes(dir_.path() / "ogllist.txt"), kSquareTranscript);
  ASSERT_EQ(store_.textures.size(), 1u);
  EXPECT_EQ(store_.textures[0], 1u);
  ASSERT_EQ(store_.sceneEntryCount, 1);
  EXPECT_EQ(store_.sceneEntries.at(0).listId, 1);
  EXPECT_EQ(glIsList(1), GL_TRUE);
  ExpectFixedGlState();
}

TEST_F(InitializeSceneTest, MissingFilesNeverStopStartUp) {
  EXPECT_EQ(Initialize(), "");
  EXPECT_EQ(ReadFileBytes(dir_.path() / "ogllist.txt"), "OPENGL-Diplay-Listen:\n\n");
  EXPECT_TRUE(store_.textures.empty());
  EXPECT_TRUE(store_.statements.empty());
  EXPECT_EQ(store_.sceneEntryCount, 0);
  ExpectFixedGlState();
}

TEST_F(InitializeSceneTest, AMalformedObjectFileStillReadsTheScene) {
  WriteSquareSceneFolder(dir_);
  // A rejected line stops the compilation; the list before it still counts.
  dir_.Write("objects.txt", "list;\nname=square;\nendlist;\nbad=?;\nname=later;\n");
  const std::string log = Initialize();
  EXPECT_NE(log.find("Parse-Error: 5 in Line: 3."), std::string::npos);
  ASSERT_EQ(store_.namedLists.size(), 1u);
  EXPECT_EQ(store_.sceneEntries.at(0).listId, 1);
  ExpectFixedGlState();
}

}  // namespace
