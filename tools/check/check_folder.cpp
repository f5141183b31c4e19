#include "tools/check/check_folder.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "textures/bitmap_explanation.h"
#include "textures/bitmap_loader.h"
#include "tools/check/check_objects.h"
#include "tools/check/check_scene.h"
#include "tools/check/check_textures.h"
#include "tools/png_io.h"

namespace {

namespace fs = std::filesystem;

// The file's bytes, or false when it does not exist.
bool ReadWholeFile(const fs::path& path, std::string& bytes) {
  std::error_code error;
  if (!fs::exists(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string CompressionName(std::uint32_t compression) {
  switch (compression) {
    case 0:
      return "uncompressed";
    case 1:
      return "RLE8";
    case 2:
      return "RLE4";
    case 3:
      return "bit fields";
    case 6:
      return "bit fields with alpha";
    default:
      return "compression " + std::to_string(compression);
  }
}

// Orders the findings added since `from` by line, keeping the order of
// findings on the same line.
void SortByLine(Findings& findings, std::size_t from) {
  std::stable_sort(findings.begin() + static_cast<std::ptrdiff_t>(from), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

}  // namespace

Findings CheckSceneFolder(const fs::path& dir) {
  Findings findings;
  std::string bytes;
  std::size_t textureCount = 0;
  if (ReadWholeFile(dir / "textures.txt", bytes)) {
    textureCount = CheckTextures(bytes, dir, findings);
    SortByLine(findings, 0);
  } else {
    AddFinding(findings, "textures.txt", 1, Severity::kWarning,
               "cannot be opened: the scene has no textures");
  }
  CompiledNames names;
  if (ReadWholeFile(dir / "objects.txt", bytes)) {
    const std::size_t from = findings.size();
    names = CheckObjects(bytes, textureCount, findings);
    SortByLine(findings, from);
  } else {
    AddFinding(findings, "objects.txt", 1, Severity::kError,
               "cannot be opened: no object is compiled");
  }
  if (ReadWholeFile(dir / "scene.txt", bytes)) {
    const std::size_t from = findings.size();
    CheckScene(bytes, names, findings);
    SortByLine(findings, from);
  } else {
    AddFinding(findings, "scene.txt", 1, Severity::kError,
               "cannot be opened: every frame shows only the black background");
  }
  return findings;
}

int DescribeBitmap(const std::string& file, const std::string& pngPath, std::FILE* out,
                   std::FILE* err) {
  const BitmapDecodeResult result = ReadBitmapFile(file.c_str());
  if (result.status != BitmapStatus::kLoaded) {
    // The loader's own text first, as the viewer's box shows it, then why.
    std::string message = BitmapFailureText(result.status, file.c_str());
    if (!message.empty() && message.back() == '\n') message.pop_back();
    std::fprintf(err, "%s (%s)\n", message.c_str(), ExplainBitmapProblem(result).c_str());
    return 1;
  }
  const BitmapFacts& f = result.facts;
  std::fprintf(out, "%s: %dx%d, %u-bit, %s%s, %s, %u palette entries%s\n", file.c_str(),
               result.image->width, result.image->height, static_cast<unsigned>(f.bitsPerPixel),
               BitmapHeaderKind(f.headerSize).c_str(),
               f.hasFileHeader ? "" : " (packed, no file header)",
               CompressionName(f.compression).c_str(), f.colorCount,
               f.height < 0 ? ", stored top-down" : "");
  if (pngPath.empty()) return 0;

  // The image holds the bottom row first; a picture file shows the top row first.
  const RgbImage& image = *result.image;
  RgbPicture picture{image.width, image.height, {}};
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
  picture.pixels.resize(rowBytes * static_cast<std::size_t>(image.height));
  for (std::int32_t row = 0; row < image.height; ++row) {
    std::memcpy(picture.pixels.data() + static_cast<std::size_t>(row) * rowBytes,
                image.pixels.get() + static_cast<std::size_t>(image.height - 1 - row) * rowBytes,
                rowBytes);
  }
  std::string error;
  if (!WritePng(pngPath, picture, &error)) {
    std::fprintf(err, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
