// Writes scalable scene folders for the benchmarks: objects.txt with textured
// quads, quad strips and triangle strips (some with two-texture blends),
// scene.txt with one entry per object up to a limit, a few 24-bit bitmaps,
// and optionally the same geometry as a Wavefront OBJ file for viewers that
// read that format. --write-obj only ever creates FILE: an existing file is
// never replaced (it may well be a model the user brought).
//
//   generate_scene [--objects N] [--entries M] [--bitmap-size S] [--in-place]
//                  [--write-obj FILE] DIR
//
// Objects sit on a grid in front of the camera (which looks along -z). With
// --in-place the geometry is written in world coordinates and every entry
// draws its object once where it stands (no translation, rotation or scaling),
// which is what the OBJ file holds too.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Options {
  int objects = 58000;
  int entries = 58000;
  int bitmapSize = 1024;
  bool inPlace = false;
  std::string objPath;
  std::string dir;
};

struct Vertex {
  float x, y, z, s, t;
};

void Put16(std::FILE* f, unsigned v) {
  std::fputc(static_cast<int>(v & 0xff), f);
  std::fputc(static_cast<int>((v >> 8) & 0xff), f);
}
void Put32(std::FILE* f, std::uint32_t v) {
  Put16(f, v & 0xffff);
  Put16(f, v >> 16);
}

// A 24-bit bottom-up bitmap with a pattern that shows orientation.
bool WriteBitmap(const std::filesystem::path& path, int size, int seed) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const std::uint32_t row = static_cast<std::uint32_t>((size * 3 + 3) / 4 * 4);
  const std::uint32_t bits = row * static_cast<std::uint32_t>(size);
  std::fputs("BM", f);
  Put32(f, 54 + bits);
  Put32(f, 0);
  Put32(f, 54);
  Put32(f, 40);
  Put32(f, static_cast<std::uint32_t>(size));
  Put32(f, static_cast<std::uint32_t>(size));
  Put16(f, 1);
  Put16(f, 24);
  for (int i = 0; i < 6; ++i) Put32(f, 0);
  std::vector<unsigned char> line(row, 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool check = ((x * 8 / size) + (y * 8 / size)) % 2 == 0;
      line[x * 3 + 0] = static_cast<unsigned char>(check ? 255 - seed * 60 : x * 255 / size);
      line[x * 3 + 1] = static_cast<unsigned char>(check ? 200 : y * 255 / size);
      line[x * 3 + 2] = static_cast<unsigned char>(check ? seed * 80 : 128);
    }
    std::fwrite(line.data(), 1, row, f);
  }
  return std::fclose(f) == 0;
}

// Six vertices of a small strip around (cx, cy, cz), `size` wide: three
// columns of two rows, so a quad strip draws two quads and a triangle strip
// four triangles.
std::vector<Vertex> StripOf(float cx, float cy, float cz, float size) {
  std::vector<Vertex> v;
  for (int column = 0; column < 3; ++column) {
    for (int rowIndex = 0; rowIndex < 2; ++rowIndex) {
      v.push_back({cx + size * (0.4f * static_cast<float>(column) - 0.4f),
                   cy + size * (0.6f * static_cast<float>(rowIndex) - 0.3f), cz,
                   0.5f * static_cast<float>(column), static_cast<float>(rowIndex)});
    }
  }
  return v;
}

