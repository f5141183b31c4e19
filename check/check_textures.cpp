#include "check/check_textures.h"

#include <optional>
#include <string>

#include "check/piece_lines.h"
#include "check/written_text.h"
#include "textures/bitmap_loader.h"
#include "textures/texture_table.h"

namespace {

constexpr const char* kFile = "textures.txt";

bool Loads(const std::filesystem::path& dir, const std::string& name, std::string& failure) {
  const std::filesystem::path path = std::filesystem::path(name).is_absolute() || name.empty()
                                         ? std::filesystem::path(name)
                                         : dir / name;
  const BitmapDecodeResult result = ReadBitmapFile(path.c_str());
  if (result.status == BitmapStatus::kLoaded) return true;
  failure = BitmapFailureText(result.status, name.c_str());
  while (!failure.empty() && failure.back() == '\n') failure.pop_back();
  return false;
}

}  // namespace

std::size_t CheckTextures(LineReader& reader, const std::filesystem::path& dir, Findings& findings,
                          std::stop_token stop) {
  PieceLines lines(reader, std::move(stop));
  std::size_t count = 0;
  // A line's finding waits for the next piece: a cut line is reported once,
  // as cut, not also as a name that cannot be loaded.
  std::optional<Finding> pending;
  while (lines.Next()) {
    ++count;
    const std::size_t line = lines.Line();
    if (lines.FirstCut()) {
      pending.reset();
      AddFinding(findings, kFile, line, Severity::kError,
                 "the line is longer than the reader takes at once (253 characters and the line "
                 "break): it is cut into several names, each taking a texture number, so the "
                 "lines after it get higher numbers than their position");
    }
    if (lines.Continues()) continue;
    if (pending) findings.Add(std::move(*pending));
    pending.reset();
    const std::string name = TextureNameOfPiece(lines.Raw());
    std::string failure;
    if (Loads(dir, name, failure)) continue;
    std::string message = "bitmap \"" + name + "\" cannot be loaded: " + failure;
    if (lines.Index() == 0 && name.starts_with(kByteOrderMark)) {
      message =
          "the file begins with a byte-order mark (bytes EF BB BF), which the viewer takes as part "
          "of the first name, so it looks for " +
          Quoted(name) + " and texture 0 has no image";
    }
    pending = Finding{kFile, line, Severity::kError, std::move(message), {}, {}, 0, line};
  }
  if (pending) findings.Add(std::move(*pending));
  return count;
}
