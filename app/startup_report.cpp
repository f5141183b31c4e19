#include "app/startup_report.h"

#include "app/settings.h"
#include "scene/scene_reader.h"

namespace {

// What stopped the scene reader, in the words of someone looking at the line.
const char* SceneStopReason(std::int32_t result) {
  switch (result) {
    case kSceneNoSemicolon:
      return "';' must be the line's last character";
    case kSceneSecondBegin:
      return "a second \"begin;\"";
    case kSceneSecondScene:
      return "\"scene=\" inside a scene";
    case kSceneStrayEndList:
      return "\"endlist;\" outside a list";
    case kSceneStrayEndScene:
      return "\"endscene;\" outside a scene";
    case kSceneStrayEnd:
      return "\"end;\" outside begin or with a block open";
    case kSceneAssignmentBefore:
      return "expected \"begin;\"";
    default:
      return "unknown result";
  }
}

}  // namespace

std::string DescribeSceneProblems(const StartupReport& report, const char* programName,
                                  const char* sceneFolder) {
  std::string parts;
  const auto add = [&parts](const std::string& part) {
    parts += parts.empty() ? part : "; " + part;
  };
  if (report.objectsUnreadable) add("objects.txt: cannot be read, so nothing is compiled");
  if (report.rejectedLines > 0) {
    add("objects.txt: " + std::to_string(report.rejectedLines) +
        (report.rejectedLines == 1 ? " line rejected, at line "
                                   : " lines rejected, the first at line ") +
        std::to_string(report.firstRejectedLine));
  }
  if (report.failedBitmaps > 0) {
    std::string failure = report.firstBitmapFailure;
    while (!failure.empty() && failure.back() == '\n') failure.pop_back();
    add("textures.txt: " + std::to_string(report.failedBitmaps) +
        (report.failedBitmaps == 1 ? " bitmap not loaded, at line "
                                   : " bitmaps not loaded, the first at line ") +
        std::to_string(report.firstFailedBitmapLine) + " (" + failure + ")");
  }
  if (report.sceneResult == kSceneCannotOpen) {
    add("scene.txt: cannot be read, so nothing is drawn");
  } else if (report.sceneResult != kSceneRead) {
    add("scene.txt: reading stopped at line " + std::to_string(report.sceneStopLine) + " (" +
        SceneStopReason(report.sceneResult) + ")");
  }
  if (parts.empty()) return parts;
  return std::string(programName) + ": " + parts + "; run morvane-check " + sceneFolder +
         " for details";
}

void PrintStartupReport(const StartupReport& report, std::FILE* errors) {
  if (!report.transcriptProblem.empty()) {
    // The transcript is written in the working directory, the scene folder:
    // the user knows it by the name they gave it.
    std::fprintf(errors, "%s: ogllist.txt not written in %s (%s); the scene is drawn without it\n",
                 theSettings.programName, theSettings.sceneFolder,
                 report.transcriptProblem.c_str());
  }
  const std::string summary =
      DescribeSceneProblems(report, theSettings.programName, theSettings.sceneFolder);
  if (!summary.empty()) std::fprintf(errors, "%s\n", summary.c_str());
}