bool Usage() {
  std::fprintf(stderr,
               "usage: generate_scene [--objects N] [--entries M] [--bitmap-size S] "
               "[--in-place] [--write-obj FILE] DIR\n");
  return false;
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--objects" && hasValue) {
      o.objects = std::atoi(argv[++i]);
    } else if (a == "--entries" && hasValue) {
      o.entries = std::atoi(argv[++i]);
    } else if (a == "--bitmap-size" && hasValue) {
      o.bitmapSize = std::atoi(argv[++i]);
    } else if (a == "--write-obj" && hasValue) {
      o.objPath = argv[++i];
    } else if (a == "--in-place") {
      o.inPlace = true;
    } else if (!a.empty() && a[0] != '-' && o.dir.empty()) {
      o.dir = a;
    } else {
      return Usage();
    }
  }
  if (o.dir.empty() || o.objects < 1 || o.entries < 0 || o.bitmapSize < 1) return Usage();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) return 2;
  // The OBJ file is created first, and only if nothing has its name, so a
  // refusal leaves everything as it was.
  std::FILE* obj = nullptr;
  if (!o.objPath.empty()) {
    obj = std::fopen(o.objPath.c_str(), "wx");
    if (obj == nullptr) {
      std::fprintf(stderr, "generate_scene: %s: %s; --write-obj never replaces a file\n",
                   o.objPath.c_str(), std::strerror(errno));
      return 1;
    }
  }
  const std::filesystem::path dir = o.dir;
  std::filesystem::create_directories(dir);

  const int sizes[] = {o.bitmapSize, std::max(1, o.bitmapSize / 4), std::max(1, o.bitmapSize / 16)};
  std::FILE* textures = std::fopen((dir / "textures.txt").c_str(), "w");
  for (int i = 0; i < 3; ++i) {
    const std::string name = "texture" + std::to_string(i) + ".bmp";
    if (!WriteBitmap(dir / name, sizes[i], i)) return 1;
    std::fprintf(textures, "%s\n", name.c_str());
  }
  std::fclose(textures);

  // The grid fills the view at a distance of 90, inside the far plane at 100.
  const int columns = static_cast<int>(std::ceil(std::sqrt(o.objects * 4.0 / 3.0)));
  const int rows = (o.objects + columns - 1) / columns;
  const float spacing = 95.0f / static_cast<float>(columns);
  const char* const types[] = {"gl_quad_strip", "gl_triangle_strip", "gl_quads"};
  std::FILE* objects = std::fopen((dir / "objects.txt").c_str(), "w");
  std::FILE* scene = std::fopen((dir / "scene.txt").c_str(), "w");
  if (objects == nullptr || scene == nullptr) return 1;
  std::fprintf(scene, "begin;\nscene=main;\n");
  long objVertices = 0;
  for (int k = 0; k < o.objects; ++k) {
    const float gx = (static_cast<float>(k % columns) - static_cast<float>(columns) / 2) * spacing;
    const float gy = (static_cast<float>(k / columns) - static_cast<float>(rows) / 2) * spacing;
    const float gz = -90;
    const std::vector<Vertex> strip =
        o.inPlace ? StripOf(gx, gy, gz, spacing) : StripOf(0, 0, 0, spacing);
    const char* type = o.inPlace ? "gl_quad_strip" : types[k % 3];
    std::fprintf(objects, "list;\nname=obj%d;\ntextur=(%d,1,1);\n", k, k % 3);
    if (!o.inPlace && k % 10 == 9) std::fprintf(objects, "textur=(%d,1,1);\n", (k + 1) % 3);
    std::fprintf(objects, "type=%s;\n", type);
    // Quads take the strip's vertices in ring order; strips take them as they are.
    const int quadOrder[] = {0, 2, 3, 1, 2, 4, 5, 3};
    const bool quads = std::strcmp(type, "gl_quads") == 0;
    const int count = quads ? 8 : 6;
    for (int i = 0; i < count; ++i) {
      const Vertex& v = strip[static_cast<std::size_t>(quads ? quadOrder[i] : i)];
      std::fprintf(objects, "t%d=(%.2f,%.2f);\np%d=(%.3f,%.3f,%.3f);\n", i, v.s, v.t, i, v.x, v.y,
                   v.z);
    }
    std::fprintf(objects, "endlist;\n");
    if (obj != nullptr) {
      std::fprintf(obj, "o obj%d\n", k);
      for (const Vertex& v : strip) std::fprintf(obj, "v %.3f %.3f %.3f\n", v.x, v.y, v.z);
      for (const Vertex& v : strip) std::fprintf(obj, "vt %.2f %.2f\n", v.s, v.t);
      for (int q = 0; q < 2; ++q) {
        const long a = objVertices + 1 + q * 2;
        std::fprintf(obj, "f %ld/%ld %ld/%ld %ld/%ld %ld/%ld\n", a, a, a + 2, a + 2, a + 3, a + 3,
                     a + 1, a + 1);
      }
      objVertices += 6;
    }
    if (k < o.entries) {
      if (o.inPlace) {
        std::fprintf(scene, "list=obj%d;\ntranslate=(0,0,0);\nrotate=(0,0,0);\nscale=(1,1,1);\n",
                     k);
      } else {
        std::fprintf(scene,
                     "list=obj%d;\ntranslate=(%.2f,%.2f,%.2f);\nrotate=(0,%d,%d);\n"
                     "scale=(1,1,1);\n",
                     k, gx, gy, gz, k % 7, k % 3);
      }
      std::fprintf(scene, "show=(1);\nendlist;\n");
    }
  }
  std::fprintf(scene, "endscene;\nend;\n");
  std::fclose(objects);
  std::fclose(scene);
  if (obj != nullptr) std::fclose(obj);
  return 0;
}
