// The model reader's answer as the parent decodes it: a model comes through
// whole, and every damage a broken reader could send is refused with a
// reason, never read past or trusted.
#include "models/reader_answer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

ImportedModel SmallModel() {
  ImportedModel model;
  model.meshCount = 2;
  model.dropped.cameras = 3;
  model.materials = {{{0.5f, 0.25f, 1.0f}, 0}, {{0.1f, 0.2f, 0.3f}, -1}};
  TextureSource file;
  file.name = "bricks.png";
  TextureSource pixels;
  pixels.name = "*0";
  pixels.origin = TextureOrigin::kPixels;
  pixels.pixels = {2, 1, {1, 2, 3, 4, 5, 6}};
  pixels.pixelsHadAlpha = true;
  model.textures = {file, pixels};
  ImportedObject object;
  object.name = "wall";
  object.hasTextureCoordinates = true;
  object.vertices = {{0, 0, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0, 1, 0, 1}};
  object.corners = {0, 1, 2};
  model.objects = {object, object};
  model.objects[1].material = 1;
  model.objects[1].mirrored = true;
  model.otherFiles = {"wall.mtl"};
  return model;
}

std::vector<std::uint8_t> Encoded(const ImportedModel& model) {
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(EncodeModelAnswer(model, [&](std::span<const std::uint8_t> piece) {
    bytes.insert(bytes.end(), piece.begin(), piece.end());
    return true;
  }));
  return bytes;
}

TEST(ReaderAnswer, CarriesAModelWhole) {
  ReaderAnswer answer;
  std::string error;
  ASSERT_TRUE(DecodeReaderAnswer(Encoded(SmallModel()), answer, error)) << error;
  const ImportedModel& model = answer.model;
  EXPECT_EQ(answer.kind, ReaderAnswer::Kind::kModel);
  EXPECT_EQ(model.meshCount, 2u);
  EXPECT_EQ(model.triangleCount, 2u);
  EXPECT_EQ(model.dropped.cameras, 3u);
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0].colour[1], 0.25f);
  EXPECT_EQ(model.materials[1].texture, -1);
  ASSERT_EQ(model.textures.size(), 2u);
  EXPECT_EQ(model.textures[0].name, "bricks.png");
  EXPECT_EQ(model.textures[1].pixels.rgb, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(model.textures[1].pixelsHadAlpha);
  ASSERT_EQ(model.objects.size(), 2u);
  EXPECT_EQ(model.objects[1].vertices[2].t, 1.0f);
  EXPECT_TRUE(model.objects[1].mirrored);
  EXPECT_FALSE(model.objects[0].mirrored);
  EXPECT_EQ(model.otherFiles, std::vector<std::string>{"wall.mtl"});
}

TEST(ReaderAnswer, CarriesARefusal) {
  std::vector<std::uint8_t> bytes;
  EncodeRefusal(ReaderAnswer::Kind::kOutOfMemory, "std::bad_alloc", [&](auto piece) {
    bytes.insert(bytes.end(), piece.begin(), piece.end());
    return true;
  });
  ReaderAnswer answer;
  std::string error;
  ASSERT_TRUE(DecodeReaderAnswer(bytes, answer, error));
  EXPECT_EQ(answer.kind, ReaderAnswer::Kind::kOutOfMemory);
  EXPECT_EQ(answer.reason, "std::bad_alloc");
}

TEST(ReaderAnswer, RefusesEveryCutShortAnswer) {
  const std::vector<std::uint8_t> bytes = Encoded(SmallModel());
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    ReaderAnswer answer;
    std::string error;
    EXPECT_FALSE(DecodeReaderAnswer({bytes.data(), size}, answer, error)) << size;
    EXPECT_FALSE(error.empty());
  }
}

struct Damage {
  const char* name;
  std::function<void(ImportedModel&)> apply;
  const char* reason;
};

const Damage kDamages[] = {
    {"CornerPastTheVertices", [](ImportedModel& m) { m.objects[0].corners[2] = 3; },
     "a corner names a vertex that does not exist"},
    {"CornersNotInThrees", [](ImportedModel& m) { m.objects[0].corners.push_back(0); },
     "an object's corners do not make triangles"},
    {"NoTriangles", [](ImportedModel& m) { m.objects[0].corners.clear(); },
     "an object's corners do not make triangles"},
    {"MissingMaterial", [](ImportedModel& m) { m.objects[0].material = 2; },
     "an object's material does not exist"},
    {"MissingTexture", [](ImportedModel& m) { m.materials[1].texture = 2; },
     "a material names a texture that is not there"},
    {"TextureBelowNone", [](ImportedModel& m) { m.materials[1].texture = -2; },
     "a material names a texture below -1"},
    {"PositionNotANumber", [](ImportedModel& m) { m.objects[1].vertices[0].y = NAN; },
     "a number is not finite"},
    {"NormalInfinite", [](ImportedModel& m) { m.objects[0].vertices[1].nz = INFINITY; },
     "a number is not finite"},
    {"ColourAboveOne", [](ImportedModel& m) { m.materials[0].colour[2] = 1.5f; },
     "a colour is outside 0 to 1"},
    {"PixelsShort", [](ImportedModel& m) { m.textures[1].pixels.rgb.pop_back(); },
     "an embedded picture's pixels do not fit its size"},
    {"PictureOfNoSize", [](ImportedModel& m) { m.textures[1].pixels.width = 0; },
     "an embedded picture has a bad size"},
    {"NulInAName", [](ImportedModel& m) { m.otherFiles[0] += std::string(1, '\0') + "x"; },
     "a name holds a NUL byte"},
    {"NoObject", [](ImportedModel& m) { m.objects.clear(); }, "no object"},
    {"NoMaterial",
     [](ImportedModel& m) {
       m.materials.clear();
       m.objects.clear();
     },
     "no material"},
};

class ReaderAnswerDamage : public testing::TestWithParam<Damage> {};

TEST_P(ReaderAnswerDamage, IsRefusedWithItsReason) {
  ImportedModel model = SmallModel();
  GetParam().apply(model);
  ReaderAnswer answer;
  std::string error;
  EXPECT_FALSE(DecodeReaderAnswer(Encoded(model), answer, error));
  EXPECT_EQ(error, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Damages, ReaderAnswerDamage, testing::ValuesIn(kDamages),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ReaderAnswer, RefusesBytesAfterItsEndAndUnknownKinds) {
  std::vector<std::uint8_t> bytes = Encoded(SmallModel());
  bytes.push_back(0);
  ReaderAnswer answer;
  std::string error;
  EXPECT_FALSE(DecodeReaderAnswer(bytes, answer, error));
  EXPECT_EQ(error, "bytes follow its end");
  bytes = Encoded(SmallModel());
  bytes[8] = 3;  // the kind follows the magic number and the layout
  EXPECT_FALSE(DecodeReaderAnswer(bytes, answer, error));
  EXPECT_EQ(error, "it is of no kind known");
  bytes[0] ^= 1;
  EXPECT_FALSE(DecodeReaderAnswer(bytes, answer, error));
  EXPECT_EQ(error, "it is not a model reader's answer");
}

}  // namespace
