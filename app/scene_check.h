// The checker's rules over the scene folder, on a worker of their own once a
// load has compiled its lists, so that the summary line on standard error
// counts what morvane-check calls errors and names the first.
//
// The check reads the three files itself, as morvane-check does: it shares
// nothing with the load but the folder. Only its sum crosses to the caller
// (counts and the first error), never the findings, so a scene of a million
// faulty lines costs the caller nothing more.
//
// It starts once the load's reading and ogllist.txt's writer are done: until
// then they keep the second core busy, and a check beside them slows the
// compilation they feed. Afterwards the GL thread draws alone, and the check
// runs beside the first frames. No frame waits for it: the caller takes the
// sum whenever it may wait, the viewer between frames, morvane-snapshot once
// its frames are drawn. Destroying the check stops it at its next line.
#pragma once

#include <memory>
#include <optional>
#include <stop_token>

#include "app/startup_report.h"
#include "loading/channel.h"
#include "loading/worker.h"

class SceneCheck {
 public:
  // Starts checking the working directory's textures.txt, objects.txt and
  // scene.txt on a worker.
  SceneCheck();
  // Stops the check at its next line.
  ~SceneCheck();
  SceneCheck(const SceneCheck&) = delete;
  SceneCheck& operator=(const SceneCheck&) = delete;

  // Puts the check's sum into `report` (checked, the counts, the first
  // error), waiting for it until `deadline` or until `stop` is requested.
  // True once it is there, or once the check failed (memory, no thread),
  // which leaves `report` unchecked.
  bool TakeInto(StartupReport& report, Deadline deadline = kNoDeadline, std::stop_token stop = {});

 private:
  struct Sum;
  std::unique_ptr<Channel<Sum>> sum_;
  std::optional<Worker> checking_;  // after the channel it fills, so it ends first
};
