// Building and taking down the window and context on the scripted platform:
// the order of the steps, the box of each failing step (shown only after what
// was built is released), the refused full-screen mode, the release of a
// partly built state, and the viewport.
#include "app/render_window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "scene/renderer.h"
#include "tests/app/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;
using Step = FakePlatform::Step;

const Calls kWindowedBuild = {
    "RegisterWindowClass OpenGL",
    "CreateWindow Morvane 2006 800x600 windowed 32/16 double",
    "dispatch Create",
    "GetDeviceContext",
    "ChoosePixelFormat",
    "SetPixelFormat 3",
    "CreateRenderingContext",
    "MakeCurrent",
    "ShowWindow",
    "SetTimer 1 10",
};

bool Open(FakePlatform& platform, bool fullScreen) {
  return OpenRenderWindow(platform, "Morvane 2006", 800, 600, 32, fullScreen);
}

bool AllHandlesEmpty() {
  return theRenderWindow.window == WindowHandle::kNone &&
         theRenderWindow.deviceContext == DeviceContextHandle::kNone &&
         theRenderWindow.renderingContext == RenderingContextHandle::kNone &&
         !theRenderWindow.classRegistered && !theRenderWindow.contextCurrent;
}

using RenderWindowTest = ViewerFixture;

TEST_F(RenderWindowTest, WindowedBuildRunsEveryStepInOrderAndInitialisesTheScene) {
  ASSERT_TRUE(Open(platform_, false));

  EXPECT_EQ(platform_.calls, kWindowedBuild);
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_FALSE(theSettings.fullScreen);
  EXPECT_TRUE(theRenderWindow.contextCurrent);
  // The creation tick ran before any context: it advanced the animation but
  // presented nothing.
  EXPECT_FLOAT_EQ(theCamera.animationAngle, 0.1f);
  EXPECT_EQ(platform_.swaps, 0);
  // The scene was initialised once the context was current.
  EXPECT_TRUE(std::filesystem::exists("ogllist.txt"));
  EXPECT_EQ(theSceneStore.sceneEntryCount, 1);
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
}

TEST_F(RenderWindowTest, FullScreenBuildChangesTheModeAndHidesTheCursorUntilClosed) {
  ASSERT_TRUE(Open(platform_, true));
  EXPECT_TRUE(theSettings.fullScreen);
  const Calls start(platform_.calls.begin(), platform_.calls.begin() + 4);
  EXPECT_EQ(start,
            (Calls{"RegisterWindowClass OpenGL", "ChangeDisplayMode 800x600x32", "ShowCursor hide",
                   "CreateWindow Morvane 2006 800x600 full-screen 32/16 double"}));

  platform_.calls.clear();
  CloseRenderWindow(platform_);
  EXPECT_EQ(platform_.calls,
            (Calls{"RestoreDisplayMode", "ShowCursor show", "ReleaseCurrent",
                   "DeleteRenderingContext", "ReleaseDeviceContext", "DestroyWindow",
                   "UnregisterWindowClass OpenGL", "KillTimer none 1"}));
  EXPECT_TRUE(AllHandlesEmpty());
}

struct FailingStep {
  Step step;
  const char* text;
  std::size_t stepsBuilt;  // how many calls of kWindowedBuild happen, the failing one included
  Calls release;           // what is taken down before the box
};

class FailingStepTest : public ViewerFixture, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingStepTest, ReleasesWhatWasBuiltThenShowsItsBox) {
  const FailingStep& c = GetParam();
  platform_.failing = {c.step};

  EXPECT_FALSE(Open(platform_, false));

  Calls expected(kWindowedBuild.begin(), kWindowedBuild.begin() + c.stepsBuilt);
  expected.insert(expected.end(), c.release.begin(), c.release.end());
  expected.insert(expected.end(), {"UnregisterWindowClass OpenGL", "KillTimer none 1",
                                   std::string("Box ERROR|") + c.text});
  EXPECT_EQ(platform_.calls, expected);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].buttons, MessageBoxButtons::kOk);
  EXPECT_EQ(platform_.boxes[0].icon, MessageBoxIcon::kExclamation);
  EXPECT_EQ(platform_.boxes[0].owner, MessageBoxOwner::kNone);
  EXPECT_TRUE(AllHandlesEmpty());
  EXPECT_FALSE(std::filesystem::exists("ogllist.txt")) << "the scene must not be initialised";
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, FailingStepTest,
    ::testing::Values(FailingStep{Step::kCreateWindow, "Window Creation Error.", 2, {}},
                      FailingStep{Step::kGetDeviceContext,
                                  "Can't Create A GL Device Context.",
                                  4,
                                  {"DestroyWindow"}},
                      FailingStep{Step::kChoosePixelFormat,
                                  "Can't Find A Suitable PixelFormat.",
                                  5,
                                  {"ReleaseDeviceContext", "DestroyWindow"}},
                      FailingStep{Step::kSetPixelFormat,
                                  "Can't Set The PixelFormat.",
                                  6,
                                  {"ReleaseDeviceContext", "DestroyWindow"}},
                      FailingStep{Step::kCreateContext,
                                  "Can't Create A GL Rendering Context.",
                                  7,
                                  {"ReleaseDeviceContext", "DestroyWindow"}},
                      FailingStep{Step::kMakeCurrent,
                                  "Can't Activate The GL Rendering Context.",
                                  8,
                                  {"ReleaseCurrent", "DeleteRenderingContext",
                                   "ReleaseDeviceContext", "DestroyWindow"}}));

