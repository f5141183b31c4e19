#include "tools/import/import_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "models/bitmap_writer.h"
#include "models/model_fit.h"
#include "models/model_reader.h"
#include "models/object_names.h"
#include "models/scene_text.h"
#include "models/texture_bitmaps.h"
#include "store/replacing_file.h"
#include "store/text_writer.h"

namespace {

namespace fs = std::filesystem;

// Above this many lines of objects.txt the viewer's start-up takes seconds.
constexpr std::size_t kSlowStartLines = 1000000;

// Writes one file of the folder through `write`, which returns false when a
// write failed; the file then keeps its old content, if it had one.
template <typename WriteFunction>
bool WriteFolderFile(const fs::path& dir, const std::string& name, WriteFunction write,
                     std::string& error) {
  ReplacingFile output((dir / name).string());
  const bool written = output.File() != nullptr && write(output.File());
  const int writeError = written ? 0 : (errno != 0 ? errno : EIO);
  if (output.File() == nullptr || !output.Commit(writeError)) {
    error = (dir / name).string() + ": " + output.Problem();
    return false;
  }
  return true;
}

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

void PrintSummary(std::FILE* err, const ImportedModel& model, const TextureNotes& notes,
                  const fs::path& dir, std::size_t objectLines) {
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
  ImportedModel model;
  std::string error;
  if (!ReadModel(options.model, model, error)) {
    std::fprintf(err, "morvane-import: cannot read %s: %s\n", options.model.c_str(), error.c_str());
    return 1;
  }
  FitModelToView(model);

  std::vector<std::string> modelNames;
  for (const ImportedObject& object : model.objects) modelNames.push_back(object.name);
  const std::vector<std::string> names = MakeObjectNames(modelNames);
  TextureBitmaps bitmaps(model.textures);
  std::vector<ObjectLook> looks;
  for (std::size_t i = 0; i < model.objects.size(); ++i) {
    const ImportedObject& object = model.objects[i];
    const ImportedMaterial& material = model.materials[object.material];
    const bool textured = object.hasTextureCoordinates && material.texture >= 0;
    const TextureBitmaps::Choice choice = bitmaps.ChooseFor(material, textured);
    // A colour bitmap is one colour everywhere: one coordinate serves.
    looks.push_back({names[i], choice.number, choice.picture});
  }

  const fs::path dir = options.directory;
  std::vector<std::string> outputs = {"textures.txt", "objects.txt", "scene.txt"};
  std::vector<std::string> bitmapNames;
  for (const BitmapPlan& plan : bitmaps.bitmaps()) bitmapNames.push_back(plan.fileName);
  outputs.insert(outputs.end(), bitmapNames.begin(), bitmapNames.end());
  std::error_code code;
  if (!fs::is_directory(dir, code)) {
    if (::mkdir(dir.c_str(), 0777) != 0) {
      std::fprintf(err, "morvane-import: cannot create the folder %s: %s\n", dir.c_str(),
                   std::strerror(errno));
      return 1;
    }
  } else if (!options.force) {
    const std::string existing = FirstExistingName(dir, outputs);
    if (!existing.empty()) {
      std::fprintf(err,
                   "morvane-import: %s already exists; nothing was written (--force replaces "
                   "it)\n",
                   (dir / existing).c_str());
      return 1;
    }
  }

  std::size_t objectLines = 0;
  bool written = true;
  for (const BitmapPlan& plan : bitmaps.bitmaps()) {
    written = written && WriteFolderFile(
                             dir, plan.fileName,
                             [&](std::FILE* f) { return WriteBitmap24(f, plan.image); }, error);
  }
  const auto text = [&](auto writeText) {
    return [writeText](std::FILE* f) {
      TextWriter out(f);
      writeText(out);
      out.Flush();
      return !out.Failed();
    };
  };
  written =
      written &&
      WriteFolderFile(dir, "textures.txt",
                      text([&](TextWriter& out) { WriteTexturesText(out, bitmapNames); }), error) &&
      WriteFolderFile(dir, "objects.txt", text([&](TextWriter& out) {
                        objectLines = WriteObjectsText(out, model.objects, looks);
                      }),
                      error) &&
      WriteFolderFile(dir, "scene.txt", text([&](TextWriter& out) {
                        WriteSceneText(out, looks, kCameraDistance, options.spin);
                      }),
                      error);
  if (!written) {
    std::fprintf(err, "morvane-import: %s\n", error.c_str());
    return 1;
  }
  PrintSummary(err, model, bitmaps.notes(), dir, objectLines);
  return 0;
}
