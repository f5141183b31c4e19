// morvane-snapshot --thumbnail SIZE INPUT OUTPUT: a picture for the desktop's
// thumbnail cache, as a file manager's thumbnailer entry asks for it, from a
// sandbox that has no display.
//
// INPUT is a model file or a scene folder. A model is read by the model
// library in a child process with a thumbnail's limits (kThumbnailSeconds,
// kThumbnailMegabytes) and imported into a private folder under $TMPDIR,
// which is removed as soon as the scene is loaded from it; a scene folder is
// loaded where it is. Nothing is written but OUTPUT: no parse log, no
// ogllist.txt, no entry in the cache of imports (the desktop keeps the
// thumbnails, and a file manager may ask for thousands).
//
// The scene is drawn once, as placed, on an off-screen context SIZE pixels
// square, framed to fill it (tools/scene_framing.h) over a transparent
// background, and written as an RGBA PNG that takes the name OUTPUT only once
// it is whole. An input that cannot be read, is neither a model nor a folder,
// or draws nothing leaves no OUTPUT at all.
//
// Uses the process-wide store and settings, so it runs once per process.
#pragma once

#include <cstdint>
#include <cstdio>

#include "tools/snapshot_options.h"

// The model reader's limits for a thumbnail: a file manager waits for it.
inline constexpr double kThumbnailSeconds = 10;
inline constexpr std::uint64_t kThumbnailMegabytes = 1024;

// Writes the thumbnail `options` describe (input in options.directory,
// output in options.output) and returns the exit code of snapshot_run.h;
// every failure first writes one line "morvane-snapshot: REASON" to `errors`.
int RunThumbnail(const SnapshotOptions& options, std::FILE* errors);
