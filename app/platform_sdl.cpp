// The platform on SDL2 and, where SDL draws on X11, the X server's keymap.
// Nothing outside this file includes SDL or X11.
#include "app/platform_sdl.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

// The platform has one window and one drawing surface, so their handles are
// fixed tokens; anything else is an unknown handle. Contexts are numbered.
constexpr WindowHandle kTheWindow = static_cast<WindowHandle>(1);
constexpr DeviceContextHandle kTheSurface = static_cast<DeviceContextHandle>(1);
constexpr int kTheFormat = 1;

// How often a display that refuses the connection is asked again, and how
// long to wait in between.
constexpr int kDisplayAttempts = 5;
constexpr Uint32 kDisplayRetryMs = 100;

// The value of an environment variable; "" when unset.
std::string Environment(const char* variable) {
  const char* value = SDL_getenv(variable);
  return value != nullptr ? value : "";
}

// Whether the environment names a display to connect to at all, or the user
// chose SDL's video driver (a console's, say) themselves.
bool DisplayNamed() {
  return !Environment("DISPLAY").empty() || !Environment("WAYLAND_DISPLAY").empty() ||
         !Environment("SDL_VIDEODRIVER").empty();
}

// SDL's drivers that need no display and so show nothing.
bool IsDisplayless(const char* driver) {
  return driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
         std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "evdev") == 0;
}

// Each key the viewer knows, as SDL's key events, SDL's keyboard state and the
// X server's keymap name it.
struct KeyNames {
  Key key;
  SDL_Keycode sdlKey;
  SDL_Scancode sdlScancode;
  KeySym xSymbol;
};
constexpr KeyNames kKeyNames[] = {
    {Key::kEscape, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, XK_Escape},
    {Key::kUp, SDLK_UP, SDL_SCANCODE_UP, XK_Up},
    {Key::kDown, SDLK_DOWN, SDL_SCANCODE_DOWN, XK_Down},
    {Key::kLeft, SDLK_LEFT, SDL_SCANCODE_LEFT, XK_Left},
    {Key::kRight, SDLK_RIGHT, SDL_SCANCODE_RIGHT, XK_Right},
    {Key::kF1, SDLK_F1, SDL_SCANCODE_F1, XK_F1},
    {Key::kF4, SDLK_F4, SDL_SCANCODE_F4, XK_F4},
    {Key::kF5, SDLK_F5, SDL_SCANCODE_F5, XK_F5},
    {Key::kF12, SDLK_F12, SDL_SCANCODE_F12, XK_F12},
};

const KeyNames* FindKey(Key key) {
  for (const KeyNames& names : kKeyNames) {
    if (names.key == key) return &names;
  }
  return nullptr;
}

Key KeyFromSdl(SDL_Keycode code) {
  for (const KeyNames& names : kKeyNames) {
    if (names.sdlKey == code) return names.key;
  }
  return Key::kOther;
}

int LetXErrorPass(Display*, XErrorEvent*) {
  return 0;
}

Uint32 IconFlag(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::kStop:
      return SDL_MESSAGEBOX_ERROR;
    case MessageBoxIcon::kExclamation:
      return SDL_MESSAGEBOX_WARNING;
    case MessageBoxIcon::kQuestion:
    case MessageBoxIcon::kInformation:
      return SDL_MESSAGEBOX_INFORMATION;
    case MessageBoxIcon::kNone:
      break;
  }
  return 0;
}

