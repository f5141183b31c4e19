// The windowing platform as the viewer sees it: message boxes, the window class
// and the one window with its messages, the display mode of a full-screen run,
// the drawing surface with its pixel format and OpenGL context, the frame
// timer, the held state of keys and the message queue, which also brings the
// mouse's drags and wheel and what is dropped onto the window.
//
// The window, the context and the loop (render_window, window_procedure,
// message_loop, viewer) talk to the platform only through this interface, so a
// scripted stand-in can drive them in tests. The real one is made on SDL2
// (platform_sdl.h). Nothing here names SDL or X11: their types and key codes
// are turned into the ones below at that boundary.
//
// Handles are tokens the platform hands out; kNone is the empty handle, and a
// call with a handle the platform does not know fails like a call on a closed
// object. Every call is made on the one thread of the process.
#pragma once

#include <cstdint>
#include <string>

// Buttons, icons and owners of a modal message box, and the button pressed.
enum class MessageBoxButtons { kOk, kYesNo };
enum class MessageBoxIcon { kNone, kQuestion, kExclamation, kStop, kInformation };
enum class MessageBoxOwner { kNone, kFocusedWindow };
// kNone: no button was pressed, because no box could be shown.
enum class MessageBoxAnswer { kNone, kOk, kYes, kNo };

// The keys the viewer knows. Every other key arrives as kOther.
enum class Key { kOther, kEscape, kUp, kDown, kLeft, kRight, kF1, kF4, kF5, kF12 };

// System commands: what the platform asks the window before it acts on its own
// (closing, starting the screen saver, powering the monitor down).
enum class SystemCommand : std::uint32_t {
  kSize = 0xF000,
  kMove = 0xF010,
  kMinimize = 0xF020,
  kClose = 0xF060,
  kScreenSave = 0xF140,
  kMonitorPower = 0xF170,
};

enum class MessageKind {
  kCreate,      // the window is being created; nothing else of it exists yet
  kTimer,       // a frame-timer interval has elapsed
  kSize,        // the client area has a new size
  kClose,       // the user or the window manager asks the window to close
  kKeyDown,     // a key went down (auto-repeat included)
  kKeyUp,       // a key went up
  kSysKeyDown,  // a key went down with Alt held
  kSysKeyUp,    // a key went up with Alt held
  kSysCommand,  // a system command awaits the window's consent
  kQuit,        // the quit request; the loop ends on it and never dispatches it
  kExposed,     // part of the window was uncovered and must be drawn again
  kMouseDrag,   // the pointer moved over the window with the left button held
  kWheel,       // the mouse wheel turned over the window
  kDrop,        // a file, a folder or text was dropped onto the window
  kOther,       // anything else; it gets the default handling
};

struct WindowMessage {
  MessageKind kind = MessageKind::kOther;
  std::uint32_t timerId = 0;                     // kTimer
  std::int32_t width = 0;                        // kSize: new client width
  std::int32_t height = 0;                       // kSize: new client height
  Key key = Key::kOther;                         // key messages
  bool repeat = false;                           // key messages: the key was already down
  SystemCommand command = SystemCommand::kMove;  // kSysCommand
  int quitCode = 0;                              // kQuit
  std::int32_t motionX = 0;  // kMouseDrag: pixels moved to the right (negative: left)
  std::int32_t motionY = 0;  // kMouseDrag: pixels moved down (negative: up)
  // kWheel: notches turned away from the user (negative: towards), as the
  // user's own scroll direction has it; fine wheels give fractions.
  float wheelNotches = 0;
  std::string dropped{};  // kDrop: the path of the file or folder, or the text, as dropped
};

enum class WindowHandle : std::uintptr_t { kNone = 0 };
enum class DeviceContextHandle : std::uintptr_t { kNone = 0 };
enum class RenderingContextHandle : std::uintptr_t { kNone = 0 };

// What the viewer asks of the drawing surface: double-buffered RGBA with
// `colourBits` colour bits and `depthBits` depth bits, no stencil.
struct PixelFormatRequest {
  int colourBits = 32;
  int depthBits = 16;
  bool doubleBuffered = true;
};

// The window to create: a client area of `width` × `height` at the top-left
// corner of the screen; a borderless full-screen window, or a resizable framed
// one. The pixel format travels with it because some platforms fix the
// surface's format when the window is made.
struct WindowRequest {
  const char* title = "";
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool fullScreen = false;
  PixelFormatRequest pixelFormat{};
};

class Platform;

// The window procedure bound to the window class; it gets every message of the
// window and returns the message's result.
using WindowProcedure = std::intptr_t (*)(Platform&, const WindowMessage&);

class Platform {
 public:
  virtual ~Platform() = default;

  // A modal box; blocks until answered. When no box can be shown, writes
  // "CAPTION: TEXT" to standard error and answers kNone.
  virtual MessageBoxAnswer ShowMessageBox(const char* caption, const char* text,
                                          MessageBoxButtons buttons, MessageBoxIcon icon,
                                          MessageBoxOwner owner) = 0;

