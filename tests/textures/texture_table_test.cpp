#include "textures/texture_table.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"
#include "tests/textures/captured_message_boxes.h"
#include "tools/offscreen_context.h"

namespace {

using Shown = CapturedMessageBoxes::Shown;
using Bytes8 = std::vector<std::uint8_t>;

// A 24-bit bitmap whose pixel (x, y), counted from the bottom-left, is
// red x, green y, blue `tag`: every texel tells where it came from.
std::string Gradient(int width, int height, std::uint8_t tag) {
  std::string bits;
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      row += {static_cast<char>(tag), static_cast<char>(y), static_cast<char>(x)};
    }
    row.resize((row.size() + 3) / 4 * 4, '\0');
    bits += row;
  }
  return WithFileHeader(InfoHeaderBytes({.width = width, .height = height}) + bits, 40);
}

Bytes8 GradientTexels(int width, int height, std::uint8_t tag) {
  Bytes8 texels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      texels.insert(texels.end(),
                    {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), tag});
    }
  }
  return texels;
}

class TextureTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(16, 16, &error);
    ASSERT_NE(context_, nullptr) << error;
  }

  // Writes textures.txt with `lines` into the folder and loads it from there.
  void Load(const std::string& lines) {
    dir_.Write("textures.txt", lines);
    ScopedWorkingDirectory inFolder(dir_.path());
    EXPECT_EQ(LoadTextureTable(store_, "textures.txt"), 0);
  }

  static GLint LevelParameter(GLuint texture, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, parameter, &value);
    return value;
  }

  // The texture's base level as RGB bytes, first row first, rows packed.
  static Bytes8 Texels(GLuint texture) {
    const GLint width = LevelParameter(texture, GL_TEXTURE_WIDTH);
    const GLint height = LevelParameter(texture, GL_TEXTURE_HEIGHT);
    Bytes8 texels(static_cast<std::size_t>(width * height * 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  }

  std::unique_ptr<OffscreenContext> context_;
  TempDir dir_;
  SceneStore store_;
  CapturedMessageBoxes boxes_;
};

TEST_F(TextureTableTest, OneSlotPerLineInLineOrder) {
  dir_.Write("a.bmp", Gradient(4, 2, 10));
  dir_.Write("b.bmp", Gradient(8, 1, 20));
  dir_.Write("c.bmp", Gradient(1, 3, 30));
  for (const char* lines :
       {"a.bmp\nb.bmp\nc.bmp\n", "a.bmp\nb.bmp\nc.bmp", "a.bmp\r\nb.bmp\r\nc.bmp\r\n"}) {
    store_ = SceneStore{};
    Load(lines);
    ASSERT_EQ(store_.textures.size(), 3u) << lines;
    EXPECT_TRUE(boxes_.shown.empty()) << lines;
    EXPECT_NE(store_.textures[0], store_.textures[1]);
    EXPECT_NE(store_.textures[1], store_.textures[2]);
    EXPECT_EQ(Texels(store_.textures[0]), GradientTexels(4, 2, 10)) << lines;
    EXPECT_EQ(Texels(store_.textures[1]), GradientTexels(8, 1, 20)) << lines;
    EXPECT_EQ(Texels(store_.textures[2]), GradientTexels(1, 3, 30)) << lines;
  }
}

TEST_F(TextureTableTest, UploadsBottomRowFirstAtItsOwnSize) {
  dir_.Write("wide.bmp", Gradient(64, 32, 7));
  Load("wide.bmp\n");
  ASSERT_EQ(store_.textures.size(), 1u);
  const GLuint texture = store_.textures[0];
  EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_WIDTH), 64);
  EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_HEIGHT), 32);
  EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_INTERNAL_FORMAT), 3);  // three components
  EXPECT_EQ(Texels(texture), GradientTexels(64, 32, 7));
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_LINEAR);
}

