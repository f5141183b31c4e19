// The viewer's window and OpenGL context: the window class, the one window,
// its drawing surface, pixel format and rendering context, the display mode of
// a full-screen run and the frame timer, built up in a fixed order, taken down
// in the reverse order, and the viewport with its projection.
//
// Needs a Platform for every windowing service and runs InitializeScene once
// the context is current. Every failure while building is shown in a box
// (caption "ERROR") after what was built has been released; every failure
// while taking down is shown in a box (caption "SHUTDOWN ERROR") and the
// sequence goes on. It draws no frame: the frame tick does.
#pragma once

#include <cstdint>

#include "app/platform.h"

// What the viewer holds of the platform, process-wide; all empty at start.
struct RenderWindowHandles {
  WindowHandle window = WindowHandle::kNone;
  DeviceContextHandle deviceContext = DeviceContextHandle::kNone;
  RenderingContextHandle renderingContext = RenderingContextHandle::kNone;
  // True from the moment the context is made current until it is released;
  // GL calls and buffer swaps are skipped while it is false.
  bool contextCurrent = false;
  // The viewport's size, which is what the window shows: the client size as
  // last set (ResizeViewport), also for a context made later.
  std::int32_t viewportWidth = 0;
  std::int32_t viewportHeight = 0;
  // The picture on screen is the scene's as last drawn: nothing was loaded,
  // exposed or resized since. A still scene is then not drawn again.
  bool pictureCurrent = false;
  bool sceneTurns = true;  // some entry of the scene on screen turns
};

extern RenderWindowHandles theRenderWindow;

// The window class's name.
inline constexpr const char* kWindowClassName = "OpenGL";
// The frame timer's id.
inline constexpr std::uint32_t kFrameTimerId = 1;

// Builds the window, context, scene and timer for a client area of `width` ×
// `height` at `bits` colour bits, full screen or windowed. Returns true when
// all of it is up; false after its box when a step failed (what was built is
// released first).
bool OpenRenderWindow(Platform& platform, const char* title, std::int32_t width,
                      std::int32_t height, int bits, bool fullScreen);

// The text of the box that ended the last failed OpenRenderWindow ("" before
// any failure).
const char* LastStartupError();

// Restores the display mode and cursor of a full-screen run, then releases the
// context, drawing surface, window, class and timer, skipping the handles that
// are empty. Every failure is shown in a box and the sequence goes on.
void CloseRenderWindow(Platform& platform);

// Sets the viewport to the client size and a fresh 45° projection for it; a
// height of 0 counts as 1. Records the size; sets nothing while no context
// is current.
void ResizeViewport(std::int32_t width, std::int32_t height);