TEST_F(RenderWindowTest, FailureInAFullScreenRunRestoresTheDesktopBeforeTheBox) {
  platform_.failing = {Step::kMakeCurrent};
  EXPECT_FALSE(Open(platform_, true));
  const Calls tail = platform_.CallsFrom("MakeCurrent");
  EXPECT_EQ(tail, (Calls{"MakeCurrent", "RestoreDisplayMode", "ShowCursor show", "ReleaseCurrent",
                         "DeleteRenderingContext", "ReleaseDeviceContext", "DestroyWindow",
                         "UnregisterWindowClass OpenGL", "KillTimer none 1",
                         "Box ERROR|Can't Activate The GL Rendering Context."}));
}

TEST_F(RenderWindowTest, UnregistrableClassShowsItsBoxAndReleasesNothing) {
  platform_.failing = {Step::kRegisterClass};
  EXPECT_FALSE(Open(platform_, true));
  EXPECT_EQ(platform_.calls, (Calls{"RegisterWindowClass OpenGL",
                                    "Box ERROR|Failed To Register The Window Class."}));
  EXPECT_EQ(platform_.boxes[0].icon, MessageBoxIcon::kExclamation);
}

TEST_F(RenderWindowTest, RefusedModeAnsweredYesRunsWindowedAndLeavesTheModeAlone) {
  platform_.displayHasMode = false;
  platform_.answers = {MessageBoxAnswer::kYes};

  ASSERT_TRUE(Open(platform_, true));

  ASSERT_GE(platform_.boxes.size(), 1u);
  const FakePlatform::Box& question = platform_.boxes[0];
  EXPECT_EQ(question.caption, "Pello GL");
  EXPECT_EQ(question.text,
            "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
            "Mode Instead?");
  EXPECT_EQ(question.buttons, MessageBoxButtons::kYesNo);
  EXPECT_EQ(question.icon, MessageBoxIcon::kExclamation);
  EXPECT_EQ(question.owner, MessageBoxOwner::kNone);
  EXPECT_FALSE(theSettings.fullScreen);
  EXPECT_TRUE(platform_.Called("CreateWindow Morvane 2006 800x600 windowed 32/16 double"));
  EXPECT_FALSE(platform_.Called("ShowCursor hide"));

  platform_.calls.clear();
  CloseRenderWindow(platform_);
  EXPECT_FALSE(platform_.Called("RestoreDisplayMode"));
  EXPECT_FALSE(platform_.Called("ShowCursor show"));
}

TEST_F(RenderWindowTest, RefusedModeAnsweredNoClosesTheProgramWithoutAWindow) {
  platform_.displayHasMode = false;
  platform_.answers = {MessageBoxAnswer::kNo};

  EXPECT_FALSE(Open(platform_, true));

  ASSERT_EQ(platform_.boxes.size(), 2u);
  EXPECT_EQ(platform_.calls.back(), "Box ERROR|Program Will Now Close.");
  EXPECT_EQ(platform_.boxes[1].icon, MessageBoxIcon::kStop);
  EXPECT_EQ(platform_.boxes[1].buttons, MessageBoxButtons::kOk);
  EXPECT_FALSE(platform_.Called("CreateWindow Morvane 2006 800x600 windowed 32/16 double"));
  EXPECT_FALSE(platform_.Called("UnregisterWindowClass OpenGL"));
}

struct PartialState {
  const char* name;
  bool keepWindow, keepSurface, keepContext;
  Calls expected;
};

class PartialCloseTest : public ViewerFixture,
                         public ::testing::WithParamInterface<PartialState> {};

