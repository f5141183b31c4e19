#include "tools/check/check_textures.h"

#include <string>
#include <vector>

#include "textures/bitmap_loader.h"
#include "tools/check/piece_lines.h"

std::size_t CheckTextures(std::string_view bytes, const std::filesystem::path& dir,
                          Findings& findings) {
  const std::vector<PieceText> pieces = SplitIntoPieces(bytes);
  for (const PieceText& piece : pieces) {
    // The loader drops one final line break, and nothing else, from a name.
    std::string name = piece.text;
    if (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    const std::filesystem::path path = std::filesystem::path(name).is_absolute() || name.empty()
                                           ? std::filesystem::path(name)
                                           : dir / name;
    const BitmapDecodeResult result = ReadBitmapFile(path.c_str());
    if (result.status == BitmapStatus::kLoaded) continue;
    std::string message = BitmapFailureText(result.status, name.c_str());
    while (!message.empty() && message.back() == '\n') message.pop_back();
    AddFinding(findings, "textures.txt", piece.line, Severity::kError,
               "bitmap \"" + name + "\" cannot be loaded: " + message);
  }
  return pieces.size();
}
