#include "models/model_import.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "models/bitmap_writer.h"
#include "models/model_fit.h"
#include "store/replacing_file.h"
#include "store/text_writer.h"

namespace {

namespace fs = std::filesystem;

// A model names texture files as its authoring machine saw them: relative to
// the model, often with Windows separators, sometimes with a full path that
// only existed there. The file beside the model with the same name is the
// usual fallback. Every place tried is noted: a texture that appears there
// later changes what an import gives.
void LocateTextureFiles(ImportedModel& model, const fs::path& modelDir,
                        std::vector<fs::path>& tried) {
  std::error_code error;
  for (TextureSource& source : model.textures) {
    if (source.origin != TextureOrigin::kFile || source.name.empty()) continue;
    std::string name = source.name;
    std::replace(name.begin(), name.end(), '\\', '/');
    const fs::path given(name);
    const fs::path candidates[] = {given.is_absolute() ? given : modelDir / given,
                                   modelDir / given.filename()};
    source.file = candidates[0];
    for (const fs::path& candidate : candidates) {
      tried.push_back(fs::absolute(candidate, error));
      if (fs::is_regular_file(candidate, error)) {
        source.file = candidate;
        break;
      }
    }
  }
}

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

}  // namespace

bool PrepareModelImport(const std::string& path, const ModelImportSettings& settings,
                        ModelImport& result, std::string& error) {
  if (!ReadModelInChild(path, settings.limits, result.model, error)) return false;
  std::error_code code;
  const fs::path model = fs::absolute(path, code);
  for (const std::string& name : result.model.otherFiles) {
    const fs::path other = fs::absolute(name, code);
    if (!code && other != model) result.otherFiles.push_back(other);
  }
  LocateTextureFiles(result.model, fs::path(path).parent_path(), result.otherFiles);
  std::sort(result.otherFiles.begin(), result.otherFiles.end());
  result.otherFiles.erase(std::unique(result.otherFiles.begin(), result.otherFiles.end()),
                          result.otherFiles.end());
  result.plan = PlanScene(result.model, settings.lit);
  return true;
}

std::vector<std::string> SceneFolderFiles(const ScenePlan& plan) {
  std::vector<std::string> names = {"textures.txt", "objects.txt", "scene.txt"};
  for (const BitmapPlan& bitmap : plan.bitmaps) names.push_back(bitmap.fileName);
  return names;
}

bool WriteSceneFolder(const ScenePlan& plan, double spin, const fs::path& dir,
                      std::size_t& objectLines, std::string& error) {
  std::vector<std::string> bitmapNames;
  for (const BitmapPlan& bitmap : plan.bitmaps) {
    bitmapNames.push_back(bitmap.fileName);
    const auto write = [&](std::FILE* f) { return WriteBitmap24(f, bitmap.image); };
    if (!WriteFolderFile(dir, bitmap.fileName, write, error)) return false;
  }
  const auto text = [&](auto writeText) {
    return [writeText](std::FILE* f) {
      TextWriter out(f);
      writeText(out);
      out.Flush();
      return !out.Failed();
    };
  };
  return WriteFolderFile(dir, "textures.txt",
                         text([&](TextWriter& out) { WriteTexturesText(out, bitmapNames); }),
                         error) &&
         WriteFolderFile(dir, "objects.txt", text([&](TextWriter& out) {
                           objectLines = WriteObjectsText(out, plan.objects);
                         }),
                         error) &&
         WriteFolderFile(dir, "scene.txt", text([&](TextWriter& out) {
                           WriteSceneText(out, plan.objects, kCameraDistance, spin);
                         }),
                         error);
}
