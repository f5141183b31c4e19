// A model file opened while the viewer runs (dropped onto the window, or
// changed on disk under --watch): imported into the cache of imports on a
// worker, so the window keeps drawing meanwhile, and handed over as the scene
// folder to load.
//
// The import reads the model in a child process of its own (models/), which
// a stop ends at once: a newer drop, a close or an interruption never waits
// for a slow or stuck model.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "loading/channel.h"
#include "loading/worker.h"

class ModelOpening {
 public:
  // Starts importing the model at `path` (unless the cache holds it already).
  explicit ModelOpening(std::string path);
  // Stops an import still running.
  ~ModelOpening();
  ModelOpening(const ModelOpening&) = delete;
  ModelOpening& operator=(const ModelOpening&) = delete;

  const std::string& Path() const { return path_; }

  // Once the import has ended: true, with `folder` the scene folder to load,
  // or empty and `problem` saying why the model cannot be read. False while
  // it still runs. Does not wait.
  bool Ended(std::string& folder, std::string& problem);

 private:
  struct Outcome {
    std::string folder;  // empty when the model cannot be read
    std::string problem;
  };

  std::string path_;
  Channel<Outcome> outcome_{1};
  std::optional<Worker> worker_;  // after the channel it fills, so it ends first
};
