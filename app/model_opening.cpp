#include "app/model_opening.h"

#include <utility>

#include "models/model_cache.h"

ModelOpening::ModelOpening(std::string path) : path_(std::move(path)) {
  worker_.emplace(
      [this](std::stop_token stop) {
        ModelImportSettings settings;
        settings.limits.stop = stop;
        Outcome outcome;
        const std::optional<std::string> folder =
            OpenModelAsSceneFolder(path_, settings, outcome.problem);
        if (folder) outcome.folder = *folder;
        outcome_.Send(std::move(outcome), stop);
      },
      [this](std::exception_ptr error) { outcome_.Fail(error); });
}

ModelOpening::~ModelOpening() {
  worker_.reset();
}

bool ModelOpening::Ended(std::string& folder, std::string& problem) {
  Outcome outcome;
  switch (outcome_.TryReceive(outcome)) {
    case Received::kItem:
      folder = std::move(outcome.folder);
      problem = std::move(outcome.problem);
      return true;
    case Received::kNotYet:
      return false;
    case Received::kEnd:
    case Received::kFailed:
    case Received::kStopped:
      break;
  }
  folder.clear();
  problem = "the import ended without a result";
  return true;
}
