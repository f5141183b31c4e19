// A scripted platform for the viewer's tests: it fails the calls a test names,
// answers Yes/No boxes from a list, holds the keys a test says, hands out the
// messages of a script and logs every call. Its rendering context is a real
// off-screen Mesa context, so the scene is initialised and drawn for real; only
// the window system is scripted.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/frame_tick.h"
#include "app/platform.h"
#include "app/render_window.h"
#include "app/settings.h"
#include "offscreen/offscreen_context.h"
#include "tests/scene/quad_picture.h"
#include "tests/support/test_files.h"

using Calls = std::vector<std::string>;
inline Calls operator+(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class FakePlatform final : public Platform {
 public:
  // The script: the calls that fail (by name, e.g. "MakeCurrent"), whether the
  // display has the full-screen mode, the answers to the Yes/No boxes in
  // order, and the keys held.
  std::set<std::string> failing;
  bool displayHasMode = true;
  std::deque<MessageBoxAnswer> answers;
  std::set<Key> held;
  // Queues a message (a timer's id is 1); `heldThen` are held from when it is taken.
  void Queue(MessageKind kind, std::set<Key> heldThen = {}) {
    Queue(WindowMessage{.kind = kind, .timerId = 1}, std::move(heldThen));
  }
  void Queue(WindowMessage message, std::set<Key> heldThen = {}) {
    script_.push_back({std::move(message), std::move(heldThen)});
  }

  // What happened: every call but the key polls and message peeks, in order;
  // a box as "Box CAPTION|TEXT|BUTTONS ICON [owned]".
  Calls calls;

  MessageBoxAnswer ShowMessageBox(const char* caption, const char* text, MessageBoxButtons buttons,
                                  MessageBoxIcon icon, MessageBoxOwner owner) override {
    static const char* const kIcons[] = {"none", "question", "exclamation", "stop", "information"};
    Log(std::string("Box ") + caption + "|" + text + "|" +
        (buttons == MessageBoxButtons::kOk ? "ok " : "yes-no ") + kIcons[static_cast<int>(icon)] +
        (owner == MessageBoxOwner::kFocusedWindow ? " owned" : ""));
    if (buttons == MessageBoxButtons::kOk) return MessageBoxAnswer::kOk;
    EXPECT_FALSE(answers.empty()) << "no answer scripted for the box " << caption;
    const MessageBoxAnswer answer = answers.empty() ? MessageBoxAnswer::kNone : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  bool RegisterWindowClass(const char* name, WindowProcedure procedure) override {
    procedure_ = procedure;
    return Log(std::string("RegisterWindowClass ") + name);
  }
  bool UnregisterWindowClass(const char* name) override {
    return Log(std::string("UnregisterWindowClass ") + name);
  }
  bool ChangeDisplayMode(std::int32_t width, std::int32_t height, int bits) override {
    Log("ChangeDisplayMode " + Size(width, height) + "x" + std::to_string(bits));
    return displayHasMode;
  }
  void RestoreDisplayMode() override { Log("RestoreDisplayMode"); }
  void ShowCursor(bool visible) override { Log(visible ? "ShowCursor show" : "ShowCursor hide"); }
  WindowHandle CreateWindow(const WindowRequest& r) override {
    const PixelFormatRequest& f = r.pixelFormat;
    if (!Log(std::string("CreateWindow ") + r.title + " " + Size(r.width, r.height) +
             (r.fullScreen ? " full-screen " : " windowed ") + std::to_string(f.colourBits) + "/" +
             std::to_string(f.depthBits) + (f.doubleBuffered ? " double" : " single"))) {
      return WindowHandle::kNone;
    }
    DispatchMessage({.kind = MessageKind::kCreate});
    return kWindow;
  }
  bool DestroyWindow(WindowHandle w) override { return Log("DestroyWindow", w == kWindow); }
  void ShowWindow(WindowHandle w) override { Log("ShowWindow", w == kWindow); }
  DeviceContextHandle GetDeviceContext(WindowHandle w) override {
    return Log("GetDeviceContext", w == kWindow) ? kSurface : DeviceContextHandle::kNone;
  }
  bool ReleaseDeviceContext(WindowHandle w, DeviceContextHandle s) override {
    return Log("ReleaseDeviceContext", w == kWindow && s == kSurface);
  }
  int ChoosePixelFormat(DeviceContextHandle s, const PixelFormatRequest&) override {
    return Log("ChoosePixelFormat", s == kSurface) ? 3 : 0;
  }
  bool SetPixelFormat(DeviceContextHandle s, int index, const PixelFormatRequest&) override {
    return Log("SetPixelFormat " + std::to_string(index), s == kSurface && index == 3);
  }
  RenderingContextHandle CreateRenderingContext(DeviceContextHandle s) override {
    if (!Log("CreateRenderingContext", s == kSurface)) return RenderingContextHandle::kNone;
    context_ = OffscreenContext::Create(800, 600);
    EXPECT_TRUE(context_);
    return context_ ? kContext : RenderingContextHandle::kNone;
  }
  bool MakeCurrent(DeviceContextHandle s, RenderingContextHandle c) override {
    if (s == DeviceContextHandle::kNone && c == RenderingContextHandle::kNone) {
      return Log("ReleaseCurrent");
    }
    return Log("MakeCurrent", s == kSurface && c == kContext) && context_->MakeCurrent();
  }
  bool DeleteRenderingContext(RenderingContextHandle c) override {
    context_.reset();
    return Log("DeleteRenderingContext", c == kContext);
  }
  void SwapBuffers(DeviceContextHandle s) override { Log("SwapBuffers", s == kSurface); }
  void SetTimer(WindowHandle w, std::uint32_t id, std::uint32_t intervalMs) override {
    Log("SetTimer " + std::to_string(id) + " " + std::to_string(intervalMs), w == kWindow);
  }
  void KillTimer(WindowHandle w, std::uint32_t id) override {
    Log(std::string("KillTimer ") + (w == kWindow ? "window " : "none ") + std::to_string(id));
  }
  bool IsKeyHeld(Key key) override { return held.count(key) != 0; }
  bool PeekMessage(WindowMessage& message) override {
    if (script_.empty()) {
      ADD_FAILURE() << "the message script ran out before the quit request";
      script_.push_back({{.kind = MessageKind::kQuit, .quitCode = 99}, held});
    }
    std::tie(message, held) = script_.front();
    script_.pop_front();
    return true;
  }
  std::intptr_t DispatchMessage(const WindowMessage& message) override {
    static const char* const kNames[] = {
        "Create",     "Timer", "Size",    "Close",     "KeyDown", "KeyUp", "SysKeyDown", "SysKeyUp",
        "SysCommand", "Quit",  "Exposed", "MouseDrag", "Wheel",   "Drop",  "Other"};
    static_assert(std::size(kNames) == static_cast<std::size_t>(MessageKind::kOther) + 1);
    Log(std::string("dispatch ") + kNames[static_cast<int>(message.kind)]);
    return procedure_(*this, message);
  }
  void PostQuitMessage(int exitCode) override {
    Log("PostQuitMessage " + std::to_string(exitCode));
    script_.push_front({{.kind = MessageKind::kQuit, .quitCode = exitCode}, held});
  }
  void AllowScreenSaver() override { Log("AllowScreenSaver"); }

 private:
  static constexpr auto kWindow = static_cast<WindowHandle>(7);
  static constexpr auto kSurface = static_cast<DeviceContextHandle>(8);
  static constexpr auto kContext = static_cast<RenderingContextHandle>(9);

  static std::string Size(std::int32_t width, std::int32_t height) {
    return std::to_string(width) + "x" + std::to_string(height);
  }
  // Logs `call`, marked when a handle is not one handed out; true unless a
  // handle is wrong or the call is scripted to fail.
  bool Log(const std::string& call, bool handlesRight = true) {
    calls.push_back(handlesRight ? call : call + " (wrong handle)");
    return handlesRight && failing.count(call.substr(0, call.find(' '))) == 0;
  }

  std::deque<std::pair<WindowMessage, std::set<Key>>> script_;  // a message, the keys held then
  WindowProcedure procedure_ = nullptr;
  std::unique_ptr<OffscreenContext> context_;
};

// Each viewer test runs in a fresh folder holding the textured-square scene,
// with every piece of process-wide state at its start value.
class ViewerFixture : public ::testing::Test {
 protected:
  ViewerFixture() : cwd_(dir_.path()) {
    WriteSquareSceneFolder(dir_);
    Reset();
  }
  ~ViewerFixture() override { Reset(); }
  static void Reset() {
    theSettings = {};
    theRenderWindow = {};
    theFrameTickState = {};
    theCamera = {};
    theSceneStore = {};
  }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  FakePlatform platform_;
};
