#include "tests/scene/scene_folder.h"

namespace {

// The 2 × 2 bitmap: red, green in the bottom row; blue, white on top.
std::string SquareBitmapBytes() {
  // The 54-byte header (2 x 2 pixels, 24 bits, no compression), then the rows
  // bottom first, blue-green-red, each padded to four bytes.
  static const char kBytes[] =
      "BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0"
      "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
      "\0\0\xff\0\xff\0\0\0"       // red, green
      "\xff\0\0\xff\xff\xff\0\0";  // blue, white
  return std::string(kBytes, sizeof kBytes - 1);
}

}  // namespace

void WriteSquareSceneFolder(const TempDir& dir) {
  dir.Write("square.bmp", SquareBitmapBytes());
  dir.Write("textures.txt", "square.bmp\n");
  dir.Write("objects.txt",
            "list;\nname=Square;\ntextur=(0,1,1);\ntype=gl_quads;\n"
            "t1=(0,0);\np1=(-1,-1,0);\nt2=(1,0);\np2=(1,-1,0);\n"
            "t3=(1,1);\np3=(1,1,0);\nt4=(0,1);\np4=(-1,1,0);\nendlist;\n");
  dir.Write("scene.txt",
            "begin;\nscene=main;\nlist=square;\ntranslate=(0,0,-6);\nrotate=(0,0,0);\n"
            "scale=(1,1,1);\nshow=(1);\nendlist;\nendscene;\nend;\n");
}
