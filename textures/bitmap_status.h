// The outcome of reading one bitmap, and the text the user is shown for it.
//
// Every failure of the bitmap loader falls into one of four kinds, each with
// the one fixed message the viewer shows under the caption "Error". Keeping
// the outcome as a value lets the file and memory layers report without
// showing anything, so a checker can print the same text the viewer shows.
//
// Beside the kind, the decoder names the exact problem it met. The viewer
// never shows it (its box keeps the fixed message); tools use it to say why in
// words (bitmap_explanation.h) without parsing the file a second time.
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

// What exactly stopped a bitmap; each problem belongs to one status.
enum class BitmapProblem : std::uint8_t {
  kNone,  // loaded
  // kOpenFailed
  kCannotOpen,  // missing, unreadable, empty or not a regular file
  // kUnknownFormat: the bitmap header's size names no form the loader reads
  kPngFile,            // the bytes are a PNG file
  kJpegFile,           // the bytes are a JPEG file
  kOs2Header,          // a 16- or 64-byte OS/2 header
  kUnknownHeaderSize,  // any other size
  // kOutOfMemory
  kFileOverLimit,     // the file is larger than any bitmap within the limits can be
  kFileMemory,        // the memory to read the file could not be had
  kColorTableMemory,  // the colour table could not be allocated
  kWidthOverLimit,    // width over kMaxSectionSide
  kHeightOverLimit,   // height (without its sign) over kMaxSectionSide
  kPictureOverLimit,  // the rows over kMaxSectionBytes
  kPictureMemory,     // the section could not be allocated
  kRepackedMemory,    // the repacked picture could not be allocated
  // kConversionError
  kFileHeaderCut,       // the bytes end inside the 14-byte file header
  kHeaderSizeCut,       // ... before the bitmap header's size field
  kHeaderCut,           // ... inside the bitmap header
  kMasksCut,            // ... inside the masks after a 40-byte header
  kColorTableCut,       // ... inside the colour table
  kNoPixels,            // width not positive or height 0
  kBitsCut,             // the pixel bits the header declares are not all there
  kUnsupportedDepth,    // bits per pixel other than 1, 4, 8, 16, 24, 32
  kBitFieldsDepth,      // bit fields on a depth other than 16 or 32
  kRunLengthDepth,      // RLE8 not on 8 bits, RLE4 not on 4
  kRunLengthTopDown,    // a run-length picture stored top row first
  kRunLengthBroken,     // the stream runs off the picture, names a colour beyond
                        // the table or ends without its end-of-bitmap mark
  kIndexBeyondTable,    // an uncompressed pixel names a colour beyond the table
  kJpegData,            // compression 4: JPEG data inside a bitmap
  kPngData,             // compression 5: PNG data inside a bitmap
  kUnknownCompression,  // any other compression the conversion does not know
};

// The status a problem is reported under.
BitmapStatus StatusOf(BitmapProblem problem);

// The caption of every box the bitmap loader shows.
inline constexpr const char* kBitmapErrorCaption = "Error";

// The message for `status`; the open failure names `fileName` and keeps its
// final newline. kLoaded gives an empty text.
std::string BitmapFailureText(BitmapStatus status, const char* fileName);
