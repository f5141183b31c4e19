#include "app/scene_check.h"

#include <string>
#include <utility>

#include "check/check_folder.h"

struct SceneCheck::Sum {
  FindingCounts counts;
  std::string firstError;
};

SceneCheck::SceneCheck() : sum_(std::make_unique<Channel<Sum>>(1)) {
  Channel<Sum>& channel = *sum_;
  checking_.emplace(
      [&channel](std::stop_token stop) {
        const Findings findings = CheckSceneFolder(".", stop);
        // A stopped check speaks of part of the files; nobody waits for it.
        if (stop.stop_requested()) return;
        Sum sum{CountFindings(findings), {}};
        if (const Finding* first = FirstError(findings)) {
          sum.firstError = first->file + ':' + std::to_string(first->line) + ": " + first->message;
        }
        channel.Send(std::move(sum), stop);
      },
      [&channel](std::exception_ptr error) { channel.Fail(error); });
}

SceneCheck::~SceneCheck() = default;

bool SceneCheck::TakeInto(StartupReport& report, Deadline deadline, std::stop_token stop) {
  Sum sum;
  switch (sum_->Receive(sum, std::move(stop), deadline)) {
    case Received::kItem:
      report.checked = true;
      report.checkErrors = sum.counts.errors;
      report.checkWarnings = sum.counts.warnings;
      report.firstCheckError = std::move(sum.firstError);
      return true;
    case Received::kNotYet:
    case Received::kStopped:
      return false;
    case Received::kFailed:
    case Received::kEnd:
      break;
  }
  report.checked = false;
  return true;
}
