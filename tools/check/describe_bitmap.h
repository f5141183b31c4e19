// morvane-check --bitmap: how the viewer's loader decodes one bitmap, or why
// it cannot.
#pragma once

#include <cstdio>
#include <string>

// Decodes `file` as the viewer's loader does. On success writes one line
// "FILE: WxH, N-bit, ..." to `out` (and the picture, top row first, to
// `pngPath` when it is not empty) and returns 0; on failure writes the
// loader's message and, in parentheses, why, to `err` and returns 1.
int DescribeBitmap(const std::string& file, const std::string& pngPath, std::FILE* out,
                   std::FILE* err);
