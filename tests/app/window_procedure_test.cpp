// The window procedure on the scripted platform: what each message does, and
// how the keys held at a tick move and turn the camera, with a real context
// behind the window so every tick draws.
#include "app/window_procedure.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/frame_tick.h"
#include "app/render_window.h"
#include "scene/renderer.h"
#include "tests/app/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

WindowMessage Message(MessageKind kind) {
  WindowMessage message;
  message.kind = kind;
  return message;
}

WindowMessage Timer(std::uint32_t id) {
  WindowMessage message = Message(MessageKind::kTimer);
  message.timerId = id;
  return message;
}

WindowMessage Size(std::int32_t width, std::int32_t height) {
  WindowMessage message = Message(MessageKind::kSize);
  message.width = width;
  message.height = height;
  return message;
}

WindowMessage KeyMessage(MessageKind kind, Key key) {
  WindowMessage message = Message(kind);
  message.key = key;
  return message;
}

WindowMessage Command(SystemCommand command) {
  WindowMessage message = Message(MessageKind::kSysCommand);
  message.command = command;
  return message;
}

// A window that is completely built, with the log cleared.
class WindowProcedureTest : public ViewerFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenRenderWindow(platform_, "Morvane 2006", 800, 600, 32, false));
    platform_.calls.clear();
  }
};

struct MessageCase {
  const char* name;
  WindowMessage message;
  Calls expectedCalls;
  bool ticks;
};

class MessageTableTest : public WindowProcedureTest,
                         public ::testing::WithParamInterface<MessageCase> {};

