#include "models/scene_text.h"

#include <span>

#include "models/bounded_number.h"
#include "objects/statement_parser.h"

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

void WriteBinding(TextWriter& out, int texture) {
  out.Write("textur=(");
  out.WriteInt(texture);
  out.Write(",1,1);\n");
}

class PassWriter {
 public:
  PassWriter(TextWriter& out, const DrawPass& pass) : out_(out), pass_(pass) {}

  std::size_t Write() {
    if (pass_.addedTexture < 0) Line(WriteBinding, pass_.texture);
    for (const std::vector<std::uint32_t>& strip : pass_.strips)
      Primitive("type=gl_triangle_strip;\n", strip);
    if (!pass_.triangles.empty()) Primitive("type=gl_triangles;\n", pass_.triangles);
    return lines_;
  }

 private:
  template <typename Function, typename... Arguments>
  void Line(Function write, Arguments... arguments) {
    write(out_, arguments...);
    ++lines_;
  }

  void Primitive(const char* type, std::span<const std::uint32_t> vertices) {
    if (pass_.addedTexture >= 0) {
      Line(WriteBinding, pass_.texture);
      Line(WriteBinding, pass_.addedTexture);
    }
    out_.Write(type);
    ++lines_;
    bool first = true;
    for (std::uint32_t index : vertices) {
      const WrittenVertex& v = pass_.vertices[index];
      const bool coordinate =
          pass_.coordinates == CoordinateLines::kEveryVertex ||
          (first && (pass_.coordinates != CoordinateLines::kOnce || !coordinateWritten_)) ||
          (pass_.coordinates == CoordinateLines::kWhenChanged && (v.s != s_ || v.t != t_));
      if (coordinate) {
        out_.Write("t=(");
        WriteComponent(out_, v.s);
        out_.WriteChar(',');
        WriteComponent(out_, v.t);
        out_.Write(");\n");
        ++lines_;
        s_ = v.s, t_ = v.t;
        coordinateWritten_ = true;
      }
      first = false;
      out_.Write("p=(");
      WriteComponent(out_, v.x);
      out_.WriteChar(',');
      WriteComponent(out_, v.y);
      out_.WriteChar(',');
      WriteComponent(out_, v.z);
      out_.Write(");\n");
      ++lines_;
    }
  }

  TextWriter& out_;
  const DrawPass& pass_;
  std::size_t lines_ = 0;
  bool coordinateWritten_ = false;
  float s_ = 0, t_ = 0;
};

}  // namespace

std::size_t WriteObjectsText(TextWriter& out, const std::vector<ObjectDrawing>& objects) {
  std::size_t lines = 0;
  for (const ObjectDrawing& object : objects) {
    out.Write("list;\nname=");
    out.Write(object.name);
    out.Write(";\n");
    lines += 2;
    for (const DrawPass& pass : object.passes) lines += PassWriter(out, pass).Write();
    out.Write("endlist;\n");
    ++lines;
  }
  return lines;
}

std::size_t WriteSceneText(TextWriter& out, const std::vector<ObjectDrawing>& objects,
                           double distance, double spin) {
  out.Write("begin;\nscene=main;\n");
  for (const ObjectDrawing& object : objects) {
    out.Write("list=");
    out.Write(object.name);
    out.Write(";\ntranslate=(0,0,");
    WriteSceneNumber(out, -distance);
    out.Write(");\nrotate=(0,");
    WriteSceneNumber(out, spin);
    out.Write(",0);\nscale=(1,1,1);\nshow=(1);\nendlist;\n");
  }
  out.Write("endscene;\nend;\n");
  return 4 + 7 * objects.size();
}

std::size_t WriteTexturesText(TextWriter& out, const std::vector<std::string>& bitmapNames) {
  for (const std::string& name : bitmapNames) {
    out.Write(name);
    out.WriteChar('\n');
  }
  return bitmapNames.size();
}
