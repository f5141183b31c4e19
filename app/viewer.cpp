#include "app/viewer.h"

#include <cstdio>
#include <string>

#include "app/authoring.h"
#include "app/message_loop.h"
#include "app/render_window.h"
#include "app/settings.h"
#include "textures/message_box.h"

namespace {

// The core's boxes (a bitmap that cannot be loaded) belong to the window that
// has the keyboard focus, when there is one.
class PlatformMessageBoxes final : public MessageBoxService {
 public:
  explicit PlatformMessageBoxes(Platform& platform) : platform_(platform) {
    SetMessageBoxService(this);
  }
  ~PlatformMessageBoxes() override { SetMessageBoxService(nullptr); }
  PlatformMessageBoxes(const PlatformMessageBoxes&) = delete;
  PlatformMessageBoxes& operator=(const PlatformMessageBoxes&) = delete;

  void ShowMessage(const char* caption, const char* text) override {
    platform_.ShowMessageBox(caption, text, MessageBoxButtons::kOk, MessageBoxIcon::kNone,
                             MessageBoxOwner::kFocusedWindow);
  }

 private:
  Platform& platform_;
};

void SayNoWindow(const std::string& why) {
  std::fprintf(stderr, "%s: no window could be opened: %s\n", theSettings.programName, why.c_str());
}

}  // namespace

int RunViewer(Platform& platform, ScreenChoice screen) {
  PlatformMessageBoxes boxes(platform);
  // Armed before anything is read: a change made while the user answers the
  // question or the scene loads is loaded afterwards.
  StartWatching();
  if (!platform.ConnectDisplay()) {
    SayNoWindow(platform.FailureReason());
    return kViewerNoWindow;
  }

  theSettings.fullScreen = screen == ScreenChoice::kFullScreen;
  if (screen == ScreenChoice::kAsk) {
    const MessageBoxAnswer answer = platform.ShowMessageBox(
        "Start FullScreen?", "Wollen Sie im Vollbildmodus starten?", MessageBoxButtons::kYesNo,
        MessageBoxIcon::kQuestion, MessageBoxOwner::kNone);
    // Only an explicit Yes changes the display mode: a box that could not be
    // shown (or was closed) leaves the desktop as it is and opens a window.
    theSettings.fullScreen = answer == MessageBoxAnswer::kYes;
  }

  if (!OpenRenderWindow(platform, "Morvane 2006", theSettings.width, theSettings.height,
                        kColourBits, theSettings.fullScreen)) {
    std::string why = LastStartupError();
    const std::string platformWords = platform.FailureReason();
    if (!platformWords.empty()) why += " (" + platformWords + ")";
    SayNoWindow(why);
    return kViewerNoWindow;
  }
  const int exitCode = RunMessageLoop(platform);
  StopAuthoring();
  CloseRenderWindow(platform);
  return exitCode;
}
