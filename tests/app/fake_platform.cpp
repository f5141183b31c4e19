#include "tests/app/fake_platform.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/frame_tick.h"
#include "app/render_window.h"
#include "app/settings.h"
#include "scene/renderer.h"
#include "store/scene_store.h"

namespace {

constexpr WindowHandle kWindow = static_cast<WindowHandle>(7);
constexpr DeviceContextHandle kSurface = static_cast<DeviceContextHandle>(8);
constexpr RenderingContextHandle kContext = static_cast<RenderingContextHandle>(9);

}  // namespace

std::string MessageName(MessageKind kind) {
  switch (kind) {
    case MessageKind::kCreate:
      return "Create";
    case MessageKind::kTimer:
      return "Timer";
    case MessageKind::kSize:
      return "Size";
    case MessageKind::kClose:
      return "Close";
    case MessageKind::kKeyDown:
      return "KeyDown";
    case MessageKind::kKeyUp:
      return "KeyUp";
    case MessageKind::kSysKeyDown:
      return "SysKeyDown";
    case MessageKind::kSysKeyUp:
      return "SysKeyUp";
    case MessageKind::kSysCommand:
      return "SysCommand";
    case MessageKind::kQuit:
      return "Quit";
    case MessageKind::kOther:
      return "Other";
  }
  return "?";
}

void ResetViewerState() {
  theSettings = Settings{};
  theRenderWindow = RenderWindowHandles{};
  theFrameTickState = FrameTickState{};
  theCamera = CameraState{};
  theSceneStore = SceneStore{};
}

void FakePlatform::Queue(const WindowMessage& message, std::set<Key> heldThen) {
  script_.push_back({message, std::move(heldThen)});
}

void FakePlatform::QueueTimer(std::set<Key> heldThen) {
  WindowMessage timer;
  timer.kind = MessageKind::kTimer;
  timer.timerId = 1;
  Queue(timer, std::move(heldThen));
}

std::vector<std::string> FakePlatform::CallsFrom(const std::string& call) const {
  const auto first = std::find(calls.begin(), calls.end(), call);
  return {first, calls.end()};
}

bool FakePlatform::Called(const std::string& call) const {
  return std::find(calls.begin(), calls.end(), call) != calls.end();
}

