#include "app/message_loop.h"

int RunMessageLoop(Platform& platform) {
  WindowMessage message;
  for (;;) {
    if (!platform.PeekMessage(message)) continue;
    if (message.kind == MessageKind::kQuit) return message.quitCode;
    platform.DispatchMessage(message);
  }
}
