// How the core tells the user about a failure it cannot report through a
// result code (a bitmap that cannot be loaded): a message box with a caption
// and a text and a single OK button.
//
// The core does not know how boxes are shown. The viewer installs a service
// that shows a real box; the tools and tests install their own. Without any
// service the text goes to standard error as "CAPTION: TEXT".
#pragma once

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Shows `text` under `caption` and returns once the user has dismissed it.
  virtual void ShowMessage(const char* caption, const char* text) = 0;
};

// Installs `service` for every later box (null restores the standard-error
// default). The service must outlive its installation.
void SetMessageBoxService(MessageBoxService* service);

// Shows one box through the installed service.
void ShowMessageBox(const char* caption, const char* text);
