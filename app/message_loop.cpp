#include "app/message_loop.h"

#include <cstdint>

#include "loading/interruption.h"

namespace {

// The longest sleep between two looks at an interruption, when no timer is due sooner.
constexpr std::uint32_t kLongestWaitMs = 20;

}  // namespace

int RunMessageLoop(Platform& platform) {
  WindowMessage message;
  bool interrupted = false;
  for (;;) {
    if (!interrupted && InterruptionSignal() != 0) {
      interrupted = true;
      platform.PostQuitMessage(0);
    }
    if (!platform.WaitMessage(message, kLongestWaitMs)) continue;
    if (message.kind == MessageKind::kQuit) return message.quitCode;
    platform.DispatchMessage(message);
  }
}
