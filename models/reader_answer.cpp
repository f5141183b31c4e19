#include "models/reader_answer.h"

#include <bit>
#include <cmath>
#include <vector>

namespace {

// "MVMR": Morvane model reader; the number after it changes with the layout.
constexpr std::uint32_t kMagic = 0x524d564d;
constexpr std::uint32_t kLayout = 1;

constexpr std::size_t kVertexBytes = 8 * 4;
constexpr std::uint8_t kHasCoordinates = 1, kHasNormals = 2, kMirrored = 4;

// Gathers the answer into blocks, so that a model of millions of vertices
// goes out in a few hundred writes rather than millions.
class AnswerWriter {
 public:
  explicit AnswerWriter(const AnswerSink& put) : put_(put) { bytes_.reserve(kBlock); }

  void U8(std::uint8_t value) {
    bytes_.push_back(value);
    if (bytes_.size() >= kBlock) Drain();
  }
  void U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) U8(static_cast<std::uint8_t>(value >> shift));
  }
  void U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value));
    U32(static_cast<std::uint32_t>(value >> 32));
  }
  void F32(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
  void Bytes(std::span<const std::uint8_t> bytes) {
    U32(static_cast<std::uint32_t>(bytes.size()));
    for (std::uint8_t b : bytes) U8(b);
  }
  void Text(const std::string& text) {
    const std::size_t size = std::min(text.size(), kMaxAnswerTextBytes);
    Bytes({reinterpret_cast<const std::uint8_t*>(text.data()), size});
  }
  // Hands over what is left; false when any piece could not be delivered.
  bool Finish() {
    Drain();
    return delivered_;
  }

 private:
  static constexpr std::size_t kBlock = 1 << 16;
  void Drain() {
    if (delivered_ && !bytes_.empty()) delivered_ = put_(bytes_);
    bytes_.clear();
  }
  const AnswerSink& put_;
  std::vector<std::uint8_t> bytes_;
  bool delivered_ = true;
};

// Reads fields from the answer; the first read past the end, or the first
// check that fails, makes every later read fail too, with the first reason kept.
class AnswerReader {
 public:
  explicit AnswerReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Fail(const char* reason) {
    if (error_.empty()) error_ = reason;
    return false;
  }
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  std::size_t Left() const { return bytes_.size() - at_; }

  std::uint8_t U8() {
    if (Failed() || Left() < 1) return Fail("it ends too early"), 0;
    return bytes_[at_++];
  }
  std::uint32_t U32() {
    if (Failed() || Left() < 4) return Fail("it ends too early"), 0;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes_[at_++]) << (8 * i);
    return value;
  }
  std::uint64_t U64() {
    const std::uint64_t low = U32();
    return low | static_cast<std::uint64_t>(U32()) << 32;
  }
  float Finite() {
    const float value = std::bit_cast<float>(U32());
    if (!std::isfinite(value)) Fail("a number is not finite");
    return value;
  }
  // A count of elements of at least `elementBytes` each, which the bytes left
  // must be able to hold.
  std::size_t Count(std::size_t elementBytes, std::size_t limit, const char* what) {
    const std::uint32_t count = U32();
    if (Failed()) return 0;
    if (count > limit || count * elementBytes > Left()) return Fail(what), 0;
    return count;
  }
  std::span<const std::uint8_t> Bytes(std::size_t limit) {
    const std::size_t size = Count(1, limit, "a block of bytes is too long");
    if (Failed()) return {};
    const auto block = bytes_.subspan(at_, size);
    at_ += size;
    return block;
  }
  // Text without NUL bytes: names end up in file names and messages.
  std::string Text() {
    const auto block = Bytes(kMaxAnswerTextBytes);
    std::string text(block.begin(), block.end());
    if (text.find('\0') != std::string::npos) Fail("a name holds a NUL byte");
    return text;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  std::string error_;
};

void Header(AnswerWriter& out, ReaderAnswer::Kind kind) {
  out.U32(kMagic);
  out.U32(kLayout);
  out.U8(static_cast<std::uint8_t>(kind));
}

