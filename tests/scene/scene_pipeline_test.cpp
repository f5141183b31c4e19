// The scene reader over a store that the real object reader and compiler
// filled: list names written in objects.txt resolve to the display lists
// compiled for them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
#include "scene/scene_reader.h"
#include "tests/support/test_files.h"
#include "tools/offscreen_context.h"

namespace {

constexpr char kObjects[] =
    "list;\nname=Crate;\ntype=gl_quads;\np1=(-1,-1,0);\np2=(1,-1,0);\np3=(1,1,0);\n"
    "p4=(-1,1,0);\nendlist;\n"
    "list;\nname=box;\ntype=gl_triangles;\np1=(0,0,0);\np2=(1,0,0);\np3=(0,1,0);\nendlist;\n";

constexpr char kScene[] =
    "begin;\nscene=main;\nlist=box;\ntranslate=(0,0,-6);\nrotate=(0,1,0);\nscale=(1,1,1);\n"
    "show=(1);\nendlist;\nendscene;\nend;\n";

TEST(ScenePipeline, ListNamesResolveToTheCompiledLists) {
  std::string error;
  auto context = OffscreenContext::Create(16, 16, &error);
  ASSERT_NE(context, nullptr) << error;
  TempDir dir;
  ScopedWorkingDirectory inDir(dir.path());
  dir.Write("objects.txt", kObjects);
  dir.Write("scene.txt", kScene);

  SceneStore store;
  CapturedStream log;
  ASSERT_EQ(ReadObjectFile(store, "objects.txt", log.file()), 0);
  ASSERT_EQ(CompileDisplayLists(store), 0);
  ASSERT_EQ(store.namedLists.size(), 2u);

  EXPECT_EQ(ReadSceneFile(store, "scene.txt"), kSceneRead);
  EXPECT_EQ(store.sceneEntryCount, 1);
  ASSERT_EQ(store.sceneEntries.size(), 1u);
  const SceneEntry& entry = store.sceneEntries[0];
  EXPECT_EQ(entry.listId, 2);
  EXPECT_STREQ(entry.listName, "box");
  EXPECT_EQ(entry.show, 1);
  EXPECT_EQ(entry.solid, 0);
  EXPECT_EQ(entry.translate[2], -6);
  EXPECT_EQ(entry.rotate[1], 1);
  EXPECT_EQ(entry.scale[0], 1);
  EXPECT_EQ(glIsList(static_cast<GLuint>(entry.listId)), GL_TRUE);
}

}  // namespace
