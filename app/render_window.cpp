#include "app/render_window.h"

#include <GL/gl.h>

#include <chrono>

#include "app/authoring.h"
#include "app/frame_tick.h"
#include "app/scene_load.h"
#include "app/settings.h"
#include "app/startup_timings.h"
#include "app/window_procedure.h"
#include "loading/interruption.h"
#include "scene/renderer.h"
#include "store/phase_clock.h"
#include "store/scene_store.h"

RenderWindowHandles theRenderWindow;

namespace {

// What stopped the last start, for the caller's one line on standard error.
const char* lastStartupError = "";

void ShowStartupError(Platform& platform, const char* text,
                      MessageBoxIcon icon = MessageBoxIcon::kExclamation) {
  lastStartupError = text;
  platform.ShowMessageBox("ERROR", text, MessageBoxButtons::kOk, icon, MessageBoxOwner::kNone);
}

void ShowShutdownError(Platform& platform, const char* text) {
  platform.ShowMessageBox("SHUTDOWN ERROR", text, MessageBoxButtons::kOk,
                          MessageBoxIcon::kInformation, MessageBoxOwner::kNone);
}

// A failure from the window on: take down what exists first, so the box comes
// up over the desktop's own display mode with no window behind it.
bool FailAfterRelease(Platform& platform, const char* text) {
  CloseRenderWindow(platform);
  ShowStartupError(platform, text);
  return false;
}

// How long start-up works before it looks at the window's close button.
constexpr auto kStartupSlice = std::chrono::milliseconds(20);

// Runs the load to its end, looking for a close between slices; false when
// it was closed or interrupted first.
bool LoadUnlessClosed(Platform& platform, SceneLoad& load) {
  while (!load.Advance(LoadClock::now() + kStartupSlice)) {
    if (platform.CloseRequested()) load.Cancel();
  }
  return !load.Stopped();
}

}  // namespace

bool OpenRenderWindow(Platform& platform, const char* title, std::int32_t width,
                      std::int32_t height, int bits, bool fullScreen) {
  theSettings.fullScreen = fullScreen;

  if (!platform.RegisterWindowClass(kWindowClassName, HandleWindowMessage)) {
    ShowStartupError(platform, "Failed To Register The Window Class.");
    return false;
  }

  if (theSettings.fullScreen && !platform.ChangeDisplayMode(width, height, bits)) {
    const MessageBoxAnswer answer = platform.ShowMessageBox(
        "Pello GL",
        "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode "
        "Instead?",
        MessageBoxButtons::kYesNo, MessageBoxIcon::kExclamation, MessageBoxOwner::kNone);
    // Only an explicit No closes the program: a box that could not be shown
    // takes the answer that still shows the scene.
    if (answer == MessageBoxAnswer::kNo) {
      ShowStartupError(platform, "Program Will Now Close.", MessageBoxIcon::kStop);
      return false;
    }
    theSettings.fullScreen = false;
  }
  if (theSettings.fullScreen) platform.ShowCursor(false);

  // The platform sizes windows by their client area, so the request carries
  // the client size itself and the frame (if any) grows around it.
  WindowRequest request;
  request.title = title;
  request.width = width;
  request.height = height;
  request.fullScreen = theSettings.fullScreen;
  request.pixelFormat.colourBits = bits;
  request.pixelFormat.depthBits = 16;
  request.pixelFormat.doubleBuffered = true;

  // The files are read while the window and its context are made; a start
  // that fails stops the reading and leaves no parse log.
  SceneLoad load(theSceneStore, SceneLoad::Mode::kStartUp, theSettings.parseLog,
                 InterruptionToken());
  const PhaseClock windowPhase;
  theRenderWindow.window = platform.CreateWindow(request);
  if (theRenderWindow.window == WindowHandle::kNone) {
    return FailAfterRelease(platform, "Window Creation Error.");
  }
  theRenderWindow.deviceContext = platform.GetDeviceContext(theRenderWindow.window);
  if (theRenderWindow.deviceContext == DeviceContextHandle::kNone) {
    return FailAfterRelease(platform, "Can't Create A GL Device Context.");
  }
  const int format = platform.ChoosePixelFormat(theRenderWindow.deviceContext, request.pixelFormat);
  if (format == 0) return FailAfterRelease(platform, "Can't Find A Suitable PixelFormat.");
  if (!platform.SetPixelFormat(theRenderWindow.deviceContext, format, request.pixelFormat)) {
    return FailAfterRelease(platform, "Can't Set The PixelFormat.");
  }
  theRenderWindow.renderingContext = platform.CreateRenderingContext(theRenderWindow.deviceContext);
  if (theRenderWindow.renderingContext == RenderingContextHandle::kNone) {
    return FailAfterRelease(platform, "Can't Create A GL Rendering Context.");
  }
  if (!platform.MakeCurrent(theRenderWindow.deviceContext, theRenderWindow.renderingContext)) {
    return FailAfterRelease(platform, "Can't Activate The GL Rendering Context.");
  }
  theRenderWindow.contextCurrent = true;
  if (theSettings.timings != nullptr) {
    theSettings.timings->Add("window and context", windowPhase,
                             "SDL's, the X server's and Mesa's; the files are read beside it");
  }

  platform.ShowWindow(theRenderWindow.window);
  ResizeViewport(width, height);
  if (!LoadUnlessClosed(platform, load)) {
    // Closed or interrupted while loading: the window goes as it came, with
    // no timer started and ogllist.txt as it was.
    platform.PostQuitMessage(0);
    return true;
  }
  SayReportWhenChecked(load.Report(), load.TakeCheck(), false);
  theRenderWindow.sceneTurns = SceneTurns(theSceneStore);
  platform.SetTimer(theRenderWindow.window, kFrameTimerId, theSettings.timerIntervalMs);
  return true;
}

