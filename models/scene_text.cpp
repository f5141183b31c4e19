#include "models/scene_text.h"

#include "objects/statement_parser.h"
#include "models/bounded_number.h"

namespace {

// The most digits after the point worth writing for a float of the fitted
// model's size.
constexpr int kComponentDecimals = 6;
// scene.txt promises to read numbers of up to 8 characters.
constexpr int kSceneNumberChars = 8;

void WriteComponent(TextWriter& out, float value) {
  out.Write(FormatBounded(value, kMaxComponentLength, kComponentDecimals).view);
}

void WriteSceneNumber(TextWriter& out, double value) {
  out.Write(FormatBounded(value, kSceneNumberChars, 4).view);
}

}  // namespace

std::size_t WriteObjectsText(TextWriter& out, const std::vector<ImportedObject>& objects,
                             const std::vector<ObjectLook>& looks) {
  std::size_t lines = 0;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const ObjectLook& look = looks[i];
    out.Write("list;\nname=");
    out.Write(look.name);
    out.Write(";\ntextur=(");
    out.WriteInt(look.textureNumber);
    out.Write(",1,1);\ntype=gl_triangles;\n");
    lines += 4;
    if (!look.perCornerCoordinates) {
      out.Write("t=(0.5,0.5);\n");
      ++lines;
    }
    for (const ImportedVertex& v : objects[i].vertices) {
      if (look.perCornerCoordinates) {
        out.Write("t=(");
        WriteComponent(out, v.s);
        out.WriteChar(',');
        WriteComponent(out, v.t);
        out.Write(");\n");
        ++lines;
      }
      out.Write("p=(");
      WriteComponent(out, v.x);
      out.WriteChar(',');
      WriteComponent(out, v.y);
      out.WriteChar(',');
      WriteComponent(out, v.z);
      out.Write(");\n");
      ++lines;
    }
    out.Write("endlist;\n");
    ++lines;
  }
  return lines;
}

std::size_t WriteSceneText(TextWriter& out, const std::vector<ObjectLook>& looks, double distance,
                           double spin) {
  out.Write("begin;\nscene=main;\n");
  for (const ObjectLook& look : looks) {
    out.Write("list=");
    out.Write(look.name);
    out.Write(";\ntranslate=(0,0,");
    WriteSceneNumber(out, -distance);
    out.Write(");\nrotate=(0,");
    WriteSceneNumber(out, spin);
    out.Write(",0);\nscale=(1,1,1);\nshow=(1);\nendlist;\n");
  }
  out.Write("endscene;\nend;\n");
  return 4 + 7 * looks.size();
}

std::size_t WriteTexturesText(TextWriter& out, const std::vector<std::string>& bitmapNames) {
  for (const std::string& name : bitmapNames) {
    out.Write(name);
    out.WriteChar('\n');
  }
  return bitmapNames.size();
}