  // Connects to the display that boxes and windows are shown on; false, with
  // FailureReason saying why, when there is none (none is named, or the
  // named one cannot be reached). Shows and writes nothing, so a start that
  // cannot show anything can end before its first box.
  virtual bool ConnectDisplay() { return true; }

  // Registers the window class (connecting to the display first); false when
  // windowing cannot start at all.
  virtual bool RegisterWindowClass(const char* className, WindowProcedure procedure) = 0;
  // Removes the class again; false while a window of the class still exists.
  virtual bool UnregisterWindowClass(const char* className) = 0;

  // Switches to `width` × `height` at `bits` per pixel for a full-screen run;
  // false (nothing changed) when the display has no such mode.
  virtual bool ChangeDisplayMode(std::int32_t width, std::int32_t height, int bits) = 0;
  // Returns the display to the desktop's own mode; harmless when unchanged.
  virtual void RestoreDisplayMode() = 0;
  // Shows or hides the mouse cursor over the window.
  virtual void ShowCursor(bool visible) = 0;

  // Creates the window, hidden. The window procedure gets kCreate before this
  // returns. Returns kNone on failure.
  virtual WindowHandle CreateWindow(const WindowRequest& request) = 0;
  // Destroys the window and its timer; false for an unknown handle.
  virtual bool DestroyWindow(WindowHandle window) = 0;
  // Shows the window, brings it to the front and gives it the keyboard focus.
  virtual void ShowWindow(WindowHandle window) = 0;

  // The window's drawing surface; kNone on failure.
  virtual DeviceContextHandle GetDeviceContext(WindowHandle window) = 0;
  // Gives the drawing surface back; false for unknown handles.
  virtual bool ReleaseDeviceContext(WindowHandle window, DeviceContextHandle deviceContext) = 0;
  // The index of the closest format the surface offers for `request`; 0 when none fits.
  virtual int ChoosePixelFormat(DeviceContextHandle deviceContext,
                                const PixelFormatRequest& request) = 0;
  // Puts format `index` on the surface; false on failure.
  virtual bool SetPixelFormat(DeviceContextHandle deviceContext, int index,
                              const PixelFormatRequest& request) = 0;

  // Creates an OpenGL compatibility context (immediate mode and display
  // lists) for the surface, not yet current; kNone on failure. A surface may
  // have more than one: a reload builds its scene in a context of its own
  // while the old one still draws. The contexts share no objects.
  virtual RenderingContextHandle CreateRenderingContext(DeviceContextHandle deviceContext) = 0;
  // Makes the context current on this thread; with two kNone handles releases
  // the current one. False on failure.
  virtual bool MakeCurrent(DeviceContextHandle deviceContext,
                           RenderingContextHandle renderingContext) = 0;
  // Deletes the context; false for an unknown handle.
  virtual bool DeleteRenderingContext(RenderingContextHandle renderingContext) = 0;
  // Presents the back buffer of the surface.
  virtual void SwapBuffers(DeviceContextHandle deviceContext) = 0;

  // Starts timer `id` on the window: one kTimer message per elapsed interval,
  // at most one of them pending at a time.
  virtual void SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t intervalMs) = 0;
  // Stops timer `id` of the window; nothing to do for an empty or gone window.
  virtual void KillTimer(WindowHandle window, std::uint32_t id) = 0;

  // Whether `key` is physically down at this moment, whatever the key
  // messages said and whichever window has the focus.
  virtual bool IsKeyHeld(Key key) = 0;

  // Takes the next message without waiting; false when none is waiting. A
  // posted quit request comes first, as kQuit with its code.
  virtual bool PeekMessage(WindowMessage& message) = 0;
  // Takes the next message, sleeping until one comes, the frame timer is due
  // (its kTimer message is then taken) or `maxWaitMs` have passed; false when
  // nothing came. The loop waits here, so a still scene costs nothing.
  virtual bool WaitMessage(WindowMessage& message, std::uint32_t maxWaitMs) {
    (void)maxWaitMs;
    return PeekMessage(message);
  }
  // Whether the user or the system has asked the window to close (its close
  // button, or a quit event), looking without taking any message: start-up
  // asks this between its slices of work, before the loop runs.
  virtual bool CloseRequested() { return false; }
  // Delivers `message` to the window procedure and returns its result.
  virtual std::intptr_t DispatchMessage(const WindowMessage& message) = 0;
  // Asks the loop to end with `exitCode`.
  virtual void PostQuitMessage(int exitCode) = 0;
  // Lets the screen saver and monitor power-saving run again.
  virtual void AllowScreenSaver() = 0;

  // The platform's own words for its last failure ("" when it has none), for
  // the line that explains a failed start.
  virtual std::string FailureReason() { return ""; }
};

// The platform's own handling of a message the window procedure passes on:
// Alt+F4 becomes the close system command, the close system command becomes
// kClose, and letting the screen-saver or monitor-power command through lets
// them run. Everything else needs nothing. Returns the message's result, 0.
std::intptr_t DefaultWindowProcedure(Platform& platform, const WindowMessage& message);
