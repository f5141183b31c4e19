#include "tools/check/check_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"

namespace {

// A minimal valid 24-bit bitmap of 4 x 1 pixels.
std::string TinyBitmap() {
  std::string b = "BM";
  auto put32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xff);
  };
  auto put16 = [&b](std::uint16_t v) {
    b += static_cast<char>(v & 0xff);
    b += static_cast<char>(v >> 8);
  };
  put32(54 + 12), put32(0), put32(54), put32(40), put32(4), put32(1), put16(1), put16(24);
  for (int i = 0; i < 6; ++i) put32(0);
  b += std::string(12, '\x7f');
  return b;
}

const char* const kGoodObjects =
    "list;\nname=box;\ntextur=(0,1,1);\ntype=gl_quads;\nt1=(0,0);\np1=(-1,-1,0);\n"
    "t2=(1,0);\np2=(1,-1,0);\nt3=(1,1);\np3=(1,1,0);\nt4=(0,1);\np4=(-1,1,0);\nendlist;\n";
const char* const kGoodScene =
    "begin;\nscene=main;\nlist=box;\ntranslate=(0,0,-6);\nrotate=(0,1,0);\nscale=(1,1,1);\n"
    "show=(1);\nendlist;\nendscene;\nend;\n";

struct CheckCase {
  const char* name;
  std::string textures;
  std::string objects;
  std::string scene;
  std::vector<std::string> lines;  // expected output, summary included
};

std::vector<std::string> CheckOutput(const CheckCase& c) {
  TempDir dir;
  dir.Write("tex.bmp", TinyBitmap());
  dir.Write("textures.txt", c.textures);
  dir.Write("objects.txt", c.objects);
  dir.Write("scene.txt", c.scene);
  const auto before = std::filesystem::directory_iterator(dir.path());
  const std::size_t filesBefore =
      static_cast<std::size_t>(std::distance(before, std::filesystem::directory_iterator()));
  CapturedStream out;
  PrintFindings(CheckSceneFolder(dir.path()), out.file());
  const std::size_t filesAfter = static_cast<std::size_t>(std::distance(
      std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()));
  EXPECT_EQ(filesAfter, filesBefore) << "the checker wrote into the folder";
  std::vector<std::string> lines;
  std::string text = out.Text();
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// Rejected lines and a blank after a ';' are checked on examples/broken, whose
// findings the README shows (check_examples.sh).
TEST(CheckFolder, ReportsWhatTheViewerDoesSilently) {
  const std::string objects = kGoodObjects;
  const std::vector<CheckCase> cases = {
      {"clean folder", "tex.bmp\n", objects, kGoodScene, {"0 errors, 0 warnings"}},
      {"unloadable bitmap",
       "tex.bmp\nnone.bmp\r\n",
       objects,
       kGoodScene,
       {"textures.txt:2: error: bitmap \"none.bmp\" cannot be loaded: Failed to open DIB file "
        "none.bmp.",
        "1 error, 0 warnings"}},
      {"structure problems",
       "tex.bmp\n",
       "name=a;\ntextur=(3,1,1);\ntype=gl_polygon;\np=(0,0,0);\nname=a;\nendlist;\nendlist;\n"
       "t1=(0,0);\n",
       "begin;\nscene=s;\nlist=a;\nscale=(1,1,1);\nendlist;\nendscene;\nend;\n",
       {"objects.txt:1: warning: object \"a\" has no \"endlist\" before the next \"name\"",
        "objects.txt:2: warning: texture number 3 names no line of textures.txt (it has 1); the "
        "primitive is drawn untextured",
        "objects.txt:3: warning: unknown primitive \"gl_polygon\" is drawn as gl_quads",
        "objects.txt:5: warning: object name \"a\" is also used at line 1; scene.txt always "
        "finds that first one",
        "objects.txt:7: warning: \"endlist\" with no object open (glEndList is still issued)",
        "objects.txt:8: warning: texture coordinate or vertex outside a primitive is ignored",
        "0 errors, 6 warnings"}},
      {"unknown list, zero scale and a block left open",
       "tex.bmp\n",
       objects,
       "begin;\nscene=main;\nlist=ghost;\nendlist;\nlist=box;\n",
       {"scene.txt:4: warning: list \"ghost\" names no object of objects.txt; the viewer draws "
        "the last compiled object, \"box\" instead",
        "scene.txt:4: warning: scale (0, 0, 0) has a zero factor, so the object is invisible (a "
        "block without scale keeps the one before it, and the first block starts at 0)",
        "scene.txt:5: warning: the list block opened here has no \"endlist;\", so it is not "
        "drawn",
        "0 errors, 3 warnings"}},
      {"assignment before begin",
       "tex.bmp\n",
       objects,
       "scene=main;\n",
       {"scene.txt:1: error: reading stops here (code 8): an assignment line before \"begin;\"; "
        "nothing after this line is drawn",
        "1 error, 0 warnings"}},
  };
  for (const CheckCase& c : cases) EXPECT_EQ(CheckOutput(c), c.lines) << c.name;
}

TEST(CheckFolder, LongLinesAreReportedAtTheirEditorLine) {
  // A 300-character line is two pieces for the reader but one line for the user.
  CheckCase c{
      "long line", "tex.bmp\n", "k=" + std::string(297, 'x') + ";\ns=1.234;\n", kGoodScene, {}};
  const std::vector<std::string> lines = CheckOutput(c);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("objects.txt:1: error: rejected line (code 2", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("objects.txt:1: error: compilation stops", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("objects.txt:2: error: rejected line (code 6", 0), 0u) << lines[2];
}

TEST(DescribeBitmap, DescribesOrExplains) {
  // file bytes, then what goes to standard output or, on failure, to standard error
  const struct {
    std::string bytes, out, err;
  } cases[] = {
      {TinyBitmap(), ": 4x1, 24-bit, 40-byte info header, uncompressed, 0 palette entries\n", ""},
      {LongHeaderBytes(124, {.bitsPerPixel = 32, .compression = 3}) + Le32(0),
       ": 1x1, 32-bit, 124-byte V5 header (packed, no file header), bit fields, 0 palette "
       "entries\n",
       ""},
      {"\x89PNG\r\n\x1a\n" + std::string(40, '\0'), "",
       "Unknown DIB file format. (a PNG file, not a bitmap)\n"},
      {WithFileHeader(Le32(64) + std::string(60, '\0'), 64), "",
       "Unknown DIB file format. (64-byte OS/2 header, not supported)\n"},
      {LongHeaderBytes(124, {.bitsPerPixel = 0, .compression = 4}) + "\xFF\xD8\xFF", "",
       "Image file conversion error. (124-byte V5 header holding JPEG data)\n"},
      {InfoHeaderBytes({.width = 20000}), "",
       "Out of memory. (width 20000 is over the 16384-pixel limit)\n"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string file = dir.Write("case.bmp", c.bytes);
    CapturedStream out, err;
    EXPECT_EQ(DescribeBitmap(file, "", out.file(), err.file()), c.err.empty() ? 0 : 1);
    EXPECT_EQ(out.Text(), c.out.empty() ? "" : file + c.out);
    EXPECT_EQ(err.Text(), c.err);
  }
  CapturedStream out, err;
  const std::string missing = (dir.path() / "missing.bmp").string();
  EXPECT_EQ(DescribeBitmap(missing, "", out.file(), err.file()), 1);
  EXPECT_EQ(err.Text(), "Failed to open DIB file " + missing +
                            ". (missing, unreadable, empty or not a regular file)\n");
}

}  // namespace
