#include "textures/message_box.h"

#include <cstdio>

namespace {

MessageBoxService* installedService = nullptr;

}  // namespace

void SetMessageBoxService(MessageBoxService* service) {
  installedService = service;
}

void ShowMessageBox(const char* caption, const char* text) {
  if (installedService != nullptr) {
    installedService->ShowMessage(caption, text);
    return;
  }
  std::fprintf(stderr, "%s: %s\n", caption, text);
}
