// The viewer on the scripted platform, with a real context behind the window:
// building and taking down the window, the start-up question, each message,
// the held keys of a tick, and the scene start-up on bad files.
#include "app/viewer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

#include "app/dropped_path.h"
#include "app/scene_initialization.h"
#include "app/window_procedure.h"
#include "tests/app/fake_platform.h"

namespace {

Calls Part(const Calls& calls, std::size_t from, std::size_t to) {
  return {calls.begin() + static_cast<long>(from), calls.begin() + static_cast<long>(to)};
}
std::string ErrorBox(const std::string& text, const char* icon = "exclamation") {
  return "Box ERROR|" + text + "|ok " + icon;
}

const Calls kQuestion = {
    "Box Start FullScreen?|Wollen Sie im Vollbildmodus starten?|yes-no question"};
const Calls kAfterCreate = {"dispatch Create",  "GetDeviceContext",       "ChoosePixelFormat",
                            "SetPixelFormat 3", "CreateRenderingContext", "MakeCurrent",
                            "ShowWindow",       "SetTimer 1 10"};
const Calls kBuild =
    Calls{"RegisterWindowClass OpenGL", "CreateWindow Morvane 2006 800x600 windowed 32/16 double"} +
    kAfterCreate;
const Calls kRelease = {"ReleaseCurrent", "DeleteRenderingContext",       "ReleaseDeviceContext",
                        "DestroyWindow",  "UnregisterWindowClass OpenGL", "KillTimer none 1"};
const Calls kFullScreen = {"RegisterWindowClass OpenGL", "ChangeDisplayMode 800x600x32",
                           "ShowCursor hide",
                           "CreateWindow Morvane 2006 800x600 full-screen 32/16 double"};
const Calls kRestore = {"RestoreDisplayMode", "ShowCursor show"};
const Calls kRefused = {"RegisterWindowClass OpenGL", "ChangeDisplayMode 800x600x32",
                        "Box Pello GL|The Requested Fullscreen Mode Is Not Supported By\nYour "
                        "Video Card. Use Windowed Mode Instead?|yes-no exclamation"};

using ViewerTest = ViewerFixture;

// Every run from the question to the exit code: full screen only on Yes (a box
// that cannot be shown answers kNone and leads to a window) or when the command
// line chose it without a question, the desktop's
// mode back first when taking down, a refused mode asked about, and each
// failing step releasing what was built before its box and ending with 1.
TEST_F(ViewerTest, RunsFromTheQuestionToTheExitCode) {
  using A = MessageBoxAnswer;
  const Calls ran = {"dispatch Timer", "SwapBuffers", "dispatch Close", "PostQuitMessage 0"};
  // `built` calls of kBuild, the failing one included, then the last `released` of kRelease.
  const auto failed = [](std::size_t built, std::size_t released, const char* text) {
    return Part(kBuild, 0, built) + Part(kRelease, 6 - released, 6) + Calls{ErrorBox(text)};
  };
  const struct {
    std::deque<A> answers;
    const char* failing;
    Calls calls;  // after the question
    bool hasMode = true;
    ScreenChoice screen = ScreenChoice::kAsk;
  } cases[] = {
      {{A::kYes}, "", kFullScreen + kAfterCreate + ran + kRestore + kRelease},
      {{A::kNone}, "", kBuild + ran + kRelease},
      {{A::kYes, A::kYes}, "", kRefused + Part(kBuild, 1, 10) + ran + kRelease, false},
      {{A::kYes, A::kNone}, "", kRefused + Part(kBuild, 1, 10) + ran + kRelease, false},
      {{A::kYes, A::kNo}, "", kRefused + Calls{ErrorBox("Program Will Now Close.", "stop")}, false},
      {{}, "", kBuild + ran + kRelease, true, ScreenChoice::kWindowed},
      {{A::kYes},
       "",
       kRefused + Part(kBuild, 1, 10) + ran + kRelease,
       false,
       ScreenChoice::kFullScreen},
      {{A::kYes},
       "MakeCurrent",
       kFullScreen + Part(kAfterCreate, 0, 6) + kRestore +
           failed(0, 6, "Can't Activate The GL Rendering Context.")},
      {{A::kNo}, "RegisterWindowClass", failed(1, 0, "Failed To Register The Window Class.")},
      {{A::kNo}, "CreateWindow", failed(2, 2, "Window Creation Error.")},
      {{A::kNo}, "GetDeviceContext", failed(4, 3, "Can't Create A GL Device Context.")},
      {{A::kNo}, "ChoosePixelFormat", failed(5, 4, "Can't Find A Suitable PixelFormat.")},
      {{A::kNo}, "SetPixelFormat", failed(6, 4, "Can't Set The PixelFormat.")},
      {{A::kNo}, "CreateRenderingContext", failed(7, 4, "Can't Create A GL Rendering Context.")},
      {{A::kNo}, "MakeCurrent", failed(8, 6, "Can't Activate The GL Rendering Context.")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    Reset();
    std::filesystem::remove("ogllist.txt");
    FakePlatform platform;
    platform.answers = c.answers;
    platform.displayHasMode = c.hasMode;
    platform.failing = {c.failing};
    platform.Queue(MessageKind::kTimer);  // a failed start never takes them
    platform.Queue(MessageKind::kClose);
    const bool opened = c.calls.back() == "KillTimer none 1";
    EXPECT_EQ(RunViewer(platform, c.screen), opened ? 0 : kViewerNoWindow);
    EXPECT_EQ(platform.calls, (c.screen == ScreenChoice::kAsk ? kQuestion : Calls{}) + c.calls);
    // The scene is read once the context is current, and only then.
    EXPECT_EQ(std::filesystem::exists("ogllist.txt"), opened);
  }
}

TEST_F(ViewerTest, EveryFailingReleaseStepShowsItsBoxAndTheSequenceGoesOn) {
  ASSERT_TRUE(OpenRenderWindow(platform_, "Morvane 2006", 800, 600, 32, false));
  platform_.failing = {"ReleaseCurrent", "DeleteRenderingContext", "ReleaseDeviceContext",
                       "DestroyWindow", "UnregisterWindowClass"};
  platform_.calls.clear();
  CloseRenderWindow(platform_);
  const std::string box = "Box SHUTDOWN ERROR|";
  EXPECT_EQ(platform_.calls,
            (Calls{"ReleaseCurrent", box + "Release Of DC And RC Failed.|ok information",
                   "DeleteRenderingContext",
                   box + "Release Rendering Context Failed.|ok information", "ReleaseDeviceContext",
                   box + "Release Device Context Failed.|ok information", "DestroyWindow",
                   box + "Could Not Release hWnd.|ok information", "UnregisterWindowClass OpenGL",
                   box + "Could Not Unregister Class.|ok information", "KillTimer none 1"}));
}

TEST_F(ViewerTest, AnswerNoRunsWindowedUntilEscapeAndPresentsTheEscapeFrame) {
  // A bitmap that cannot be loaded is shown in a box the focused window owns.
  dir_.Write("textures.txt", "missing.bmp\nsquare.bmp\n");
  platform_.answers = {MessageBoxAnswer::kNo};
  platform_.Queue(MessageKind::kTimer, {Key::kUp});
  // The square does not turn: a tick that moves nothing draws nothing.
  platform_.Queue(MessageKind::kTimer);
  platform_.Queue(MessageKind::kTimer, {Key::kEscape, Key::kUp});
  platform_.Queue(MessageKind::kTimer);  // never taken: the quit request comes first

  EXPECT_EQ(RunViewer(platform_), 0);

  EXPECT_EQ(platform_.calls,
            kQuestion + Part(kBuild, 0, 9) +
                Calls({"Box Error|Failed to open DIB file missing.bmp.\n|ok none owned",
                       "SetTimer 1 10", "dispatch Timer", "SwapBuffers", "dispatch Timer",
                       "dispatch Timer", "PostQuitMessage 0", "SwapBuffers"}) +
                kRelease);
  EXPECT_NEAR(theCamera.eyeZ, -0.30f, 1e-6);
}

TEST_F(ViewerTest, EscapeHeldWhileTheWindowIsCreatedEndsRightAfterStartUp) {
  platform_.answers = {MessageBoxAnswer::kNo};
  platform_.held = {Key::kEscape, Key::kLeft};
  EXPECT_EQ(RunViewer(platform_), 0);
  // The creation tick, before any context, turned the camera and asked to
  // quit, presenting nothing; start-up still ran to its end.
  EXPECT_NEAR(theFrameTickState.heading, 0.04f, 1e-7);
  EXPECT_EQ(platform_.calls, kQuestion + Part(kBuild, 0, 3) + Calls{"PostQuitMessage 0"} +
                                 Part(kAfterCreate, 1, 8) + kRelease);
}

// A window that is completely built, with the log cleared.
class WindowProcedureTest : public ViewerFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenRenderWindow(platform_, "Morvane 2006", 800, 600, 32, false));
    platform_.calls.clear();
  }
};

