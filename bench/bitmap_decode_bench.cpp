// Decoding speed of large bitmaps: a 4096 x 4096 24-bit picture from memory
// and from a file (read from the page cache into memory), and the same
// size with a 256-colour table, the other common texture form.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "textures/bitmap_loader.h"

namespace {

constexpr std::uint32_t kSide = 4096;

void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}

// A bitmap file of kSide x kSide pixels with a file header, filled with a
// pattern so no row is like its neighbour.
std::vector<std::uint8_t> MakeBitmap(std::uint16_t bitsPerPixel) {
  const std::uint32_t colors = bitsPerPixel == 8 ? 256 : 0;
  const std::uint32_t stride = (kSide * bitsPerPixel / 8 + 3) / 4 * 4;
  const std::uint32_t bitsOffset = 14 + 40 + 4 * colors;
  std::vector<std::uint8_t> file;
  file.reserve(bitsOffset + static_cast<std::size_t>(stride) * kSide);
  file.push_back('B');
  file.push_back('M');
  PutLe32(file, bitsOffset + stride * kSide);
  PutLe32(file, 0);
  PutLe32(file, bitsOffset);
  for (std::uint32_t field : {40u, kSide, kSide}) PutLe32(file, field);
  PutLe16(file, 1);
  PutLe16(file, bitsPerPixel);
  for (int i = 0; i < 6; ++i) PutLe32(file, 0);
  for (std::uint32_t i = 0; i < colors; ++i) PutLe32(file, i * 0x010203u);
  for (std::uint32_t y = 0; y < kSide; ++y) {
    for (std::uint32_t x = 0; x < stride; ++x) file.push_back(static_cast<std::uint8_t>(x ^ y));
  }
  return file;
}

void DecodeFromMemory(benchmark::State& state, std::uint16_t bitsPerPixel) {
  const std::vector<std::uint8_t> file = MakeBitmap(bitsPerPixel);
  for (auto _ : state) {
    BitmapDecodeResult result = DecodeBitmap(file.data(), file.size());
    if (result.status != BitmapStatus::kLoaded) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(result.image->pixels.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void BM_DecodeBitmap24(benchmark::State& state) {
  DecodeFromMemory(state, 24);
}
void BM_DecodeBitmap8(benchmark::State& state) {
  DecodeFromMemory(state, 8);
}

void BM_ReadBitmapFile24(benchmark::State& state) {
  const std::vector<std::uint8_t> file = MakeBitmap(24);
  std::string path = "/tmp/morvane-bitmap-bench-XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0 || write(fd, file.data(), file.size()) != static_cast<ssize_t>(file.size())) {
    state.SkipWithError("cannot write the bitmap file");
  }
  if (fd >= 0) close(fd);
  for (auto _ : state) {
    BitmapDecodeResult result = ReadBitmapFile(path.c_str());
    if (result.status != BitmapStatus::kLoaded) state.SkipWithError("loading failed");
    benchmark::DoNotOptimize(result.image->pixels.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
  std::remove(path.c_str());
}

BENCHMARK(BM_DecodeBitmap24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeBitmap8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBitmapFile24)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
