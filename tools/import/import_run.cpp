#include "tools/import/import_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "models/model_import.h"

namespace {

namespace fs = std::filesystem;

// Above this many lines of objects.txt the viewer's start-up takes seconds.
constexpr std::size_t kSlowStartLines = 1000000;

// The first of `names` that already exists in `dir` as anything (a file, a
// folder, a link, even a dangling one), or "" when none does.
std::string FirstExistingName(const fs::path& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    struct stat facts {};
    if (::lstat((dir / name).c_str(), &facts) == 0) return name;
  }
  return "";
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

void PrintSummary(std::FILE* err, const ImportedModel& model, const ScenePlan& plan,
                  const fs::path& dir, std::size_t objectLines) {
  const TextureNotes& notes = plan.notes;
  std::fprintf(err, "morvane-import: wrote %s: %s, %s -> %s, %s and %s\n", dir.string().c_str(),
               Count(model.meshCount, "mesh", "meshes").c_str(),
               Count(model.triangleCount, "triangle", "triangles").c_str(),
               Count(model.objects.size(), "object", "objects").c_str(),
               Count(notes.fromModel, "texture", "textures").c_str(),
               Count(notes.colours, "colour bitmap", "colour bitmaps").c_str());
  std::fprintf(err, "  %zu lines of objects.txt\n", objectLines);
  std::vector<std::string> dropped;
  const DroppedParts& d = model.dropped;
  if (d.meshesWithVertexColours > 0) {
    dropped.push_back("vertex colours (" + Count(d.meshesWithVertexColours, "mesh", "meshes") +
                      ")");
  }
  if (notes.alphaDropped > 0) {
    dropped.push_back("alpha channel (" + Count(notes.alphaDropped, "texture", "textures") + ")");
  }
  if (d.animations > 0) dropped.push_back(Count(d.animations, "animation", "animations"));
  if (d.linesAndPoints > 0)
    dropped.push_back(Count(d.linesAndPoints, "line or point", "lines and points"));
  if (d.invalidTriangles > 0) {
    dropped.push_back(Count(d.invalidTriangles, "triangle", "triangles") +
                      " with invalid coordinates");
  }
  if (d.cameras > 0) dropped.push_back(Count(d.cameras, "camera", "cameras"));
  if (d.lights > 0) dropped.push_back(Count(d.lights, "light", "lights"));
  if (!dropped.empty()) {
    std::string line = "  dropped:";
    for (std::size_t i = 0; i < dropped.size(); ++i) line += (i == 0 ? " " : ", ") + dropped[i];
    std::fprintf(err, "%s\n", line.c_str());
  }
  if (plan.secondPasses > 0) {
    std::fprintf(err,
                 "  shaded in a second pass (their texture repeats or is shared between places): "
                 "%s\n",
                 Count(plan.secondPasses, "object", "objects").c_str());
  }
  if (notes.scaledDown > 0) {
    std::fprintf(err, "  scaled down to 4096 pixels a side: %s\n",
                 Count(notes.scaledDown, "texture", "textures").c_str());
  }
  for (const std::string& unusable : notes.unusable) {
    std::fprintf(err, "  texture %s; its material shows its colour\n", unusable.c_str());
  }
  if (objectLines > kSlowStartLines) {
    std::fprintf(err, "  start-up will be slow: %zu lines of objects.txt (over 1,000,000)\n",
                 objectLines);
  }
}

}  // namespace

int RunImport(const ImportOptions& options, std::FILE* err) {
  ModelImport import;
  std::string error;
  if (!PrepareModelImport(options.model, options.settings, import, error)) {
    std::fprintf(err, "morvane-import: cannot read %s: %s\n", options.model.c_str(), error.c_str());
    return 1;
  }

  const fs::path dir = options.directory;
  std::error_code code;
  if (!fs::is_directory(dir, code)) {
    if (::mkdir(dir.c_str(), 0777) != 0) {
      std::fprintf(err, "morvane-import: cannot create the folder %s: %s\n", dir.c_str(),
                   std::strerror(errno));
      return 1;
    }
  } else if (!options.force) {
    const std::string existing = FirstExistingName(dir, SceneFolderFiles(import.plan));
    if (!existing.empty()) {
      std::fprintf(err,
                   "morvane-import: %s already exists; nothing was written (--force replaces "
                   "it)\n",
                   (dir / existing).c_str());
      return 1;
    }
  }

  std::size_t objectLines = 0;
  if (!WriteSceneFolder(import.plan, options.settings.spin, dir, objectLines, error)) {
    std::fprintf(err, "morvane-import: %s\n", error.c_str());
    return 1;
  }
  PrintSummary(err, import.model, import.plan, dir, objectLines);
  return 0;
}
