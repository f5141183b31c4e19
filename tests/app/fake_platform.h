// A scripted platform for the viewer's tests: it fails the steps a test names,
// answers boxes from a list, holds the keys a test says, hands out the
// messages of a script, and writes every call into a log. Its rendering
// context is a real off-screen Mesa context, so the scene is initialised and
// drawn for real; only the window system is scripted.
#pragma once

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/platform.h"
#include "tests/scene/scene_folder.h"
#include "tests/support/test_files.h"
#include "tools/offscreen_context.h"

class FakePlatform final : public Platform {
 public:
  enum class Step {
    kRegisterClass,
    kCreateWindow,
    kGetDeviceContext,
    kChoosePixelFormat,
    kSetPixelFormat,
    kCreateContext,
    kMakeCurrent,
    kReleaseCurrent,
    kDeleteContext,
    kReleaseDeviceContext,
    kDestroyWindow,
    kUnregisterClass,
  };

  struct Box {
    std::string caption;
    std::string text;
    MessageBoxButtons buttons;
    MessageBoxIcon icon;
    MessageBoxOwner owner;
  };

  // --- The script ---
  std::set<Step> failing;
  bool displayHasMode = true;
  // Answers for the Yes/No boxes in order; OK boxes answer kOk by themselves.
  std::deque<MessageBoxAnswer> answers;
  // Keys held from now on (until a queued message changes them).
  std::set<Key> held;
  // Queues `message`; the keys in `heldThen` are held from when it is taken.
  void Queue(const WindowMessage& message, std::set<Key> heldThen = {});
  void QueueTimer(std::set<Key> heldThen = {});

  // --- What happened ---
  std::vector<std::string> calls;  // every call, in order (key polls left out)
  std::vector<Box> boxes;
  int swaps = 0;
  int peeks = 0;
  std::vector<std::uint8_t> lastFrame;  // the picture of the last swap, top row first
  bool screenSaverAllowed = false;

  // The calls from the first one equal to `call` on (empty when none is).
  std::vector<std::string> CallsFrom(const std::string& call) const;
  bool Called(const std::string& call) const;

  MessageBoxAnswer ShowMessageBox(const char* caption, const char* text, MessageBoxButtons buttons,
                                  MessageBoxIcon icon, MessageBoxOwner owner) override;
  bool RegisterWindowClass(const char* className, WindowProcedure procedure) override;
  bool UnregisterWindowClass(const char* className) override;
  bool ChangeDisplayMode(std::int32_t width, std::int32_t height, int bits) override;
  void RestoreDisplayMode() override;
  void ShowCursor(bool visible) override;
  WindowHandle CreateWindow(const WindowRequest& request) override;
  bool DestroyWindow(WindowHandle window) override;
  void ShowWindow(WindowHandle window) override;
  DeviceContextHandle GetDeviceContext(WindowHandle window) override;
  bool ReleaseDeviceContext(WindowHandle window, DeviceContextHandle deviceContext) override;
  int ChoosePixelFormat(DeviceContextHandle deviceContext,
                        const PixelFormatRequest& request) override;
  bool SetPixelFormat(DeviceContextHandle deviceContext, int index,
                      const PixelFormatRequest& request) override;
  RenderingContextHandle CreateRenderingContext(DeviceContextHandle deviceContext) override;
  bool MakeCurrent(DeviceContextHandle deviceContext,
                   RenderingContextHandle renderingContext) override;
  bool DeleteRenderingContext(RenderingContextHandle renderingContext) override;
  void SwapBuffers(DeviceContextHandle deviceContext) override;
  void SetTimer(WindowHandle window, std::uint32_t id, std::uint32_t intervalMs) override;
  void KillTimer(WindowHandle window, std::uint32_t id) override;
  bool IsKeyHeld(Key key) override;
  bool PeekMessage(WindowMessage& message) override;
  std::intptr_t DispatchMessage(const WindowMessage& message) override;
  void PostQuitMessage(int exitCode) override;
  void AllowScreenSaver() override;

 private:
  struct Scripted {
    WindowMessage message;
    std::set<Key> held;
  };
  bool Fails(Step step) const { return failing.count(step) != 0; }

  std::deque<Scripted> script_;
  WindowProcedure procedure_ = nullptr;
  std::unique_ptr<OffscreenContext> context_;
  bool quitPosted_ = false;
  int quitCode_ = 0;
};

// Puts every piece of process-wide viewer state back to its start value.
void ResetViewerState();

// Names a message kind for logs and test names.
std::string MessageName(MessageKind kind);

// Each viewer test runs in a fresh folder holding the textured-square scene,
// with every piece of process-wide state at its start value.
class ViewerFixture : public ::testing::Test {
 protected:
  ViewerFixture() : cwd_(dir_.path()) {
    WriteSquareSceneFolder(dir_);
    ResetViewerState();
  }
  ~ViewerFixture() override { ResetViewerState(); }

  TempDir dir_;
  ScopedWorkingDirectory cwd_;
  FakePlatform platform_;
};