TEST_F(WindowProcedureTest, SizeSetsTheViewportWhileAContextIsCurrentAndTicksKeepTheAspect) {
  const auto viewport = [] {
    GLint box[4] = {};
    glGetIntegerv(GL_VIEWPORT, box);
    GLdouble projection[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    return std::to_string(box[2]) + "x" + std::to_string(box[3]) + " aspect " +
           std::to_string(std::lround(projection[5] / projection[0] * 1000));
  };
  EXPECT_EQ(viewport(), "800x600 aspect 1333");
  HandleWindowMessage(platform_, {.kind = MessageKind::kSize, .width = 640, .height = 0});
  EXPECT_EQ(viewport(), "640x1 aspect 640000");
  HandleWindowMessage(platform_, {.kind = MessageKind::kSize, .width = 1, .height = 1000});
  EXPECT_EQ(viewport(), "1x1000 aspect 1");
  // Each frame loads the configured 800 × 600 aspect, not the window's.
  HandleWindowMessage(platform_, {.kind = MessageKind::kTimer, .timerId = 1});
  EXPECT_EQ(viewport(), "1x1000 aspect 1333");
  theRenderWindow.contextCurrent = false;
  HandleWindowMessage(platform_, {.kind = MessageKind::kSize, .width = 300, .height = 200});
  EXPECT_EQ(viewport(), "1x1000 aspect 1333");
}

// The mouse acts through the ticks alone: a drag to the right turns the
// camera left (the scene follows the pointer), a wheel notch away glides
// forward a move step per tick, F1 wins over the mouse as over the arrows, and
// a tick without input, or with vertical motion alone, draws nothing.
TEST_F(WindowProcedureTest, TheMouseTurnsAndMovesTheCameraAtTheTicksAndF1StillWins) {
  const auto send = [this](const WindowMessage& message) {
    HandleWindowMessage(platform_, message);
  };
  const auto drew = [this](std::set<Key> held = {}) {
    platform_.held = std::move(held);
    platform_.calls.clear();
    HandleWindowMessage(platform_, {.kind = MessageKind::kTimer, .timerId = 1});
    return platform_.calls == Calls{"SwapBuffers"};
  };
  EXPECT_TRUE(drew());
  send({.kind = MessageKind::kMouseDrag, .motionX = 30, .motionY = 40});
  send({.kind = MessageKind::kMouseDrag, .motionX = 20});
  EXPECT_EQ(theFrameTickState.heading, 0);
  EXPECT_TRUE(drew());
  EXPECT_NEAR(theFrameTickState.heading, 0.2f, 1e-6);
  send({.kind = MessageKind::kMouseDrag, .motionY = 50});
  EXPECT_FALSE(drew());
  send({.kind = MessageKind::kMouseDrag, .motionX = 100});
  EXPECT_TRUE(drew({Key::kF1}));
  EXPECT_EQ(theFrameTickState.heading, 0);

  send({.kind = MessageKind::kWheel, .wheelNotches = 1});
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(drew()) << i;
  EXPECT_FALSE(drew());
  EXPECT_NEAR(theCamera.eyeZ, -0.6f, 1e-6);
  send({.kind = MessageKind::kWheel, .wheelNotches = -0.5f});
  EXPECT_FALSE(drew({Key::kUp}));  // Up and the wheel's step back cancel out
  EXPECT_TRUE(drew());
  EXPECT_FALSE(drew());
  EXPECT_NEAR(theCamera.eyeZ, -0.45f, 1e-6);
  send({.kind = MessageKind::kWheel, .wheelNotches = 2});
  EXPECT_TRUE(drew());
  EXPECT_FALSE(drew({Key::kF1}));
  EXPECT_FALSE(drew());
  EXPECT_NEAR(theCamera.eyeZ, -0.6f, 1e-6);
  EXPECT_EQ(theCamera.eyeX, 0);
}

// What a drop opens: a folder holding a scene, as an absolute path (a
// relative one is taken from the scene folder on screen); nothing else.
TEST_F(ViewerTest, OnlyAFolderHoldingASceneOpensWhenDropped) {
  std::filesystem::create_directory(dir_.path() / "empty");
  dir_.Write("model.obj", "v 0 0 0\n");
  const std::string here = std::filesystem::canonical(dir_.path()).string();
  const struct {
    std::string path;
    std::string folder;
    std::string problem;
  } cases[] = {
      {here, here, ""},
      {".", here, ""},
      {"model.obj", "", "a file, but not a model file"},
      {"empty", "", "holds no objects.txt, scene.txt or textures.txt"},
      {"missing", "", "No such file"},
      {"/dev/null", "", "neither a scene folder nor a model file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::string problem;
    EXPECT_EQ(ResolveDroppedPath(c.path, problem).value_or(""), c.folder);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
  // A refusal names what was dropped in one line, however long or odd it is.
  EXPECT_EQ(OneLine("a\nb\x7f" + std::string(250, 'x')), "a?b?" + std::string(196, 'x') + "...");
}

TEST_F(ViewerTest, InitializeSceneReadsTheSceneAfterAMalformedObjectFile) {
  // A rejected line stops the compilation; the list before it still counts.
  dir_.Write("objects.txt", "list;\nname=square;\nendlist;\nbad=?;\nname=later;\n");
  auto context = OffscreenContext::Create(16, 16);
  CapturedStream log;
  InitializeScene(theSceneStore, log.file());
  EXPECT_NE(log.Text().find("Parse-Error: 5 in Line: 3."), std::string::npos);
  EXPECT_EQ(theSceneStore.namedLists.size(), 1u);
  EXPECT_EQ(theSceneStore.sceneEntries.at(0).listId, 1);
  // What every frame relies on, whatever the files held.
  GLint depthFunction = 0, hint = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D) && glIsEnabled(GL_DEPTH_TEST));
  EXPECT_EQ(depthFunction * 10000 + hint, GL_LEQUAL * 10000 + GL_NICEST);
}

}  // namespace
