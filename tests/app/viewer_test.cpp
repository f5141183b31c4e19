// The viewer from the question to the exit code on the scripted platform:
// the answer decides the mode, the loop dispatches until the quit request,
// everything is released once, and the exit code is 0 in every case.
#include "app/viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/settings.h"
#include "scene/renderer.h"
#include "tests/app/fake_platform.h"
#include "tests/scene/quad_picture.h"

namespace {

using Calls = std::vector<std::string>;
using ViewerTest = ViewerFixture;

long Count(const Calls& calls, const std::string& call) {
  return std::count(calls.begin(), calls.end(), call);
}

TEST_F(ViewerTest, AnswerNoRunsWindowedUntilEscapeAndDrawsTheEscapeFrame) {
  platform_.answers = {MessageBoxAnswer::kNo};
  platform_.QueueTimer();
  platform_.QueueTimer({Key::kUp});
  platform_.QueueTimer({Key::kEscape});
  platform_.QueueTimer();  // never taken: the quit request comes first

  EXPECT_EQ(RunViewer(platform_), 0);

  const FakePlatform::Box& question = platform_.boxes.at(0);
  EXPECT_EQ(platform_.calls[0], "Box Start FullScreen?|Wollen Sie im Vollbildmodus starten?");
  EXPECT_EQ(question.buttons, MessageBoxButtons::kYesNo);
  EXPECT_EQ(question.icon, MessageBoxIcon::kQuestion);
  EXPECT_EQ(question.owner, MessageBoxOwner::kNone);
  EXPECT_TRUE(platform_.Called("CreateWindow Morvane 2006 800x600 windowed 32/16 double"));
  EXPECT_EQ(platform_.swaps, 3);
  EXPECT_NEAR(theCamera.eyeZ, -0.15f, 1e-6);
  EXPECT_EQ(Count(platform_.calls, "dispatch Timer"), 3);
  EXPECT_EQ(platform_.CallsFrom("PostQuitMessage 0"),
            (Calls{"PostQuitMessage 0", "SwapBuffers", "ReleaseCurrent", "DeleteRenderingContext",
                   "ReleaseDeviceContext", "DestroyWindow", "UnregisterWindowClass OpenGL",
                   "KillTimer none 1"}));
  // The last frame shows the square in the middle of the picture: about 240
  // pixels across at 6 units away.
  ASSERT_EQ(platform_.lastFrame.size(), 800u * 600u * 3u);
  const PixelBox lit = FindLit(platform_.lastFrame, 800, 600);
  EXPECT_NEAR((lit.left + lit.right) / 2.0, 399.5, 2);
  EXPECT_NEAR((lit.top + lit.bottom) / 2.0, 299.5, 2);
  EXPECT_NEAR(lit.right - lit.left, 245, 10);
}

TEST_F(ViewerTest, AnswerYesRunsFullScreenUntilTheWindowIsClosed) {
  platform_.answers = {MessageBoxAnswer::kYes};
  platform_.QueueTimer();
  WindowMessage close;
  close.kind = MessageKind::kClose;
  platform_.Queue(close);

  EXPECT_EQ(RunViewer(platform_), 0);

  EXPECT_TRUE(theSettings.fullScreen);
  EXPECT_TRUE(platform_.Called("ChangeDisplayMode 800x600x32"));
  EXPECT_TRUE(platform_.Called("CreateWindow Morvane 2006 800x600 full-screen 32/16 double"));
  EXPECT_EQ(platform_.CallsFrom("PostQuitMessage 0"),
            (Calls{"PostQuitMessage 0", "RestoreDisplayMode", "ShowCursor show", "ReleaseCurrent",
                   "DeleteRenderingContext", "ReleaseDeviceContext", "DestroyWindow",
                   "UnregisterWindowClass OpenGL", "KillTimer none 1"}));
}

TEST_F(ViewerTest, NoBoxAtAllKeepsTheFullScreenDefault) {
  platform_.answers = {MessageBoxAnswer::kNone};
  platform_.QueueTimer({Key::kEscape});
  EXPECT_EQ(RunViewer(platform_), 0);
  EXPECT_TRUE(platform_.Called("ChangeDisplayMode 800x600x32"));
}

TEST_F(ViewerTest, FailedStartExitsWithZeroWithoutEnteringTheLoop) {
  platform_.answers = {MessageBoxAnswer::kNo};
  platform_.failing = {FakePlatform::Step::kCreateContext};

  EXPECT_EQ(RunViewer(platform_), 0);

  EXPECT_EQ(platform_.peeks, 0);
  EXPECT_EQ(Count(platform_.calls, "UnregisterWindowClass OpenGL"), 1);
  EXPECT_EQ(platform_.calls.back(), "Box ERROR|Can't Create A GL Rendering Context.");
}

TEST_F(ViewerTest, EscapeHeldWhileTheWindowIsCreatedEndsRightAfterStartUp) {
  platform_.answers = {MessageBoxAnswer::kNo};
  platform_.held = {Key::kEscape};
  platform_.QueueTimer();  // never taken

  EXPECT_EQ(RunViewer(platform_), 0);

  EXPECT_EQ(platform_.peeks, 1);
  EXPECT_EQ(platform_.swaps, 0);
  EXPECT_EQ(Count(platform_.calls, "PostQuitMessage 0"), 1);
  // The quit was asked for during creation, yet start-up still ran to the end.
  EXPECT_TRUE(platform_.Called("SetTimer 1 10"));
  EXPECT_EQ(Count(platform_.calls, "UnregisterWindowClass OpenGL"), 1);
}

TEST_F(ViewerTest, UnloadableBitmapIsShownInABoxOwnedByTheFocusedWindow) {
  dir_.Write("textures.txt", "missing.bmp\n");
  platform_.answers = {MessageBoxAnswer::kNo};
  platform_.QueueTimer({Key::kEscape});

  EXPECT_EQ(RunViewer(platform_), 0);

  ASSERT_EQ(platform_.boxes.size(), 2u);
  const FakePlatform::Box& box = platform_.boxes[1];
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.text, "Failed to open DIB file missing.bmp.\n");
  EXPECT_EQ(box.buttons, MessageBoxButtons::kOk);
  EXPECT_EQ(box.icon, MessageBoxIcon::kNone);
  EXPECT_EQ(box.owner, MessageBoxOwner::kFocusedWindow);
  // The start-up went on and the frames were drawn.
  EXPECT_EQ(platform_.swaps, 1);
}

}  // namespace
