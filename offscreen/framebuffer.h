// The picture the current GL context has drawn, read back top row first, as
// pictures are stored. Shared by the snapshot program, the viewer's picture
// key and the tests, so the rows are turned the right way round in one place.
#pragma once

#include "offscreen/png_io.h"

// Reads the `width` × `height` pixels at the lower left of the current read
// buffer after finishing every queued GL command: RGB, or RGBA with
// `channels` 4.
RgbPicture ReadFramebufferTopDown(int width, int height, int channels = 3);
