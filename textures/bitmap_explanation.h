// Bitmaps described in words for tools: the kind of header a bitmap has, and
// why one cannot be loaded.
//
// The words come from what the decoder itself found (its problem and the facts
// it read), never from a second look at the file, so a tool can only ever
// explain what the viewer's loader really did. The viewer shows none of this:
// its box keeps the loader's fixed message. Needs only the standard library.
#pragma once

#include <cstdint>
#include <string>

#include "textures/bitmap_loader.h"

// The header's size and form, such as "40-byte info header" or "124-byte V5
// header"; a size the loader does not read is "N-byte header".
std::string BitmapHeaderKind(std::uint32_t headerSize);

// Why `result` failed, such as "width 20000 is over the 16384-pixel limit";
// empty for a bitmap that loaded.
std::string ExplainBitmapProblem(const BitmapDecodeResult& result);