void ReadMaterials(AnswerReader& in, ImportedModel& model, std::size_t& textureLinks) {
  const std::size_t count = in.Count(16, SIZE_MAX, "too many materials");
  if (count == 0) in.Fail("no material");
  for (std::size_t m = 0; m < count && !in.Failed(); ++m) {
    ImportedMaterial material;
    for (float& channel : material.colour) {
      channel = in.Finite();
      if (channel < 0 || channel > 1) in.Fail("a colour is outside 0 to 1");
    }
    material.texture = static_cast<std::int32_t>(in.U32());
    if (material.texture < -1) in.Fail("a material names a texture below -1");
    textureLinks = std::max(textureLinks, static_cast<std::size_t>(material.texture) + 1);
    model.materials.push_back(material);
  }
}

void ReadTextures(AnswerReader& in, ImportedModel& model) {
  const std::size_t count = in.Count(5, SIZE_MAX, "too many textures");
  for (std::size_t i = 0; i < count && !in.Failed(); ++i) {
    TextureSource source;
    source.name = in.Text();
    const std::uint8_t origin = in.U8();
    if (origin == static_cast<std::uint8_t>(TextureOrigin::kFile)) {
      source.origin = TextureOrigin::kFile;
    } else if (origin == static_cast<std::uint8_t>(TextureOrigin::kEncoded)) {
      source.origin = TextureOrigin::kEncoded;
      const auto bytes = in.Bytes(kMaxEmbeddedImageBytes);
      source.encoded.assign(bytes.begin(), bytes.end());
    } else if (origin == static_cast<std::uint8_t>(TextureOrigin::kPixels)) {
      source.origin = TextureOrigin::kPixels;
      DecodedImage& image = source.pixels;
      const std::uint32_t width = in.U32(), height = in.U32();
      source.pixelsHadAlpha = in.U8() != 0;
      const std::uint64_t pixels = std::uint64_t{width} * height;
      if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX ||
          pixels > kMaxEmbeddedPixels) {
        in.Fail("an embedded picture has a bad size");
        break;
      }
      const auto rgb = in.Bytes(kMaxEmbeddedPixels * 3);
      if (rgb.size() != pixels * 3) in.Fail("an embedded picture's pixels do not fit its size");
      image.width = static_cast<int>(width);
      image.height = static_cast<int>(height);
      image.rgb.assign(rgb.begin(), rgb.end());
    } else {
      in.Fail("a texture comes from nowhere known");
    }
    model.textures.push_back(std::move(source));
  }
}

void ReadObjects(AnswerReader& in, ImportedModel& model) {
  const std::size_t count = in.Count(17, SIZE_MAX, "too many objects");
  if (count == 0) in.Fail("no object");
  for (std::size_t i = 0; i < count && !in.Failed(); ++i) {
    ImportedObject object;
    object.name = in.Text();
    object.material = in.U32();
    if (object.material >= model.materials.size()) in.Fail("an object's material does not exist");
    const std::uint8_t flags = in.U8();
    object.hasTextureCoordinates = (flags & kHasCoordinates) != 0;
    object.hasNormals = (flags & kHasNormals) != 0;
    object.mirrored = (flags & kMirrored) != 0;
    const std::size_t vertices = in.Count(kVertexBytes, UINT32_MAX, "too many vertices");
    object.vertices.resize(vertices);
    for (ImportedVertex& v : object.vertices) {
      for (float* field : {&v.x, &v.y, &v.z, &v.nx, &v.ny, &v.nz, &v.s, &v.t}) *field = in.Finite();
      if (in.Failed()) break;
    }
    const std::size_t corners = in.Count(4, UINT32_MAX, "too many corners");
    if (corners == 0 || corners % 3 != 0) in.Fail("an object's corners do not make triangles");
    object.corners.resize(in.Failed() ? 0 : corners);
    for (std::uint32_t& corner : object.corners) {
      corner = in.U32();
      if (corner >= vertices) in.Fail("a corner names a vertex that does not exist");
      if (in.Failed()) break;
    }
    model.triangleCount += object.corners.size() / 3;
    model.objects.push_back(std::move(object));
  }
}

}  // namespace

std::string Printable(std::string_view text) {
  std::string printable(text);
  for (char& c : printable) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return printable;
}

