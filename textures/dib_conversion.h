// Renders a bitmap's pixel bits, as its working header describes them, into a
// 24-bit section: the one place where bit depths and compressions are
// understood.
//
// Forms converted: 1-, 4- and 8-bit colour tables; 16 bits as 5-5-5 and 32 bits
// as 8-8-8 (the top bits unused) unless bit-field compression gives three masks;
// 24 bits; 8- and 4-bit run-length encoding. JPEG and PNG data inside a bitmap
// are not converted. A channel narrower than 8 bits is scaled to the full range
// (a 5-bit 31 becomes 255, rounded to nearest); a wider one keeps its top 8
// bits' worth, also by rounding. A picture stored top row first lands in the
// section bottom row first like any other.
//
// Anything else fails as a conversion error, and so does any bitmap whose bits
// contradict it: rows the data does not hold, a colour index beyond the table,
// a run-length stream that runs off the picture or ends without its
// end-of-bitmap mark, or a run-length picture stored top row first (the format
// has no such thing). A failed conversion never reads outside the bits or
// writes outside the section. Needs only the standard library.
#pragma once

#include "textures/bitmap_header.h"
#include "textures/dib_section.h"
#include "textures/little_endian.h"

// Fills `section` (already made with the header's width and |height|) from
// `bits`, the bytes from where the pixel bits start to the end of the file.
// Returns kNone, or the conversion error's problem; the section's contents are
// then unspecified.
BitmapProblem ConvertDib(const WorkingHeader& header, ByteSpan bits, DibSection& section);