TEST_P(MessageTableTest, DoesWhatTheMessageAsksAndNothingElse) {
  const MessageCase& c = GetParam();
  const float angleBefore = theCamera.animationAngle;

  EXPECT_EQ(HandleWindowMessage(platform_, c.message), 0);

  EXPECT_EQ(platform_.calls, c.expectedCalls);
  EXPECT_EQ(theCamera.animationAngle != angleBefore, c.ticks);
  EXPECT_FALSE(platform_.screenSaverAllowed);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MessageTableTest,
    ::testing::Values(
        MessageCase{"Create", Message(MessageKind::kCreate), {"SwapBuffers"}, true},
        MessageCase{"TimerOne", Timer(1), {"SwapBuffers"}, true},
        MessageCase{"TimerOfAnyId", Timer(42), {"SwapBuffers"}, true},
        MessageCase{"Size", Size(640, 480), {}, false},
        MessageCase{"CloseQuitsButKeepsTheWindow",
                    Message(MessageKind::kClose),
                    {"PostQuitMessage 0"},
                    false},
        MessageCase{"KeyDown", KeyMessage(MessageKind::kKeyDown, Key::kEscape), {}, false},
        MessageCase{"KeyUp", KeyMessage(MessageKind::kKeyUp, Key::kUp), {}, false},
        MessageCase{"ScreenSaverRefused", Command(SystemCommand::kScreenSave), {}, false},
        MessageCase{"MonitorPowerRefused", Command(SystemCommand::kMonitorPower), {}, false},
        MessageCase{"MinimiseTakesItsDefaultCourse", Command(SystemCommand::kMinimize), {}, false},
        MessageCase{"CloseCommandBecomesClose",
                    Command(SystemCommand::kClose),
                    {"dispatch Close", "PostQuitMessage 0"},
                    false},
        MessageCase{"AltF4BecomesClose",
                    KeyMessage(MessageKind::kSysKeyDown, Key::kF4),
                    {"dispatch SysCommand", "dispatch Close", "PostQuitMessage 0"},
                    false},
        MessageCase{
            "AltWithAnotherKey", KeyMessage(MessageKind::kSysKeyDown, Key::kOther), {}, false},
        MessageCase{"Other", Message(MessageKind::kOther), {}, false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(WindowProcedureTest, SizeMessageSetsTheViewportAndTheNextTickKeepsTheAspect) {
  HandleWindowMessage(platform_, Size(640, 0));
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 1);

  HandleWindowMessage(platform_, Timer(1));
  // The camera stands at the origin looking along -z, so the projection's x
  // and y scales still show the configured 800 / 600, not the viewport's.
  GLdouble projection[16] = {};
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  EXPECT_NEAR(projection[5] / projection[0], 800.0 / 600.0, 1e-6);
}

TEST_F(WindowProcedureTest, PassingTheScreenSaverOnWouldLetItRun) {
  // The refusal matters: the platform's default handling lets it start.
  DefaultWindowProcedure(platform_, Command(SystemCommand::kScreenSave));
  EXPECT_TRUE(platform_.screenSaverAllowed);
}

struct KeyCase {
  const char* name;
  std::set<Key> held;
  float movement;  // the tick's movement request
  float heading;   // after one tick from heading 0.4
  bool quits;
};

class HeldKeysTest : public WindowProcedureTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(HeldKeysTest, MoveAndTurnTheCameraForOneTick) {
  const KeyCase& c = GetParam();
  theCamera = CameraState{};
  theFrameTickState = FrameTickState{};
  theFrameTickState.heading = 0.4f;
  const float eyeXBefore = theCamera.eyeX;
  platform_.held = c.held;

  HandleWindowMessage(platform_, Timer(1));

  EXPECT_NEAR(theFrameTickState.heading, c.heading, 1e-6);
  // Movement happens along the heading as it stood after this tick's turn.
  EXPECT_NEAR(theCamera.eyeZ, c.movement * std::cos(c.heading), 1e-6);
  EXPECT_NEAR(theCamera.eyeX, eyeXBefore + c.movement * std::sin(c.heading), 1e-6);
  EXPECT_EQ(theFrameTickState.movementRequest, 0.0f);
  EXPECT_EQ(platform_.Called("PostQuitMessage 0"), c.quits);
  // The frame is drawn and presented whatever was held, Escape included.
  EXPECT_EQ(platform_.calls.back(), "SwapBuffers");
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, HeldKeysTest,
    ::testing::Values(KeyCase{"Nothing", {}, 0, 0.4f, false},
                      KeyCase{"Up", {Key::kUp}, -0.15f, 0.4f, false},
                      KeyCase{"Down", {Key::kDown}, 0.15f, 0.4f, false},
                      KeyCase{"UpAndDownBacksAway", {Key::kUp, Key::kDown}, 0.15f, 0.4f, false},
                      KeyCase{"Left", {Key::kLeft}, 0, 0.44f, false},
                      KeyCase{"Right", {Key::kRight}, 0, 0.36f, false},
                      KeyCase{"LeftAndRightCancel", {Key::kLeft, Key::kRight}, 0, 0.4f, false},
                      KeyCase{"F1WithArrowsResetsAndStays",
                              {Key::kF1, Key::kUp, Key::kLeft, Key::kDown},
                              0,
                              0.0f,
                              false},
                      KeyCase{"EscapeQuitsAfterDrawing", {Key::kEscape}, 0, 0.4f, true},
                      KeyCase{
                          "EscapeWithUpStillMoves", {Key::kEscape, Key::kUp}, -0.15f, 0.4f, true}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST_F(WindowProcedureTest, AKeyTappedBetweenTwoTicksHasNoEffect) {
  HandleWindowMessage(platform_, KeyMessage(MessageKind::kKeyDown, Key::kUp));
  HandleWindowMessage(platform_, KeyMessage(MessageKind::kKeyUp, Key::kUp));
  HandleWindowMessage(platform_, Timer(1));
  EXPECT_EQ(theCamera.eyeZ, 0.0f);
}

TEST_F(WindowProcedureTest, TickWithoutContextKeepsItsEffectsButDrawsNothing) {
  theRenderWindow.contextCurrent = false;
  platform_.held = {Key::kEscape, Key::kLeft};
  const float angleBefore = theCamera.animationAngle;

  HandleWindowMessage(platform_, Message(MessageKind::kCreate));

  EXPECT_EQ(platform_.calls, Calls{"PostQuitMessage 0"});
  EXPECT_NEAR(theFrameTickState.heading, 0.04f, 1e-7);
  EXPECT_FLOAT_EQ(theCamera.animationAngle, angleBefore + 0.1f);
}

}  // namespace