bool EncodeModelAnswer(const ImportedModel& model, const AnswerSink& put) {
  AnswerWriter out(put);
  Header(out, ReaderAnswer::Kind::kModel);
  out.U64(model.meshCount);
  const DroppedParts& d = model.dropped;
  for (std::uint64_t count : {d.meshesWithVertexColours, d.linesAndPoints, d.invalidTriangles,
                              d.animations, d.cameras, d.lights})
    out.U64(count);
  out.U32(static_cast<std::uint32_t>(model.materials.size()));
  for (const ImportedMaterial& material : model.materials) {
    for (float channel : material.colour) out.F32(channel);
    out.U32(static_cast<std::uint32_t>(material.texture));
  }
  out.U32(static_cast<std::uint32_t>(model.textures.size()));
  for (const TextureSource& source : model.textures) {
    out.Text(source.name);
    out.U8(static_cast<std::uint8_t>(source.origin));
    if (source.origin == TextureOrigin::kEncoded) out.Bytes(source.encoded);
    if (source.origin == TextureOrigin::kPixels) {
      out.U32(static_cast<std::uint32_t>(source.pixels.width));
      out.U32(static_cast<std::uint32_t>(source.pixels.height));
      out.U8(source.pixelsHadAlpha ? 1 : 0);
      out.Bytes(source.pixels.rgb);
    }
  }
  out.U32(static_cast<std::uint32_t>(model.objects.size()));
  for (const ImportedObject& object : model.objects) {
    out.Text(object.name);
    out.U32(static_cast<std::uint32_t>(object.material));
    out.U8(static_cast<std::uint8_t>((object.hasTextureCoordinates ? kHasCoordinates : 0) |
                                     (object.hasNormals ? kHasNormals : 0) |
                                     (object.mirrored ? kMirrored : 0)));
    out.U32(static_cast<std::uint32_t>(object.vertices.size()));
    for (const ImportedVertex& v : object.vertices) {
      for (float field : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.s, v.t}) out.F32(field);
    }
    out.U32(static_cast<std::uint32_t>(object.corners.size()));
    for (std::uint32_t corner : object.corners) out.U32(corner);
  }
  const std::size_t otherFiles = std::min(model.otherFiles.size(), kMaxAnswerOtherFiles);
  out.U32(static_cast<std::uint32_t>(otherFiles));
  for (std::size_t i = 0; i < otherFiles; ++i) out.Text(model.otherFiles[i]);
  return out.Finish();
}

bool EncodeRefusal(ReaderAnswer::Kind kind, const std::string& reason, const AnswerSink& put) {
  AnswerWriter out(put);
  Header(out, kind);
  out.Text(reason);
  return out.Finish();
}

bool DecodeReaderAnswer(std::span<const std::uint8_t> bytes, ReaderAnswer& answer,
                        std::string& error) {
  answer = ReaderAnswer();
  AnswerReader in(bytes);
  if (in.U32() != kMagic || in.U32() != kLayout) in.Fail("it is not a model reader's answer");
  const std::uint8_t kind = in.U8();
  if (!in.Failed() && kind > static_cast<std::uint8_t>(ReaderAnswer::Kind::kOutOfMemory))
    in.Fail("it is of no kind known");
  answer.kind = static_cast<ReaderAnswer::Kind>(kind);
  if (!in.Failed() && answer.kind != ReaderAnswer::Kind::kModel) {
    answer.reason = Printable(in.Text());
  } else if (!in.Failed()) {
    ImportedModel& model = answer.model;
    model.meshCount = in.U64();
    DroppedParts& d = model.dropped;
    for (std::uint64_t* count : {&d.meshesWithVertexColours, &d.linesAndPoints, &d.invalidTriangles,
                                 &d.animations, &d.cameras, &d.lights})
      *count = in.U64();
    std::size_t textureLinks = 0;
    ReadMaterials(in, model, textureLinks);
    ReadTextures(in, model);
    if (textureLinks > model.textures.size())
      in.Fail("a material names a texture that is not there");
    ReadObjects(in, model);
    const std::size_t otherFiles = in.Count(4, kMaxAnswerOtherFiles, "too many other files");
    for (std::size_t i = 0; i < otherFiles && !in.Failed(); ++i)
      model.otherFiles.push_back(in.Text());
  }
  if (!in.Failed() && in.Left() != 0) in.Fail("bytes follow its end");
  if (in.Failed()) {
    error = in.Error();
    return false;
  }
  return true;
}
