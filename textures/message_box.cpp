#include "textures/message_box.h"

#include <cstdio>
#include <cstring>

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
  // Some texts keep a final line break for the box; one line each on a terminal.
  const std::size_t length = std::strlen(text);
  const bool endsLine = length > 0 && text[length - 1] == '\n';
  std::fprintf(stderr, "%s: %s%s", caption, text, endsLine ? "" : "\n");
}
