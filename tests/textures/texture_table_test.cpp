// The texture table on a real GL context, with the texels GL holds read back.
#include "textures/texture_table.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"

namespace {

// A 24-bit bitmap of distinct bytes; its rows of 9 or 15 bytes are not whole words.
std::string Bitmap(int width, int height) {
  std::string bits;
  for (int i = 0; i < (width * 3 + 3) / 4 * 4 * height; ++i) bits += static_cast<char>(i * 7);
  return InfoHeaderBytes({.width = width, .height = height}) + bits;
}

// Width, height, internal format and the two filters of a texture, then the
// texels of its base level as packed RGB rows, first row first.
std::vector<GLint> TextureState(GLuint texture) {
  glBindTexture(GL_TEXTURE_2D, texture);
  std::vector<GLint> state(5);
  for (int i = 0; i < 3; ++i) {
    const GLenum level[] = {GL_TEXTURE_WIDTH, GL_TEXTURE_HEIGHT, GL_TEXTURE_INTERNAL_FORMAT};
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, level[i], &state[static_cast<std::size_t>(i)]);
  }
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &state[3]);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &state[4]);
  if (state[0] == 0) state[2] = 0;  // an empty level's format is the implementation's
  std::vector<std::uint8_t> texels(static_cast<std::size_t>(state[0] * state[1] * 3));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
  state.insert(state.end(), texels.begin(), texels.end());
  return state;
}

// The state a line's texture should have: its picture with three components, or
// no image, with linear filters either way.
std::vector<GLint> Expected(const std::string& bitmap) {
  if (bitmap.empty()) return {0, 0, 0, GL_LINEAR, GL_LINEAR};
  const RgbImagePtr image = std::move(DecodeExact(bitmap).image);
  std::vector<GLint> state = {image->width, image->height, 3, GL_LINEAR, GL_LINEAR};
  state.insert(state.end(), image->pixels.get(), image->pixels.get() + image->ByteCount());
  return state;
}

TEST(TextureTable, OneSlotPerLineEvenForLinesThatFail) {
  std::string error;
  const auto context = OffscreenContext::Create(16, 16, &error);
  ASSERT_NE(context, nullptr) << error;
  TempDir dir;
  dir.Write("three.bmp", Bitmap(3, 4));
  dir.Write("five.bmp", Bitmap(5, 3));
  // 300 characters make a piece of 254 and one of 46. One final CR or LF is
  // removed, a CR before the LF of a CR LF being the break, and nothing else.
  const std::string longName(300, 'n');
  dir.Write("textures.txt",
            "three.bmp\r\n\nfive.bmp \nfive.bmp\n" + longName + "\na\rb\r\r\nmissing\r");
  SceneStore store;
  CapturedMessageBoxes boxes;
  std::vector<std::size_t> slotsWhenShown;  // each message comes before its line's slot
  boxes.onShow = [&] { slotsWhenShown.push_back(store.textures.size()); };
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  {
    ScopedWorkingDirectory inFolder(dir.path());
    EXPECT_EQ(LoadTextureTable(store, "textures.txt"), 0);
  }
  const std::string failed = "Error: Failed to open DIB file ";
  EXPECT_EQ(boxes.shown, (std::vector<std::string>{failed + ".\n", failed + "five.bmp .\n",
                                                   failed + longName.substr(0, 254) + ".\n",
                                                   failed + longName.substr(254) + ".\n",
                                                   failed + "a\rb\r.\n", failed + "missing.\n"}));
  EXPECT_EQ(slotsWhenShown, (std::vector<std::size_t>{1, 2, 4, 5, 6, 7}));
  ASSERT_EQ(store.textures.size(), 8u);
  GLint alignment = 0, bound = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);  // the caller's alignment is put back
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), store.textures[7]);  // the last line's, failed or not
  EXPECT_EQ(std::set<std::uint32_t>(store.textures.begin(), store.textures.end()).size(), 8u);
  const std::string bitmaps[8] = {Bitmap(3, 4), "", "", Bitmap(5, 3)};
  for (std::size_t k = 0; k < 8; ++k) {
    EXPECT_EQ(TextureState(store.textures[k]), Expected(bitmaps[k])) << "line " << k;
  }
  // A missing or empty list leaves the table as it was.
  dir.Write("empty.txt", "");
  EXPECT_EQ(LoadTextureTable(store, (dir.path() / "no-such-list.txt").c_str()), 0);
  EXPECT_EQ(LoadTextureTable(store, (dir.path() / "empty.txt").c_str()), 0);
  EXPECT_EQ(store.textures.size(), 8u);
  EXPECT_EQ(boxes.shown.size(), 6u);
}

}  // namespace
