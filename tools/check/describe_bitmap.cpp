#include "tools/check/describe_bitmap.h"

#include <cstdint>

#include "offscreen/png_io.h"
#include "textures/bitmap_explanation.h"
#include "textures/bitmap_loader.h"

namespace {

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

}  // namespace

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

  const RgbImage& image = *result.image;
  const RgbPicture picture = PictureFromBottomUpRows(image.width, image.height, image.pixels.get());
  std::string error;
  if (!WritePng(pngPath, picture, &error)) {
    std::fprintf(err, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
