// The platform's default handling, shared by every platform so that the ways
// to close the window lead to the same close message everywhere.
#include "app/platform.h"

std::intptr_t DefaultWindowProcedure(Platform& platform, const WindowMessage& message) {
  if (message.kind == MessageKind::kSysKeyDown && message.key == Key::kF4) {
    WindowMessage close;
    close.kind = MessageKind::kSysCommand;
    close.command = SystemCommand::kClose;
    platform.DispatchMessage(close);
    return 0;
  }
  if (message.kind == MessageKind::kSysCommand) {
    switch (message.command) {
      case SystemCommand::kClose: {
        WindowMessage close;
        close.kind = MessageKind::kClose;
        platform.DispatchMessage(close);
        return 0;
      }
      case SystemCommand::kScreenSave:
      case SystemCommand::kMonitorPower:
        platform.AllowScreenSaver();
        return 0;
      default:
        return 0;
    }
  }
  return 0;
}