const char* LastStartupError() {
  return lastStartupError;
}

void CloseRenderWindow(Platform& platform) {
  if (theSettings.fullScreen) {
    platform.RestoreDisplayMode();
    platform.ShowCursor(true);
  }
  if (theRenderWindow.renderingContext != RenderingContextHandle::kNone) {
    if (!platform.MakeCurrent(DeviceContextHandle::kNone, RenderingContextHandle::kNone)) {
      ShowShutdownError(platform, "Release Of DC And RC Failed.");
    }
    theRenderWindow.contextCurrent = false;
    // Deleted even when the release failed: the context is never used again.
    if (!platform.DeleteRenderingContext(theRenderWindow.renderingContext)) {
      ShowShutdownError(platform, "Release Rendering Context Failed.");
    }
    theRenderWindow.renderingContext = RenderingContextHandle::kNone;
  }
  if (theRenderWindow.deviceContext != DeviceContextHandle::kNone) {
    if (!platform.ReleaseDeviceContext(theRenderWindow.window, theRenderWindow.deviceContext)) {
      ShowShutdownError(platform, "Release Device Context Failed.");
    }
    theRenderWindow.deviceContext = DeviceContextHandle::kNone;
  }
  if (theRenderWindow.window != WindowHandle::kNone) {
    if (!platform.DestroyWindow(theRenderWindow.window)) {
      ShowShutdownError(platform, "Could Not Release hWnd.");
    }
    theRenderWindow.window = WindowHandle::kNone;
  }
  if (!platform.UnregisterWindowClass(kWindowClassName)) {
    ShowShutdownError(platform, "Could Not Unregister Class.");
  }
  // A destroyed window has taken its timer with it; this stops nothing then.
  platform.KillTimer(theRenderWindow.window, kFrameTimerId);
}

void ResizeViewport(std::int32_t width, std::int32_t height) {
  if (height == 0) height = 1;
  theRenderWindow.viewportWidth = width;
  theRenderWindow.viewportHeight = height;
  theRenderWindow.pictureCurrent = false;
  if (!theRenderWindow.contextCurrent) return;
  glViewport(0, 0, width, height);
  LoadLens(width, height);
}