TEST_P(PartialCloseTest, SkipsEmptyHandlesAndAlwaysUnregistersAndStopsTheTimer) {
  const PartialState& c = GetParam();
  ASSERT_TRUE(Open(platform_, false));
  if (!c.keepWindow) theRenderWindow.window = WindowHandle::kNone;
  if (!c.keepSurface) theRenderWindow.deviceContext = DeviceContextHandle::kNone;
  if (!c.keepContext) {
    theRenderWindow.renderingContext = RenderingContextHandle::kNone;
    theRenderWindow.contextCurrent = false;
  }
  platform_.calls.clear();

  CloseRenderWindow(platform_);

  EXPECT_EQ(platform_.calls, c.expected);
  EXPECT_TRUE(platform_.boxes.empty());
  EXPECT_TRUE(AllHandlesEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    States, PartialCloseTest,
    ::testing::Values(
        PartialState{
            "ClassOnly", false, false, false, {"UnregisterWindowClass OpenGL", "KillTimer none 1"}},
        PartialState{"WindowOnly",
                     true,
                     false,
                     false,
                     {"DestroyWindow", "UnregisterWindowClass OpenGL", "KillTimer none 1"}},
        PartialState{"WindowAndSurface",
                     true,
                     true,
                     false,
                     {"ReleaseDeviceContext", "DestroyWindow", "UnregisterWindowClass OpenGL",
                      "KillTimer none 1"}},
        PartialState{"Everything",
                     true,
                     true,
                     true,
                     {"ReleaseCurrent", "DeleteRenderingContext", "ReleaseDeviceContext",
                      "DestroyWindow", "UnregisterWindowClass OpenGL", "KillTimer none 1"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(RenderWindowTest, EveryFailingReleaseStepShowsItsBoxAndTheSequenceGoesOn) {
  ASSERT_TRUE(Open(platform_, false));
  platform_.failing = {Step::kReleaseCurrent, Step::kDeleteContext, Step::kReleaseDeviceContext,
                       Step::kDestroyWindow, Step::kUnregisterClass};
  platform_.calls.clear();

  CloseRenderWindow(platform_);

  EXPECT_EQ(platform_.calls,
            (Calls{"ReleaseCurrent", "Box SHUTDOWN ERROR|Release Of DC And RC Failed.",
                   "DeleteRenderingContext", "Box SHUTDOWN ERROR|Release Rendering Context Failed.",
                   "ReleaseDeviceContext", "Box SHUTDOWN ERROR|Release Device Context Failed.",
                   "DestroyWindow", "Box SHUTDOWN ERROR|Could Not Release hWnd.",
                   "UnregisterWindowClass OpenGL", "Box SHUTDOWN ERROR|Could Not Unregister Class.",
                   "KillTimer none 1"}));
  for (const FakePlatform::Box& box : platform_.boxes) {
    EXPECT_EQ(box.icon, MessageBoxIcon::kInformation) << box.text;
    EXPECT_EQ(box.buttons, MessageBoxButtons::kOk) << box.text;
    EXPECT_EQ(box.owner, MessageBoxOwner::kNone) << box.text;
  }
  EXPECT_TRUE(AllHandlesEmpty());
}

struct ViewportCase {
  std::int32_t width, height;
  GLint expectedHeight;
};

class ResizeViewportTest : public ::testing::TestWithParam<ViewportCase> {};

TEST_P(ResizeViewportTest, SetsTheViewportAndAProjectionOfItsAspect) {
  const ViewportCase& c = GetParam();
  auto context = OffscreenContext::Create(64, 64);
  ASSERT_TRUE(context);
  ResetViewerState();
  theRenderWindow.contextCurrent = true;

  ResizeViewport(c.width, c.height);

  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 0);
  EXPECT_EQ(viewport[2], c.width);
  EXPECT_EQ(viewport[3], c.expectedHeight);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);
  GLdouble projection[16] = {};
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const double f = 1.0 / std::tan(45.0 / 2 * 3.14159265358979323846 / 180);
  EXPECT_NEAR(projection[5], f, 1e-6);
  EXPECT_NEAR(projection[0] / (f * c.expectedHeight / c.width), 1.0, 1e-6);
  const double nearPlane = static_cast<double>(0.1f), farPlane = 100.0;
  EXPECT_NEAR(projection[10], (farPlane + nearPlane) / (nearPlane - farPlane), 1e-6);
  ResetViewerState();
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResizeViewportTest,
                         ::testing::Values(ViewportCase{800, 600, 600}, ViewportCase{640, 0, 1},
                                           ViewportCase{1, 1000, 1000}));

TEST(ResizeViewportWithoutContextTest, ChangesNothingWhileNoContextIsCurrent) {
  auto context = OffscreenContext::Create(64, 64);
  ASSERT_TRUE(context);
  ResetViewerState();  // no context of the viewer's own is current

  ResizeViewport(300, 200);

  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(viewport[3], 64);
}

}  // namespace