class SdlPlatform final : public Platform {
 public:
  explicit SdlPlatform(const char* programName) : programName_(programName) {}
  ~SdlPlatform() override {
    for (const auto& [handle, context] : contexts_) SDL_GL_DeleteContext(context);
    if (window_ != nullptr) SDL_DestroyWindow(window_);
    SDL_Quit();
  }
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  MessageBoxAnswer ShowMessageBox(const char* caption, const char* text, MessageBoxButtons buttons,
                                  MessageBoxIcon icon, MessageBoxOwner owner) override {
    enum : int { kOkId, kYesId, kNoId };
    // Return answers Yes and Escape answers No; a lone OK takes both.
    const SDL_MessageBoxButtonData okButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kOkId,
         "OK"}};
    const SDL_MessageBoxButtonData yesNoButtons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kYesId, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kNoId, "No"}};
    const bool yesNo = buttons == MessageBoxButtons::kYesNo;

    SDL_MessageBoxData box{};
    box.flags = IconFlag(icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window = owner == MessageBoxOwner::kFocusedWindow ? SDL_GetKeyboardFocus() : nullptr;
    box.title = caption;
    box.message = text;
    box.numbuttons = yesNo ? 2 : 1;
    box.buttons = yesNo ? yesNoButtons : okButtons;

    int pressed = -1;
    int shown = SDL_ShowMessageBox(&box, &pressed);
    for (int attempt = 1; shown != 0 && attempt < kDisplayAttempts && DisplayNamed(); ++attempt) {
      SDL_Delay(kDisplayRetryMs);
      shown = SDL_ShowMessageBox(&box, &pressed);
    }
    if (shown != 0) {
      // No box can be shown (no display): the user still learns what happened,
      // in one line like every other the program writes.
      std::string line = text;
      while (!line.empty() && line.back() == '\n') line.pop_back();
      std::replace(line.begin(), line.end(), '\n', ' ');
      std::fprintf(stderr, "%s: %s: %s\n", programName_, caption, line.c_str());
      return MessageBoxAnswer::kNone;
    }
    switch (pressed) {
      case kOkId:
        return MessageBoxAnswer::kOk;
      case kYesId:
        return MessageBoxAnswer::kYes;
      case kNoId:
        return MessageBoxAnswer::kNo;
      default:
        return MessageBoxAnswer::kNone;  // the box was closed without a button
    }
  }

  bool ConnectDisplay() override {
    if (videoStarted_) return true;
    failure_.clear();
    // Without a display named, SDL would try its drivers one by one, and some
    // say on standard error what they miss; the caller's one line is enough.
    if (!DisplayNamed()) {
      failure_ = "no display to show it on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
      return false;
    }
    // SDL_QUIT then means a signal to end, not the window's own close.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The program takes interruptions itself (they reach every thread's
    // waits, start-up included), so SDL must not take them first.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // With only an X display named, the Wayland driver would look for its
    // own display all the same and complain about it; a user's SDL_VIDEODRIVER
    // still wins over this hint.
    if (Environment("WAYLAND_DISPLAY").empty()) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // A busy X server can refuse a connection for a moment (SDL then fails, or
    // settles for a driver that draws nowhere), so the display is asked again.
    std::string why;
    // A request can fail long after it was made, about a window that is
    // gone by then (a drag source's, or the viewer's own as it closes, which
    // SDL's wake-up message may still name), and Xlib's default answer ends
    // the program. Such a failure harms nothing, so it is let pass; a lost
    // connection still ends the program. Set before SDL starts, which keeps
    // it as the handler it hands errors on to and puts back when it stops,
    // and before the first box, so the process SDL forks for a box has it.
    XSetErrorHandler(LetXErrorPass);
    for (int attempt = 0; attempt < kDisplayAttempts; ++attempt) {
      if (attempt > 0) SDL_Delay(kDisplayRetryMs);
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        why = SDL_GetError();
        continue;
      }
      if (!IsDisplayless(SDL_GetCurrentVideoDriver())) {
        videoStarted_ = true;
        return true;
      }
      // A viewer has no use for a driver that shows nothing, and SDL's own
      // boxes cannot place themselves on one.
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      why = "only a driver that shows nothing was found";
    }
    std::string display = Environment("DISPLAY");
    if (display.empty()) display = Environment("WAYLAND_DISPLAY");
    failure_ = "cannot connect to " +
               (display.empty() ? "a display" : "the display '" + display + "'") + " (" + why + ")";
    return false;
  }

  bool RegisterWindowClass(const char* className, WindowProcedure procedure) override {
    if (procedure_ != nullptr || !ConnectDisplay()) return false;
    SDL_DisableScreenSaver();
    className_ = className;
    procedure_ = procedure;
    return true;
  }

  bool UnregisterWindowClass(const char* className) override {
    if (procedure_ == nullptr || window_ != nullptr || className_ != className) return false;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted_ = false;
    procedure_ = nullptr;
    return true;
  }

  bool ChangeDisplayMode(std::int32_t width, std::int32_t height, int bits) override {
    if (!videoStarted_) return false;
    // Only the exact size at the exact pixel size will do; SDL itself would
    // take the nearest larger mode instead.
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode mode{};
      if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
      if (mode.w == width && mode.h == height &&
          static_cast<int>(SDL_BYTESPERPIXEL(mode.format)) * 8 == bits) {
        fullScreenMode_ = mode;
        haveFullScreenMode_ = true;
        return true;
      }
    }
    return false;
  }

  void RestoreDisplayMode() override {
    haveFullScreenMode_ = false;
    if (window_ != nullptr && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0) {
      SDL_SetWindowFullscreen(window_, 0);
    }
  }

  void ShowCursor(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  WindowHandle CreateWindow(const WindowRequest& request) override {
    if (procedure_ == nullptr || window_ != nullptr) return WindowHandle::kNone;
    // On X11 the surface's visual is chosen when the window is made, so the
    // pixel format is asked for here.
    const PixelFormatRequest& format = request.pixelFormat;
    const int channelBits = std::min(8, format.colourBits / 3);
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffered ? 1 : 0);

    // Files and folders dragged from a file manager (and text from elsewhere)
    // may be dropped onto the window: SDL then tells the X server that the
    // window takes drops.
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    SDL_EventState(SDL_DROPTEXT, SDL_ENABLE);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |=
        request.fullScreen ? (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS) : SDL_WINDOW_RESIZABLE;
    window_ = SDL_CreateWindow(request.title, 0, 0, request.width, request.height, flags);
    if (window_ == nullptr) return WindowHandle::kNone;
    if (request.fullScreen && haveFullScreenMode_) {
      SDL_SetWindowDisplayMode(window_, &fullScreenMode_);
    }
    AdoptX11Window();

    WindowMessage create;
    create.kind = MessageKind::kCreate;
    DispatchMessage(create);
    return kTheWindow;
  }

  bool DestroyWindow(WindowHandle window) override {
    if (window != kTheWindow || window_ == nullptr) return false;
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    xDisplay_ = nullptr;
    timerRunning_ = false;  // the timer belongs to the window
    return true;
  }

  void ShowWindow(WindowHandle window) override {
    if (window != kTheWindow || window_ == nullptr) return;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    // Ask the window, as the desktop would, whether the screen saver and the
    // monitor's power-saving may start; the viewer refuses both.
    WindowMessage ask;
    ask.kind = MessageKind::kSysCommand;
    ask.command = SystemCommand::kScreenSave;
    DispatchMessage(ask);
    ask.command = SystemCommand::kMonitorPower;
    DispatchMessage(ask);
  }

  DeviceContextHandle GetDeviceContext(WindowHandle window) override {
    if (window != kTheWindow || window_ == nullptr) return DeviceContextHandle::kNone;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE) return DeviceContextHandle::kNone;
    surfaceTaken_ = true;
    return kTheSurface;
  }

  bool ReleaseDeviceContext(WindowHandle window, DeviceContextHandle deviceContext) override {
    if (window != kTheWindow || deviceContext != kTheSurface || !surfaceTaken_) return false;
    surfaceTaken_ = false;
    return true;
  }

  int ChoosePixelFormat(DeviceContextHandle deviceContext,
                        const PixelFormatRequest& request) override {
    if (deviceContext != kTheSurface || !surfaceTaken_) return 0;
    // The visual was fixed with the window; it fits when its pixels hold the
    // requested colour bits.
    const Uint32 format = SDL_GetWindowPixelFormat(window_);
    if (format == SDL_PIXELFORMAT_UNKNOWN) return 0;
    return static_cast<int>(SDL_BYTESPERPIXEL(format)) * 8 >= request.colourBits ? kTheFormat : 0;
  }

  bool SetPixelFormat(DeviceContextHandle deviceContext, int index,
                      const PixelFormatRequest&) override {
    if (deviceContext != kTheSurface || !surfaceTaken_ || index != kTheFormat) return false;
    formatSet_ = true;
    return true;
  }

  RenderingContextHandle CreateRenderingContext(DeviceContextHandle deviceContext) override {
    if (deviceContext != kTheSurface || !formatSet_) return RenderingContextHandle::kNone;
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    SDL_GLContext context = SDL_GL_CreateContext(window_);
    if (context == nullptr) return RenderingContextHandle::kNone;
    // SDL makes a new context current at once; the viewer makes contexts
    // current itself, so the one that was current stays so.
    SDL_GL_MakeCurrent(window_, current);
    const auto handle = static_cast<RenderingContextHandle>(++lastContext_);
    contexts_[handle] = context;
    return handle;
  }

  bool MakeCurrent(DeviceContextHandle deviceContext,
                   RenderingContextHandle renderingContext) override {
    if (deviceContext == DeviceContextHandle::kNone &&
        renderingContext == RenderingContextHandle::kNone) {
      return SDL_GL_MakeCurrent(window_, nullptr) == 0;
    }
    const auto found = contexts_.find(renderingContext);
    if (deviceContext != kTheSurface || found == contexts_.end()) return false;
    return SDL_GL_MakeCurrent(window_, found->second) == 0;
  }

  bool DeleteRenderingContext(RenderingContextHandle renderingContext) override {
    const auto found = contexts_.find(renderingContext);
    if (found == contexts_.end()) return false;
    SDL_GL_DeleteContext(found->second);
    contexts_.erase(found);
    return true;
  }

  void SwapBuffers(DeviceContextHandle deviceContext) override {
    if (deviceContext == kTheSurface && window_ != nullptr) SDL_GL_SwapWindow(window_);
  }

  void SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t intervalMs) override {
    if (window != kTheWindow || window_ == nullptr) return;
    timerRunning_ = true;
    timerId_ = id;
    timerIntervalMs_ = intervalMs;
    timerDueMs_ = SDL_GetTicks64() + intervalMs;
  }

  void KillTimer(WindowHandle window, std::uint32_t id) override {
    if (window == kTheWindow && id == timerId_) timerRunning_ = false;
  }

  bool IsKeyHeld(Key key) override {
    const KeyNames* names = FindKey(key);
    if (names == nullptr) return false;
    if (xDisplay_ != nullptr) {
      const KeyCode code = XKeysymToKeycode(xDisplay_, names->xSymbol);
      if (code == 0) return false;
      char keymap[32] = {};
      XQueryKeymap(xDisplay_, keymap);
      return (static_cast<unsigned char>(keymap[code / 8]) >> (code % 8) & 1u) != 0;
    }
    return SDL_GetKeyboardState(nullptr)[names->sdlScancode] != 0;
  }

  bool PeekMessage(WindowMessage& message) override {
    if (quitPosted_) {
      quitPosted_ = false;
      message = WindowMessage{};
      message.kind = MessageKind::kQuit;
      message.quitCode = quitCode_;
      return true;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      if (Translate(event, message)) return true;
    }
    // A timer message is made only when nothing else waits, and only one for
    // however many intervals have passed since the last one was taken.
    if (timerRunning_) {
      const Uint64 now = SDL_GetTicks64();
      if (now >= timerDueMs_) {
        timerDueMs_ = std::max<Uint64>(timerDueMs_ + timerIntervalMs_, now);
        message = WindowMessage{};
        message.kind = MessageKind::kTimer;
        message.timerId = timerId_;
        return true;
      }
    }
    return false;
  }

  bool WaitMessage(WindowMessage& message, std::uint32_t maxWaitMs) override {
    const Uint64 giveUp = SDL_GetTicks64() + maxWaitMs;
    for (;;) {
      if (PeekMessage(message)) return true;
      const Uint64 now = SDL_GetTicks64();
      const Uint64 until = timerRunning_ ? std::min(giveUp, timerDueMs_) : giveUp;
      if (now >= until) return false;
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, static_cast<int>(until - now)) != 0 &&
          Translate(event, message)) {
        return true;
      }
    }
  }

  bool CloseRequested() override {
    SDL_PumpEvents();
    SDL_Event events[32];
    if (SDL_PeepEvents(events, 1, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0) return true;
    const int count = SDL_PeepEvents(events, 32, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < count; ++i) {
      if (events[i].window.event == SDL_WINDOWEVENT_CLOSE) return true;
    }
    return false;
  }

  std::intptr_t DispatchMessage(const WindowMessage& message) override {
    return procedure_ != nullptr ? procedure_(*this, message) : 0;
  }

  void PostQuitMessage(int exitCode) override {
    quitPosted_ = true;
    quitCode_ = exitCode;
  }

  void AllowScreenSaver() override { SDL_EnableScreenSaver(); }

  std::string FailureReason() override { return failure_.empty() ? SDL_GetError() : failure_; }

 private:
  // Finds the X display and window behind the SDL window: the keymap is asked
  // there, and the X class of the window becomes the window class's name.
  void AdoptX11Window() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
      return;
    }
    xDisplay_ = info.info.x11.display;
    XClassHint* hint = XAllocClassHint();
    if (hint == nullptr) return;
    std::string name = "morvane";
    std::string windowClass = className_;
    hint->res_name = name.data();
    hint->res_class = windowClass.data();
    XSetClassHint(xDisplay_, info.info.x11.window, hint);
    XFree(hint);
  }

  bool Translate(const SDL_Event& event, WindowMessage& message) {
    message = WindowMessage{};
    switch (event.type) {
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          message.kind = MessageKind::kSize;
          message.width = event.window.data1;
          message.height = event.window.data2;
          return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          message.kind = MessageKind::kClose;
          return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
          message.kind = MessageKind::kExposed;
          return true;
        }
        return false;
      case SDL_QUIT:  // an interrupt or termination signal: close as the user would
        message.kind = MessageKind::kClose;
        return true;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        const bool down = event.type == SDL_KEYDOWN;
        message.kind = alt ? (down ? MessageKind::kSysKeyDown : MessageKind::kSysKeyUp)
                           : (down ? MessageKind::kKeyDown : MessageKind::kKeyUp);
        message.key = KeyFromSdl(event.key.keysym.sym);
        message.repeat = event.key.repeat != 0;
        return true;
      }
      case SDL_MOUSEMOTION:
        // Only a drag turns the camera: a pointer that merely passes over the
        // window brings the viewer no message.
        if ((event.motion.state & SDL_BUTTON_LMASK) == 0) return false;
        message.kind = MessageKind::kMouseDrag;
        message.motionX = event.motion.xrel;
        message.motionY = event.motion.yrel;
        return true;
      case SDL_MOUSEWHEEL:
        if (event.wheel.preciseY == 0) return false;  // sideways only
        message.kind = MessageKind::kWheel;
        message.wheelNotches = event.wheel.preciseY;
        return true;
      case SDL_DROPFILE:
      case SDL_DROPTEXT:
      case SDL_DROPBEGIN:
      case SDL_DROPCOMPLETE: {
        // SDL hands over the dropped text (none for the begin and the end of
        // a drop), to be freed here whatever becomes of it.
        const bool item = event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT;
        if (item && event.drop.file != nullptr) {
          message.kind = MessageKind::kDrop;
          message.dropped = event.drop.file;
        }
        SDL_free(event.drop.file);
        return message.kind == MessageKind::kDrop;
      }
      default:
        return false;
    }
  }

  WindowProcedure procedure_ = nullptr;  // set while the window class is registered
  std::string className_;
  bool videoStarted_ = false;
  const char* programName_;  // the first word of every line on standard error
  std::string failure_;      // why the display could not be reached; "" otherwise
  SDL_DisplayMode fullScreenMode_{};
  bool haveFullScreenMode_ = false;
  SDL_Window* window_ = nullptr;
  Display* xDisplay_ = nullptr;
  bool surfaceTaken_ = false;
  bool formatSet_ = false;
  std::map<RenderingContextHandle, SDL_GLContext> contexts_;
  std::uintptr_t lastContext_ = 0;
  bool timerRunning_ = false;
  std::uint32_t timerId_ = 0;
  std::uint32_t timerIntervalMs_ = 0;
  Uint64 timerDueMs_ = 0;
  bool quitPosted_ = false;
  int quitCode_ = 0;
};

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform(const char* programName) {
  return std::make_unique<SdlPlatform>(programName);
}