MessageBoxAnswer FakePlatform::ShowMessageBox(const char* caption, const char* text,
                                              MessageBoxButtons buttons, MessageBoxIcon icon,
                                              MessageBoxOwner owner) {
  calls.push_back(std::string("Box ") + caption + "|" + text);
  boxes.push_back({caption, text, buttons, icon, owner});
  if (buttons == MessageBoxButtons::kOk) return MessageBoxAnswer::kOk;
  if (answers.empty()) {
    ADD_FAILURE() << "no answer scripted for the box " << caption;
    return MessageBoxAnswer::kNone;
  }
  const MessageBoxAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

bool FakePlatform::RegisterWindowClass(const char* className, WindowProcedure procedure) {
  calls.push_back(std::string("RegisterWindowClass ") + className);
  if (Fails(Step::kRegisterClass)) return false;
  procedure_ = procedure;
  return true;
}

bool FakePlatform::UnregisterWindowClass(const char* className) {
  calls.push_back(std::string("UnregisterWindowClass ") + className);
  return !Fails(Step::kUnregisterClass);
}

bool FakePlatform::ChangeDisplayMode(std::int32_t width, std::int32_t height, int bits) {
  calls.push_back("ChangeDisplayMode " + std::to_string(width) + "x" + std::to_string(height) +
                  "x" + std::to_string(bits));
  return displayHasMode;
}

void FakePlatform::RestoreDisplayMode() {
  calls.push_back("RestoreDisplayMode");
}

void FakePlatform::ShowCursor(bool visible) {
  calls.push_back(visible ? "ShowCursor show" : "ShowCursor hide");
}

WindowHandle FakePlatform::CreateWindow(const WindowRequest& request) {
  const PixelFormatRequest& format = request.pixelFormat;
  calls.push_back(std::string("CreateWindow ") + request.title + " " +
                  std::to_string(request.width) + "x" + std::to_string(request.height) +
                  (request.fullScreen ? " full-screen" : " windowed") + " " +
                  std::to_string(format.colourBits) + "/" + std::to_string(format.depthBits) +
                  (format.doubleBuffered ? " double" : " single"));
  if (Fails(Step::kCreateWindow)) return WindowHandle::kNone;
  WindowMessage create;
  create.kind = MessageKind::kCreate;
  DispatchMessage(create);
  return kWindow;
}

bool FakePlatform::DestroyWindow(WindowHandle window) {
  calls.push_back("DestroyWindow");
  if (window != kWindow || Fails(Step::kDestroyWindow)) return false;
  return true;
}

void FakePlatform::ShowWindow(WindowHandle window) {
  calls.push_back(window == kWindow ? "ShowWindow" : "ShowWindow unknown");
}

DeviceContextHandle FakePlatform::GetDeviceContext(WindowHandle window) {
  calls.push_back("GetDeviceContext");
  if (window != kWindow || Fails(Step::kGetDeviceContext)) return DeviceContextHandle::kNone;
  return kSurface;
}

bool FakePlatform::ReleaseDeviceContext(WindowHandle window, DeviceContextHandle deviceContext) {
  calls.push_back("ReleaseDeviceContext");
  return window == kWindow && deviceContext == kSurface && !Fails(Step::kReleaseDeviceContext);
}

int FakePlatform::ChoosePixelFormat(DeviceContextHandle deviceContext, const PixelFormatRequest&) {
  calls.push_back("ChoosePixelFormat");
  return deviceContext == kSurface && !Fails(Step::kChoosePixelFormat) ? 3 : 0;
}

bool FakePlatform::SetPixelFormat(DeviceContextHandle deviceContext, int index,
                                  const PixelFormatRequest&) {
  calls.push_back("SetPixelFormat " + std::to_string(index));
  return deviceContext == kSurface && index == 3 && !Fails(Step::kSetPixelFormat);
}

RenderingContextHandle FakePlatform::CreateRenderingContext(DeviceContextHandle deviceContext) {
  calls.push_back("CreateRenderingContext");
  if (deviceContext != kSurface || Fails(Step::kCreateContext)) {
    return RenderingContextHandle::kNone;
  }
  std::string error;
  context_ = OffscreenContext::Create(800, 600, &error);
  if (!context_) {
    ADD_FAILURE() << "no off-screen context: " << error;
    return RenderingContextHandle::kNone;
  }
  return kContext;
}

bool FakePlatform::MakeCurrent(DeviceContextHandle deviceContext,
                               RenderingContextHandle renderingContext) {
  if (deviceContext == DeviceContextHandle::kNone &&
      renderingContext == RenderingContextHandle::kNone) {
    calls.push_back("ReleaseCurrent");
    return !Fails(Step::kReleaseCurrent);
  }
  calls.push_back("MakeCurrent");
  if (deviceContext != kSurface || renderingContext != kContext || !context_ ||
      Fails(Step::kMakeCurrent)) {
    return false;
  }
  return context_->MakeCurrent();
}

bool FakePlatform::DeleteRenderingContext(RenderingContextHandle renderingContext) {
  calls.push_back("DeleteRenderingContext");
  context_.reset();
  return renderingContext == kContext && !Fails(Step::kDeleteContext);
}

void FakePlatform::SwapBuffers(DeviceContextHandle deviceContext) {
  calls.push_back(deviceContext == kSurface ? "SwapBuffers" : "SwapBuffers unknown");
  ++swaps;
  if (context_) lastFrame = context_->ReadRgbTopDown();
}

void FakePlatform::SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t intervalMs) {
  calls.push_back(std::string("SetTimer ") + (window == kWindow ? "" : "unknown ") +
                  std::to_string(id) + " " + std::to_string(intervalMs));
}

void FakePlatform::KillTimer(WindowHandle window, std::uint32_t id) {
  calls.push_back(std::string("KillTimer ") + (window == kWindow ? "window " : "none ") +
                  std::to_string(id));
}

bool FakePlatform::IsKeyHeld(Key key) {
  return held.count(key) != 0;
}

bool FakePlatform::PeekMessage(WindowMessage& message) {
  ++peeks;
  message = WindowMessage{};
  if (quitPosted_) {
    quitPosted_ = false;
    message.kind = MessageKind::kQuit;
    message.quitCode = quitCode_;
    return true;
  }
  if (script_.empty()) {
    ADD_FAILURE() << "the message script ran out before the quit request";
    message.kind = MessageKind::kQuit;
    message.quitCode = 99;
    return true;
  }
  message = script_.front().message;
  held = script_.front().held;
  script_.pop_front();
  return true;
}

std::intptr_t FakePlatform::DispatchMessage(const WindowMessage& message) {
  calls.push_back("dispatch " + MessageName(message.kind));
  return procedure_ != nullptr ? procedure_(*this, message) : 0;
}

void FakePlatform::PostQuitMessage(int exitCode) {
  calls.push_back("PostQuitMessage " + std::to_string(exitCode));
  quitPosted_ = true;
  quitCode_ = exitCode;
}

void FakePlatform::AllowScreenSaver() {
  calls.push_back("AllowScreenSaver");
  screenSaverAllowed = true;
}
