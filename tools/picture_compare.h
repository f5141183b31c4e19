// Compares a rendered picture with a reference picture, for keeping scenes
// under regression test: a pixel differs when any of its channels differs by
// more than a tolerance, and the result says how many differ and shows where.
#pragma once

#include <cstdint>

#include "offscreen/png_io.h"

struct PictureDifference {
  std::uint64_t differing = 0;  // pixels that differ (all of them when the sizes differ)
  std::uint64_t total = 0;      // pixels of the rendered picture
  // The rendered picture dimmed to a third, with every differing pixel red.
  RgbPicture map;

  double Percent() const {
    return total == 0 ? 0.0 : 100.0 * static_cast<double>(differing) / static_cast<double>(total);
  }
};

// The largest channel difference that still counts as the same pixel; the
// software renderer's rounding may move edges and blends by a few steps.
inline constexpr int kChannelTolerance = 8;

PictureDifference ComparePictures(const RgbPicture& rendered, const RgbPicture& reference,
                                  int tolerance = kChannelTolerance);
