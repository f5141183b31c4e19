// Records every message box the code under test shows, instead of showing it,
// for as long as the object lives.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "textures/message_box.h"

class CapturedMessageBoxes : public MessageBoxService {
 public:
  struct Shown {
    std::string caption;
    std::string text;
    bool operator==(const Shown&) const = default;
  };

  CapturedMessageBoxes() { SetMessageBoxService(this); }
  ~CapturedMessageBoxes() override { SetMessageBoxService(nullptr); }
  CapturedMessageBoxes(const CapturedMessageBoxes&) = delete;
  CapturedMessageBoxes& operator=(const CapturedMessageBoxes&) = delete;

  void ShowMessage(const char* caption, const char* text) override {
    shown.push_back({caption, text});
    if (onShow) onShow();
  }

  std::vector<Shown> shown;
  std::function<void()> onShow;  // runs while the box is "open"
};