TEST_F(TextureTableTest, RowsOfAnyWidthArriveUnskewed) {
  // Widths whose rows are not whole words: 3 * 3 = 9 bytes, 5 * 3 = 15.
  dir_.Write("three.bmp", Gradient(3, 4, 1));
  dir_.Write("five.bmp", Gradient(5, 3, 2));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  Load("three.bmp\nfive.bmp\n");
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);  // the caller's alignment is put back
  ASSERT_EQ(store_.textures.size(), 2u);
  EXPECT_EQ(Texels(store_.textures[0]), GradientTexels(3, 4, 1));
  EXPECT_EQ(Texels(store_.textures[1]), GradientTexels(5, 3, 2));
}

TEST_F(TextureTableTest, AFailedLineKeepsItsSlotWithoutAnImage) {
  dir_.Write("a.bmp", Gradient(2, 2, 1));
  dir_.Write("c.bmp", Gradient(2, 2, 3));
  // The message comes before the line's slot exists.
  std::vector<std::size_t> slotsWhenShown;
  boxes_.onShow = [&] { slotsWhenShown.push_back(store_.textures.size()); };
  Load("a.bmp\n\nc.bmp \nc.bmp\n");
  ASSERT_EQ(store_.textures.size(), 4u);
  EXPECT_EQ(boxes_.shown, (std::vector<Shown>{{"Error", "Failed to open DIB file .\n"},
                                              {"Error", "Failed to open DIB file c.bmp .\n"}}));
  EXPECT_EQ(slotsWhenShown, (std::vector<std::size_t>{1, 2}));
  for (std::size_t failed : {1u, 2u}) {
    const GLuint texture = store_.textures[failed];
    EXPECT_NE(texture, 0u);
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_EQ(LevelParameter(texture, GL_TEXTURE_WIDTH), 0) << failed;
  }
  EXPECT_EQ(Texels(store_.textures[0]), GradientTexels(2, 2, 1));
  EXPECT_EQ(Texels(store_.textures[3]), GradientTexels(2, 2, 3));
}

TEST_F(TextureTableTest, TheLastLinesTextureStaysBound) {
  dir_.Write("a.bmp", Gradient(2, 2, 1));
  Load("a.bmp\nmissing.bmp\n");
  ASSERT_EQ(store_.textures.size(), 2u);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), store_.textures[1]);
}

TEST_F(TextureTableTest, EmptyOrMissingListLeavesTheTableEmpty) {
  Load("");
  EXPECT_TRUE(store_.textures.empty());
  EXPECT_EQ(LoadTextureTable(store_, (dir_.path() / "no-such-list.txt").c_str()), 0);
  EXPECT_TRUE(store_.textures.empty());
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(TextureTableTest, ALongLineIsTakenInPieces) {
  // 300 characters: a piece of 254 and one of 46, each a name and a slot.
  const std::string name(300, 'n');
  std::string lines = name + "\n";
  LineReader reader{std::string_view(lines)};
  LoadTexturePieces(store_, reader);
  ASSERT_EQ(store_.textures.size(), 2u);
  EXPECT_EQ(boxes_.shown,
            (std::vector<Shown>{{"Error", "Failed to open DIB file " + name.substr(0, 254) + ".\n"},
                                {"Error", "Failed to open DIB file " + name.substr(254) + ".\n"}}));
}

TEST_F(TextureTableTest, OnlyOneFinalBreakCharacterIsRemoved) {
  // A lone CR ends the name once; a CR before the LF of a CR LF is the break.
  const std::string lines = std::string("a\r\rb\r\n") + "c\rd\n";
  LineReader reader{std::string_view(lines)};
  LoadTexturePieces(store_, reader);
  ASSERT_EQ(store_.textures.size(), 2u);
  EXPECT_EQ(boxes_.shown, (std::vector<Shown>{{"Error", "Failed to open DIB file a\r\rb.\n"},
                                              {"Error", "Failed to open DIB file c\rd.\n"}}));
}

}  // namespace
