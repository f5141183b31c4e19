#include "store/scene_store.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(SceneStore, StartsEmpty) {
  SceneStore store;
  EXPECT_TRUE(store.statements.empty());
  EXPECT_TRUE(store.textures.empty());
  EXPECT_TRUE(store.sceneEntries.empty());
  EXPECT_TRUE(store.namedLists.empty());
  EXPECT_EQ(store.lastListId, 0);
  EXPECT_EQ(store.compileStatus, 0);
  EXPECT_EQ(store.sceneEntryCount, 0);
  EXPECT_EQ(store.statementCursor, kNoPosition);
}

TEST(SceneStore, AppendsCopiesOfTheCurrentRecord) {
  SceneStore store;
  store.currentStatement.kind = kVector3;
  CopyBounded(store.currentStatement.key, "p1");
  store.AppendCurrentStatement();
  store.AppendCurrentStatement();
  ASSERT_EQ(store.statements.size(), 2u);
  EXPECT_EQ(std::memcmp(&store.statements[0], &store.statements[1], sizeof(Statement)), 0);
  // Later changes to the current record do not reach the appended copies.
  CopyBounded(store.currentStatement.key, "p2");
  EXPECT_STREQ(store.statements[1].key, "p1");
}

TEST(SceneStore, GrowingTheTextureTableKeepsEarlierNames) {
  SceneStore store;
  store.GrowTextures(2);
  store.textures[0] = 7;
  store.textures[1] = 9;
  store.GrowTextures(3);
  EXPECT_EQ(store.textures, (std::vector<std::uint32_t>{7, 9, 0}));
}

TEST(CopyBounded, CutsAndTerminates) {
  char field[5];
  CopyBounded(field, "abcdefgh");
  EXPECT_STREQ(field, "abcd");
  CopyBounded(field, "");
  EXPECT_STREQ(field, "");
}

}  // namespace
