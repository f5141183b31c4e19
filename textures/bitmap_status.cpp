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
