#include "app/startup_report.h"

#include "app/settings.h"
#include "check/findings.h"
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

// "1 thing" or "N things".
std::string Count(std::size_t n, const char* thing) {
  return std::to_string(n) + ' ' + thing + (n == 1 ? "" : "s");
}

// What the loaders met themselves, for a load whose check was not completed.
std::string LoadersProblems(const StartupReport& report) {
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
  if (report.sceneResult == kSceneCannotOpen) {
    add("scene.txt: cannot be read, so nothing is drawn");
  } else if (report.sceneResult != kSceneRead) {
    add("scene.txt: reading stopped at line " + std::to_string(report.sceneStopLine) + " (" +
        SceneStopReason(report.sceneResult) + ")");
  }
  return parts;
}

}  // namespace

std::string DescribeSceneProblems(const StartupReport& report, const char* programName,
                                  const char* sceneFolder) {
  // The checker's first error already says what a rejected line or the scene
  // reader's stop would: with the check, its words alone.
  std::string problems;
  if (!report.checked) {
    problems = LoadersProblems(report);
  } else if (report.checkErrors > 0) {
    problems = Count(report.checkErrors, "error") +
               (report.checkErrors == 1 ? ", at " : ", the first at ") + report.firstCheckError;
  }
  if (problems.empty()) return problems;
  return std::string(programName) + ": " + problems + "; run morvane-check " + sceneFolder +
         " for details";
}

std::string DescribeCleanLoad(const StartupReport& report, const char* programName,
                              const char* sceneFolder) {
  if (!report.checked || report.checkErrors > 0) return {};
  std::string line =
      std::string(programName) + ": scene.txt, objects.txt and textures.txt loaded without ";
  if (report.checkWarnings == 0) return line + "problems";
  return line + "errors, with " + Count(report.checkWarnings, "warning") + "; run morvane-check " +
         sceneFolder + " for details";
}

void PrintStartupReport(const StartupReport& report, std::FILE* errors, bool sayClean) {
  if (!report.transcriptProblem.empty()) {
    // The transcript is written in the working directory, the scene folder:
    // the user knows it by the name they gave it.
    std::fprintf(errors, "%s: ogllist.txt not written in %s (%s); the scene is drawn without it\n",
                 theSettings.programName, theSettings.sceneFolder,
                 report.transcriptProblem.c_str());
  }
  std::string summary =
      DescribeSceneProblems(report, theSettings.programName, theSettings.sceneFolder);
  if (summary.empty() && sayClean) {
    summary = DescribeCleanLoad(report, theSettings.programName, theSettings.sceneFolder);
  }
  if (!summary.empty()) std::fprintf(errors, "%s\n", summary.c_str());
}

void PrintBitmapNotLoaded(std::size_t line, const char* name, BitmapStatus status,
                          std::FILE* errors) {
  // The loader's text keeps a final line break for its box.
  std::string failure = BitmapFailureText(status, name);
  while (!failure.empty() && failure.back() == '\n') failure.pop_back();
  // Quoted as the checker quotes, so blanks and control bytes in the name show.
  std::fprintf(errors, "%s: textures.txt:%zu: %s not loaded: %s\n", theSettings.programName, line,
               Quoted(name).c_str(), failure.c_str());
}
