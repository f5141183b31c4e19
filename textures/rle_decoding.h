// Run-length encoded bitmaps (8 and 4 bits per pixel), decoded into a section.
//
// The stream is a sequence of two-byte codes: a run (count, colour index or
// two indices taking turns), or an escape: end of line, end of bitmap, a delta
// move right and up, or an absolute run of literal indices padded to an even
// number of bytes. Pixels the stream never sets stay black. Used by the
// conversion; the rules on what counts as a broken stream are written there.
#pragma once

#include "textures/bitmap_header.h"
#include "textures/dib_section.h"
#include "textures/little_endian.h"

// One colour table entry per possible index, with how many of them exist.
struct PaletteLookup {
  ColorEntry entries[256];
  std::uint32_t count = 0;  // indices >= count lie beyond the table
};

// Decodes the stream `bits` with `bitsPerPixel` 8 or 4 into the cleared
// `section`, bottom row first. False when the stream runs off the picture,
// names an index beyond the table, or ends without its end-of-bitmap mark.
bool DecodeRunLengthBits(ByteSpan bits, int bitsPerPixel, const PaletteLookup& palette,
                         DibSection& section);
