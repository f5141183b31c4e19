// Writes a picture as the simplest bitmap the viewer loads: a 14-byte file
// header, a 40-byte info header, 24 bits per pixel, uncompressed, rows bottom
// first, each padded to a multiple of four bytes.
#pragma once

#include <cstdio>

#include "models/imported_model.h"

// Writes `image` (top row first) to `file`. Returns false when a write fails.
bool WriteBitmap24(std::FILE* file, const DecodedImage& image);
