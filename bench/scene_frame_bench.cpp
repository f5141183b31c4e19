// One frame of the renderer on the 800 × 600 off-screen context: the camera,
// the clear and one display-list call per entry under its own transform,
// finished (glFinish) as the buffer swap would finish it.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "scene/renderer.h"
#include "store/scene_store.h"

namespace {

// A textured quad strip of six vertices, the shape of a converted scene's objects.
void CompileStrip(GLuint list, GLuint texture) {
  glNewList(list, GL_COMPILE);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i < 3; ++i) {
    const float x = static_cast<float>(i) * 0.5f - 0.5f;
    glTexCoord2f(x + 0.5f, 0);
    glVertex3f(x, -0.5f, 0);
    glTexCoord2f(x + 0.5f, 1);
    glVertex3f(x, 0.5f, 0);
  }
  glEnd();
  glEndList();
}

// A frame of `entries` entries whose lists hold a textured strip, or nothing
// at all when `emptyLists` is set: the difference is what Mesa spends drawing
// the lists' contents, the rest is the per-entry transform and call.
void RenderFrames(benchmark::State& state, bool emptyLists) {
  const int entries = static_cast<int>(state.range(0));
  std::string error;
  const auto context = OffscreenContext::Create(800, 600, &error);
  if (context == nullptr) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::vector<std::uint8_t> texels(64 * 64 * 3);
  for (std::size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<std::uint8_t>(i * 7);
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);

  // Entries on a grid that fills the view at depth 90, turning about y and z.
  SceneStore store;
  const int lists = entries < 1000 ? entries : 1000;
  for (int k = 0; k < lists; ++k) {
    if (emptyLists) {
      glNewList(static_cast<GLuint>(k + 1), GL_COMPILE);
      glEndList();
    } else {
      CompileStrip(static_cast<GLuint>(k + 1), texture);
    }
  }
  const int columns = 40;
  for (int k = 0; k < entries; ++k) {
    SceneEntry& entry = store.currentSceneEntry;
    entry.listId = k % lists + 1;
    entry.translate[0] = static_cast<float>(k % columns) * 2.5f - 48.0f;
    entry.translate[1] = static_cast<float>((k / columns) % 30) * 2.5f - 36.0f;
    entry.translate[2] = -90.0f;
    entry.rotate[1] = static_cast<float>(k % 3);
    entry.rotate[2] = static_cast<float>(k % 5);
    entry.scale[0] = entry.scale[1] = entry.scale[2] = 1.0f;
    store.AppendCurrentSceneEntry();
  }
  store.sceneEntryCount = entries;

  CameraState camera;
  for (auto _ : state) {
    RenderFrame(store, camera, 0, 0, 800, 600, true);
    glFinish();
  }
  state.SetItemsProcessed(state.iterations() * entries);
}

void BM_RenderFrame(benchmark::State& state) {
  RenderFrames(state, false);
}
BENCHMARK(BM_RenderFrame)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(58000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_RenderFrameOfEmptyLists(benchmark::State& state) {
  RenderFrames(state, true);
}
BENCHMARK(BM_RenderFrameOfEmptyLists)->Arg(58000)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
