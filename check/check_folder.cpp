#include "check/check_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "check/check_objects.h"
#include "check/check_scene.h"
#include "check/check_textures.h"

namespace {

namespace fs = std::filesystem;

// Opens one of the three files through the viewer's line reader, or reports
// in one finding why it is not read and what the viewer then shows. Only
// regular files are read: a folder reads as empty, and a FIFO or a device
// could keep the checker waiting or reading for ever. A missing file has the
// given severity (a scene may do without textures); one that is there but
// cannot be read is always an error.
std::unique_ptr<LineReader> OpenSceneFile(const fs::path& dir, const char* name, Severity missing,
                                          const char* consequence, Findings& findings) {
  const fs::path path = dir / name;
  struct stat status {};
  std::string problem;
  Severity severity = Severity::kError;
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) severity = missing;
    problem = errno == ENOENT ? "cannot be opened"
                              : std::string("cannot be opened (") + std::strerror(errno) + ")";
  } else if (S_ISDIR(status.st_mode)) {
    problem = "is a folder, not a file, so the viewer reads nothing from it";
  } else if (S_ISFIFO(status.st_mode)) {
    problem =
        "is a FIFO, not a file, and is not checked; the viewer reads from it only what is "
        "waiting when it starts, usually nothing";
  } else if (!S_ISREG(status.st_mode)) {
    problem = "is a device or socket, not a file, and is not checked";
  } else {
    auto reader = std::make_unique<LineReader>(path.c_str());
    if (reader->IsOpen()) return reader;
    problem = std::string("cannot be opened (") + std::strerror(errno) + ")";
  }
  AddFinding(findings, name, 1, severity, problem + ": " + consequence);
  return nullptr;
}

// One warning at the first object no entry draws, naming the others in a note.
void ReportNeverDrawn(const CompiledObjects& objects, const std::vector<bool>& drawn,
                      Findings& findings) {
  constexpr std::size_t kMostNamed = 10;
  Finding* first = nullptr;
  std::string others;
  std::size_t count = 0;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (drawn[i]) continue;
    if (first == nullptr) {
      first = &AddFinding(
          findings, "objects.txt", objects[i].line, Severity::kWarning,
          "object \"" + objects[i].name + "\" is never drawn: no block of scene.txt names it");
    } else if (++count <= kMostNamed) {
      others += (count > 1 ? ", " : "") + objects[i].name + " (line " +
                std::to_string(objects[i].line) + ")";
    }
  }
  if (count == 0) return;
  if (count > kMostNamed) others += " and " + std::to_string(count - kMostNamed) + " more";
  first->notes.push_back({first->line, "nor are " + others});
}

}  // namespace

Findings CheckSceneFolder(const fs::path& dir, std::stop_token stop) {
  Findings findings;
  std::size_t textureCount = 0;
  if (auto reader = OpenSceneFile(dir, "textures.txt", Severity::kWarning,
                                  "the scene has no textures", findings)) {
    textureCount = CheckTextures(*reader, dir, findings, stop);
  }
  if (stop.stop_requested()) return findings;
  CompiledObjects objects;
  if (auto reader =
          OpenSceneFile(dir, "objects.txt", Severity::kError, "no object is compiled", findings)) {
    objects = CheckObjects(*reader, textureCount, findings, stop);
  }
  if (stop.stop_requested()) return findings;
  if (auto reader = OpenSceneFile(dir, "scene.txt", Severity::kError,
                                  "every frame shows only the black background", findings)) {
    const std::vector<bool> drawn = CheckScene(*reader, objects, findings, stop);
    // When nothing is drawn the scene's own findings say why; naming every
    // object as well would bury them.
    if (std::find(drawn.begin(), drawn.end(), true) != drawn.end()) {
      ReportNeverDrawn(objects, drawn, findings);
    }
  }
  findings.Sort();
  return findings;
}
