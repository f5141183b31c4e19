#include "textures/bitmap_explanation.h"

#include "textures/dib_section.h"
#include "textures/file_bytes.h"

namespace {

std::string Number(std::uint64_t value) {
  return std::to_string(value);
}

std::string Rows(std::int32_t height) {
  return Number(height < 0 ? static_cast<std::uint64_t>(-std::int64_t{height})
                           : static_cast<std::uint64_t>(height));
}

}  // namespace

std::string BitmapHeaderKind(std::uint32_t headerSize) {
  const std::string size = Number(headerSize) + "-byte ";
  switch (headerSize) {
    case kCoreHeaderSize:
      return size + "core header";
    case kInfoHeaderSize:
      return size + "info header";
    case kMaskedHeaderSize:
      return size + "info header with colour masks";
    case kAlphaMaskedHeaderSize:
      return size + "info header with colour and alpha masks";
    case kV4HeaderSize:
      return size + "V4 header";
    case kV5HeaderSize:
      return size + "V5 header";
    default:
      return size + "header";
  }
}

std::string ExplainBitmapProblem(const BitmapDecodeResult& result) {
  const BitmapFacts& f = result.facts;
  const std::string header = BitmapHeaderKind(f.headerSize);
  switch (result.problem) {
    case BitmapProblem::kNone:
      return std::string();
    case BitmapProblem::kCannotOpen:
      return "missing, unreadable, empty or not a regular file";
    case BitmapProblem::kPngFile:
      return "a PNG file, not a bitmap";
    case BitmapProblem::kJpegFile:
      return "a JPEG file, not a bitmap";
    case BitmapProblem::kOs2Header:
      return Number(f.headerSize) + "-byte OS/2 header, not supported";
    case BitmapProblem::kUnknownHeaderSize:
      return "header size " + Number(f.headerSize) +
             " is none of 12, 40, 52, 56, 108 and 124 bytes, so the file is not a bitmap";
    case BitmapProblem::kFileOverLimit:
      return "the file is larger than the " + Number(kMaxBitmapFileBytes >> 20) +
             " MiB that any bitmap within the picture limit takes";
    case BitmapProblem::kFileMemory:
      return "the memory to read the file cannot be had";
    case BitmapProblem::kColorTableMemory:
      return "the colour table of " + Number(f.colorCount) + " entries cannot be allocated";
    case BitmapProblem::kWidthOverLimit:
      return "width " + Number(static_cast<std::uint32_t>(f.width)) + " is over the " +
             Number(kMaxSectionSide) + "-pixel limit";
    case BitmapProblem::kHeightOverLimit:
      return "height " + Rows(f.height) + " is over the " + Number(kMaxSectionSide) +
             "-pixel limit";
    case BitmapProblem::kPictureOverLimit:
      return "a " + Number(static_cast<std::uint32_t>(f.width)) + "x" + Rows(f.height) +
             " picture is over the " + Number(kMaxSectionBytes >> 20) + " MiB limit";
    case BitmapProblem::kPictureMemory:
    case BitmapProblem::kRepackedMemory:
      return "the memory for a " + Number(static_cast<std::uint32_t>(f.width)) + "x" +
             Rows(f.height) + " picture cannot be had";
    case BitmapProblem::kFileHeaderCut:
      return "the file ends inside its 14-byte file header";
    case BitmapProblem::kHeaderSizeCut:
      return "the file ends before its bitmap header";
    case BitmapProblem::kHeaderCut:
      return "the file ends inside its " + header;
    case BitmapProblem::kMasksCut:
      return "the file ends inside the colour masks after its " + header;
    case BitmapProblem::kColorTableCut:
      return "the file ends inside its colour table of " + Number(f.colorCount) + " entries";
    case BitmapProblem::kNoPixels:
      if (f.width <= 0) return "width " + std::to_string(f.width) + " leaves no pixels";
      return "height 0 leaves no pixels";
    case BitmapProblem::kBitsCut:
      if (f.bitsOffset > f.fileSize) {
        return "the pixel bits would start at byte " + Number(f.bitsOffset) +
               ", past the end of the " + Number(f.fileSize) + "-byte file";
      }
      return "the file ends inside the pixel bits, which start at byte " + Number(f.bitsOffset);
    case BitmapProblem::kUnsupportedDepth:
      return Number(f.bitsPerPixel) + " bits per pixel, not supported";
    case BitmapProblem::kBitFieldsDepth:
      return "bit fields on " + Number(f.bitsPerPixel) + " bits per pixel instead of 16 or 32";
    case BitmapProblem::kRunLengthDepth:
      return "RLE" + std::string(f.compression == kCompressionRle8 ? "8" : "4") + " on " +
             Number(f.bitsPerPixel) + " bits per pixel";
    case BitmapProblem::kRunLengthTopDown:
      return "a run-length picture stored top row first, with a negative height";
    case BitmapProblem::kRunLengthBroken:
      return "the run-length data runs off the picture, names a colour beyond the " +
             Number(f.colorCount) + "-entry table, or ends without its end mark";
    case BitmapProblem::kIndexBeyondTable:
      return "a pixel names a colour beyond the " + Number(f.colorCount) + "-entry table";
    case BitmapProblem::kJpegData:
      return header + " holding JPEG data";
    case BitmapProblem::kPngData:
      return header + " holding PNG data";
    case BitmapProblem::kUnknownCompression:
      if (f.compression == kCompressionAlphaBitFields) {
        return "alpha bit fields (compression 6) after a " + header +
               "; only longer headers hold their masks";
      }
      return "compression " + Number(f.compression) + ", not supported";
  }
  return std::string();
}
