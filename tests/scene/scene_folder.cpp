#include "tests/scene/scene_folder.h"

#include <cstdint>

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::string SquareBitmapBytes() {
  // Rows are stored bottom first, blue-green-red, padded to four bytes.
  const unsigned char rows[] = {0,   0, 255, 0,   255, 0,   0, 0,   // red, green
                                255, 0, 0,   255, 255, 255, 0, 0};  // blue, white
  std::string bytes = "BM";
  PutLe(bytes, 54 + sizeof rows, 4);
  PutLe(bytes, 0, 4);
  PutLe(bytes, 54, 4);
  PutLe(bytes, 40, 4);  // info header
  PutLe(bytes, 2, 4);
  PutLe(bytes, 2, 4);
  PutLe(bytes, 1, 2);
  PutLe(bytes, 24, 2);
  for (int i = 0; i < 6; ++i) PutLe(bytes, 0, 4);  // no compression, sizes, colours
  bytes.append(reinterpret_cast<const char*>(rows), sizeof rows);
  return bytes;
}

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

const char kSquareParseLog[] =
    "list;\nParse: 'list' | Value:  Einzelanweisung ohne Werte\n\n"
    "name=Square;\nParse: 'name' | Value:  = Name = 'square'\n\n"
    "textur=(0,1,1);\nParse: 'textur' | Value:  = Vektor ( P[0]=0 P[1]=1 P[2]=1 )\n\n"
    "type=gl_quads;\nParse: 'type' | Value:  = Name = 'gl_quads'\n\n"
    "t1=(0,0);\nParse: 't1' | Value:  = Vektor ( P[0]=0 P[1]=0 )\n\n"
    "p1=(-1,-1,0);\nParse: 'p1' | Value:  = Vektor ( P[0]=-1 P[1]=-1 P[2]=0 )\n\n"
    "t2=(1,0);\nParse: 't2' | Value:  = Vektor ( P[0]=1 P[1]=0 )\n\n"
    "p2=(1,-1,0);\nParse: 'p2' | Value:  = Vektor ( P[0]=1 P[1]=-1 P[2]=0 )\n\n"
    "t3=(1,1);\nParse: 't3' | Value:  = Vektor ( P[0]=1 P[1]=1 )\n\n"
    "p3=(1,1,0);\nParse: 'p3' | Value:  = Vektor ( P[0]=1 P[1]=1 P[2]=0 )\n\n"
    "t4=(0,1);\nParse: 't4' | Value:  = Vektor ( P[0]=0 P[1]=1 )\n\n"
    "p4=(-1,1,0);\nParse: 'p4' | Value:  = Vektor ( P[0]=-1 P[1]=1 P[2]=0 )\n\n"
    "endlist;\nParse: 'endlist' | Value:  Einzelanweisung ohne Werte\n\n";

const char kSquareTranscript[] =
    "OPENGL-Diplay-Listen:\n\nList;\nglNewList((GLint) 1,GL_COMPILE);\n"
    "glBindTexture(GL_TEXTURE_2D,1);\nglBegin(GL_QUADS);\n"
    "glTexCoord2f(  0.00,  0.00);\nglVertex3f( -1.00, -1.00,  0.00);\n"
    "glTexCoord2f(  1.00,  0.00);\nglVertex3f(  1.00, -1.00,  0.00);\n"
    "glTexCoord2f(  1.00,  1.00);\nglVertex3f(  1.00,  1.00,  0.00);\n"
    "glTexCoord2f(  0.00,  1.00);\nglVertex3f( -1.00,  1.00,  0.00);\n"
    "glEnd();\nglEndList();\n\n";
