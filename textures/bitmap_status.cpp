#include "textures/bitmap_status.h"

std::string BitmapFailureText(BitmapStatus status, const char* fileName) {
  switch (status) {
    case BitmapStatus::kLoaded:
      return std::string();
    case BitmapStatus::kOpenFailed:
      return std::string("Failed to open DIB file ") + (fileName != nullptr ? fileName : "") +
             ".\n";
    case BitmapStatus::kOutOfMemory:
      return "Out of memory.";
    case BitmapStatus::kUnknownFormat:
      return "Unknown DIB file format.";
    case BitmapStatus::kConversionError:
      return "Image file conversion error.";
  }
  return "Image file conversion error.";
}

BitmapStatus StatusOf(BitmapProblem problem) {
  switch (problem) {
    case BitmapProblem::kNone:
      return BitmapStatus::kLoaded;
    case BitmapProblem::kCannotOpen:
      return BitmapStatus::kOpenFailed;
    case BitmapProblem::kPngFile:
    case BitmapProblem::kJpegFile:
    case BitmapProblem::kOs2Header:
    case BitmapProblem::kUnknownHeaderSize:
      return BitmapStatus::kUnknownFormat;
    case BitmapProblem::kFileOverLimit:
    case BitmapProblem::kFileMemory:
    case BitmapProblem::kColorTableMemory:
    case BitmapProblem::kWidthOverLimit:
    case BitmapProblem::kHeightOverLimit:
    case BitmapProblem::kPictureOverLimit:
    case BitmapProblem::kPictureMemory:
    case BitmapProblem::kRepackedMemory:
      return BitmapStatus::kOutOfMemory;
    case BitmapProblem::kFileHeaderCut:
    case BitmapProblem::kHeaderSizeCut:
    case BitmapProblem::kHeaderCut:
    case BitmapProblem::kMasksCut:
    case BitmapProblem::kColorTableCut:
    case BitmapProblem::kNoPixels:
    case BitmapProblem::kBitsCut:
    case BitmapProblem::kUnsupportedDepth:
    case BitmapProblem::kBitFieldsDepth:
    case BitmapProblem::kRunLengthDepth:
    case BitmapProblem::kRunLengthTopDown:
    case BitmapProblem::kRunLengthBroken:
    case BitmapProblem::kIndexBeyondTable:
    case BitmapProblem::kJpegData:
    case BitmapProblem::kPngData:
    case BitmapProblem::kUnknownCompression:
      return BitmapStatus::kConversionError;
  }
  return BitmapStatus::kConversionError;
}
