#include "app/window_procedure.h"

#include "app/authoring.h"
#include "app/frame_tick.h"
#include "app/render_window.h"
#include "app/settings.h"
#include "app/startup_timings.h"
#include "scene/renderer.h"
#include "store/phase_clock.h"
#include "store/scene_store.h"

void RunWindowFrameTick(Platform& platform) {
  HeldKeys keys;
  keys.escape = platform.IsKeyHeld(Key::kEscape);
  keys.up = platform.IsKeyHeld(Key::kUp);
  keys.down = platform.IsKeyHeld(Key::kDown);
  keys.left = platform.IsKeyHeld(Key::kLeft);
  keys.right = platform.IsKeyHeld(Key::kRight);
  keys.f1 = platform.IsKeyHeld(Key::kF1);

  const bool glReady = theRenderWindow.contextCurrent;
  if (glReady) RunAuthoringBeforeFrame(platform);
  const PhaseClock frame;
  // A picture to save needs a frame drawn to read it from.
  const bool sceneStill = theRenderWindow.pictureCurrent && !theRenderWindow.sceneTurns &&
                          !theAuthoring.pictureRequested;
  // Escape still lets this tick's frame be drawn and presented; the loop ends
  // when it takes the quit request.
  if (RunFrameTick(theSceneStore, theFrameTickState, theCamera, keys, glReady, sceneStill)) {
    platform.PostQuitMessage(0);
  }
  if (theFrameTickState.drew) {
    // A picture holds what the window shows, at the size it shows it.
    RunAuthoringAfterFrame(theRenderWindow.viewportWidth, theRenderWindow.viewportHeight);
    platform.SwapBuffers(theRenderWindow.deviceContext);
    theRenderWindow.pictureCurrent = true;
  }
  // The --timings report ends with the first frame that reaches the window.
  if (glReady && theSettings.timings != nullptr) {
    theSettings.timings->Add("first frame", frame, "Mesa's and the window system's");
    theSettings.timings->Print(stderr, theSettings.programName);
    theSettings.timings = nullptr;
  }
}

std::intptr_t HandleWindowMessage(Platform& platform, const WindowMessage& message) {
  switch (message.kind) {
    case MessageKind::kCreate:
    case MessageKind::kTimer:
      RunWindowFrameTick(platform);
      return DefaultWindowProcedure(platform, message);
    case MessageKind::kSize:
      ResizeViewport(message.width, message.height);
      return 0;
    case MessageKind::kExposed:
      theRenderWindow.pictureCurrent = false;
      return 0;
    case MessageKind::kClose:
      // The window stays: the loop ends and CloseRenderWindow destroys it.
      platform.PostQuitMessage(0);
      return 0;
    case MessageKind::kKeyDown:
      HandleAuthoringKey(message.key, message.repeat);
      return 0;
    case MessageKind::kKeyUp:
      return 0;
    case MessageKind::kMouseDrag:
      TurnByDrag(theFrameTickState, message.motionX);
      return 0;
    case MessageKind::kWheel:
      MoveByWheel(theFrameTickState, message.wheelNotches);
      return 0;
    case MessageKind::kDrop:
      HandleDroppedPath(message.dropped);
      return 0;
    case MessageKind::kSysCommand:
      if (message.command == SystemCommand::kScreenSave ||
          message.command == SystemCommand::kMonitorPower) {
        return 0;
      }
      return DefaultWindowProcedure(platform, message);
    default:
      return DefaultWindowProcedure(platform, message);
  }
}
