// The content hash the cache of imports is keyed on: the same bytes give the
// same hash however they are handed over, and a change anywhere changes it.
#include "models/content_hash.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_files.h"

namespace {

ContentHash Hash(const std::string& text) {
  ContentHasher hasher;
  hasher.Add(text);
  return hasher.Finish();
}

TEST(ContentHash, DependsOnEveryByteNotOnHowTheyArrive) {
  const std::string text = "v 1 2 3\nv 4 5 6\nf 1 2 3\n and a tail";
  ContentHasher pieces;
  for (std::size_t at = 0; at < text.size(); at += 3) pieces.Add(text.substr(at, 3));
  EXPECT_EQ(pieces.Finish(), Hash(text));
  for (std::size_t at = 0; at < text.size(); ++at) {
    std::string changed = text;
    changed[at] ^= 1;
    EXPECT_NE(Hash(changed), Hash(text)) << at;
  }
  EXPECT_NE(Hash("a"), Hash(std::string("a\0", 2)));
  EXPECT_NE(Hash(""), Hash(std::string(8, '\0')));
  EXPECT_EQ(Hash("").Hex().size(), 32u);
}

TEST(ContentHash, HashesRegularFilesOnly) {
  TempDir dir;
  const std::string text(3 << 20, 'x');
  EXPECT_EQ(HashFile(dir.Write("model.obj", text)), Hash(text));
  EXPECT_FALSE(HashFile(dir.path()).has_value());
  EXPECT_FALSE(HashFile(dir.path() / "missing.obj").has_value());
}

}  // namespace
