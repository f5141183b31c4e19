// Loads one Windows bitmap file (a 14-byte file header followed by a 12-, 40-,
// 52-, 56-, 108- or 124-byte bitmap header, or a packed DIB without the file
// header) as packed 24-bit RGB rows, bottom row first, ready for glTexImage2D.
//
// Three layers, each usable alone:
// - DecodeBitmap works on bytes already in memory and never touches the disk;
//   fuzzing and checkers drive it directly.
// - ReadBitmapFile reads the file and decodes it, reporting without showing.
// - LoadBitmapImage is what the viewer calls: it shows any failure in a
//   message box with the caption "Error" and returns no image.
// A failure is one of four messages (see bitmap_status.h), with the exact
// problem reported beside it for tools. A bitmap that
// contradicts itself (headers, colour table or pixel bits beyond the end of
// the file, colour indices beyond the table, a broken run-length stream) is an
// "Image file conversion error.", and a picture declaring more than
// kMaxSectionBytes of rows is "Out of memory." before anything is allocated.
//
// Needs only the standard library and POSIX file reading; the message box goes
// through the installed MessageBoxService.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textures/bitmap_header.h"
#include "textures/bitmap_status.h"
#include "textures/rgb_image.h"

struct BitmapDecodeResult {
  BitmapStatus status = BitmapStatus::kLoaded;
  BitmapProblem problem = BitmapProblem::kNone;  // what stopped it, in detail
  BitmapFacts facts;  // what the headers declared, as far as they were read
  RgbImagePtr image;  // set exactly when status is kLoaded
};

// Decodes the `size` bytes at `data`. Never reads outside them; shows nothing.
// Empty data is a conversion error.
BitmapDecodeResult DecodeBitmap(const std::uint8_t* data, std::size_t size);

// Reads `fileName` and decodes it. A missing, empty, unreadable or
// non-regular file gives kOpenFailed, a file larger than any bitmap within
// the limits kOutOfMemory. Shows nothing. May throw std::bad_alloc when the
// memory to read a file within the limit cannot be had.
BitmapDecodeResult ReadBitmapFile(const char* fileName);

// The result of a bitmap that failed with `problem`, nothing decoded.
BitmapDecodeResult FailedBitmap(BitmapProblem problem);

// Loads `fileName` for the viewer. Returns null after showing the failure's
// message under the caption "Error" (at most one message per call).
RgbImagePtr LoadBitmapImage(const char* fileName);

// The second half of LoadBitmapImage, for a file read and decoded elsewhere
// (on another thread): the image, or null after the failure's message.
RgbImagePtr ImageOrMessage(BitmapDecodeResult&& result, const char* fileName);
