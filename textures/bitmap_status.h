// The outcome of reading one bitmap, and the text the user is shown for it.
//
// Every failure of the bitmap loader falls into one of four kinds, each with
// the one fixed message the viewer shows under the caption "Error". Keeping
// the outcome as a value lets the file and memory layers report without
// showing anything, so a checker can print the same text the viewer shows.
#pragma once

#include <cstdint>
#include <string>

enum class BitmapStatus : std::int32_t {
  kLoaded = 0,
  kOpenFailed = 1,       // "Failed to open DIB file %s.\n"
  kOutOfMemory = 2,      // "Out of memory."
  kUnknownFormat = 3,    // "Unknown DIB file format."
  kConversionError = 4,  // "Image file conversion error."
};

// The caption of every box the bitmap loader shows.
inline constexpr const char* kBitmapErrorCaption = "Error";

// The message for `status`; the open failure names `fileName` and keeps its
// final newline. kLoaded gives an empty text.
std::string BitmapFailureText(BitmapStatus status, const char* fileName);
