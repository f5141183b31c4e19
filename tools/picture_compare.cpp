#include "tools/picture_compare.h"

#include <cstdlib>

PictureDifference ComparePictures(const RgbPicture& rendered, const RgbPicture& reference,
                                  int tolerance) {
  PictureDifference result;
  result.total =
      static_cast<std::uint64_t>(rendered.width) * static_cast<std::uint64_t>(rendered.height);
  result.map = rendered;
  const bool sameSize = rendered.width == reference.width && rendered.height == reference.height &&
                        reference.pixels.size() == rendered.pixels.size();
  for (std::size_t pixel = 0; pixel * 3 + 2 < rendered.pixels.size(); ++pixel) {
    const std::size_t at = pixel * 3;
    bool differs = !sameSize;
    for (std::size_t channel = 0; channel < 3 && !differs; ++channel) {
      differs = std::abs(int{rendered.pixels[at + channel]} - int{reference.pixels[at + channel]}) >
                tolerance;
    }
    if (differs) {
      ++result.differing;
      result.map.pixels[at] = 255;
      result.map.pixels[at + 1] = 0;
      result.map.pixels[at + 2] = 0;
    } else {
      for (std::size_t channel = 0; channel < 3; ++channel) result.map.pixels[at + channel] /= 3;
    }
  }
  return result;
}
