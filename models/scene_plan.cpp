#include "models/scene_plan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "models/baked_light.h"
#include "models/lit_texture.h"
#include "models/model_fit.h"
#include "models/object_names.h"
#include "models/triangle_strips.h"
#include "models/vertex_table.h"

namespace {

// The texture coordinate one corner is drawn with.
using CornerCoordinate = std::function<std::pair<float, float>(std::size_t corner)>;

WrittenVertex Written(const ImportedVertex& v, std::pair<float, float> st) {
  return {v.x, v.y, v.z, st.first, st.second};
}

// An unlit pass: one vertex per corner, in the model's order.
DrawPass CornerPass(const ImportedObject& object, int texture, CoordinateLines coordinates,
                    const CornerCoordinate& coordinate) {
  DrawPass pass;
  pass.texture = texture;
  pass.coordinates = coordinates;
  pass.vertices.reserve(object.corners.size());
  pass.triangles.reserve(object.corners.size());
  for (std::size_t c = 0; c < object.corners.size(); ++c) {
    pass.vertices.push_back(Written(object.vertices[object.corners[c]], coordinate(c)));
    pass.triangles.push_back(static_cast<std::uint32_t>(c));
  }
  return pass;
}

// A lit pass: shared vertices, triangles joined into strips.
DrawPass StripPass(const ImportedObject& object, int texture, const CornerCoordinate& coordinate) {
  DrawPass pass;
  pass.texture = texture;
  pass.coordinates = CoordinateLines::kWhenChanged;
  std::vector<std::uint32_t> corners(object.corners.size());
  VertexTable<WrittenVertex> table(pass.vertices, corners.size());
  for (std::size_t c = 0; c < corners.size(); ++c)
    corners[c] = table.Index(Written(object.vertices[object.corners[c]], coordinate(c)));
  TriangleStrips joined = MakeTriangleStrips(corners, pass.vertices.size());
  pass.strips = std::move(joined.strips);
  pass.triangles = std::move(joined.triangles);
  return pass;
}

bool Textured(const ImportedModel& model, const ImportedObject& object) {
  return object.hasTextureCoordinates && model.materials[object.material].texture >= 0;
}

// How the objects that show one texture are lit.
struct TextureLight {
  int texture = -1;         // -1: the texture cannot be shown; its objects show their colour
  bool secondPass = false;  // false: `texture` is a lit copy
};

class LitPlanner {
 public:
  LitPlanner(const ImportedModel& model, ScenePlan& plan)
      : model_(model), plan_(plan), bitmaps_(model.textures) {}

  void Run() {
    brightness_.reserve(model_.objects.size());
    for (const ImportedObject& object : model_.objects)
      brightness_.push_back(CornerBrightness(object));
    for (std::size_t i = 0; i < model_.objects.size(); ++i) Draw(i);
  }
  TextureBitmaps& bitmaps() { return bitmaps_; }

 private:
  void Draw(std::size_t i) {
    const ImportedObject& object = model_.objects[i];
    const ImportedMaterial& material = model_.materials[object.material];
    const std::vector<float>& brightness = brightness_[i];
    const CornerCoordinate own = [&](std::size_t c) {
      const ImportedVertex& v = object.vertices[object.corners[c]];
      return std::pair{v.s, v.t};
    };
    const CornerCoordinate onRamp = [&](std::size_t c) {
      return std::pair{RampS(brightness[c]), kRampT};
    };
    std::vector<DrawPass>& passes = plan_.objects[i].passes;
    const TextureLight light =
        Textured(model_, object) ? LightFor(material.texture) : TextureLight{};
    if (light.texture < 0) {
      passes.push_back(StripPass(object, bitmaps_.ShadingRamp(material.colour), onRamp));
    } else {
      passes.push_back(StripPass(object, light.texture, own));
      if (light.secondPass) {
        const float white[3] = {1, 1, 1};
        passes.push_back(StripPass(object, bitmaps_.ShadingRamp(white), onRamp));
        passes.back().addedTexture = bitmaps_.Black();
        ++plan_.secondPasses;
      }
    }
  }

  // Decided once per texture, over every object that shows it.
  TextureLight LightFor(int source) {
    const auto known = lights_.find(source);
    if (known != lights_.end()) return known->second;
    TextureLight light;
    DecodedImage picture;
    if (bitmaps_.Decode(source, picture)) {
      std::vector<LitCorner> corners;
      for (std::size_t i = 0; i < model_.objects.size(); ++i) {
        const ImportedObject& object = model_.objects[i];
        if (!Textured(model_, object) || model_.materials[object.material].texture != source)
          continue;
        for (std::size_t c = 0; c < object.corners.size(); ++c) {
          const ImportedVertex& v = object.vertices[object.corners[c]];
          corners.push_back({v.s, v.t, brightness_[i][c]});
        }
      }
      DecodedImage lit;
      light.secondPass = !BakeLitTexture(picture, corners, lit);
      light.texture = bitmaps_.AddTexture(light.secondPass ? std::move(picture) : std::move(lit));
    }
    lights_.emplace(source, light);
    return light;
  }

  const ImportedModel& model_;
  ScenePlan& plan_;
  TextureBitmaps bitmaps_;
  std::vector<std::vector<float>> brightness_;
  std::map<int, TextureLight> lights_;
};

}  // namespace

ScenePlan PlanScene(ImportedModel& model, bool lit) {
  FitModelToView(model);
  ScenePlan plan;
  std::vector<std::string> modelNames;
  for (const ImportedObject& object : model.objects) modelNames.push_back(object.name);
  const std::vector<std::string> names = MakeObjectNames(modelNames);
  plan.objects.resize(model.objects.size());
  for (std::size_t i = 0; i < names.size(); ++i) plan.objects[i].name = names[i];

  if (lit) {
    LitPlanner planner(model, plan);
    planner.Run();
    plan.bitmaps = planner.bitmaps().TakeBitmaps();
    plan.notes = planner.bitmaps().notes();
    return plan;
  }
  TextureBitmaps bitmaps(model.textures);
  for (std::size_t i = 0; i < model.objects.size(); ++i) {
    const ImportedObject& object = model.objects[i];
    const TextureBitmaps::Choice choice =
        bitmaps.ChooseFor(model.materials[object.material], Textured(model, object));
    // A colour bitmap is one colour everywhere: one coordinate serves.
    const CornerCoordinate coordinate = [&](std::size_t c) {
      const ImportedVertex& v = object.vertices[object.corners[c]];
      return choice.picture ? std::pair{v.s, v.t} : std::pair{0.5f, 0.5f};
    };
    plan.objects[i].passes.push_back(CornerPass(
        object, choice.number,
        choice.picture ? CoordinateLines::kEveryVertex : CoordinateLines::kOnce, coordinate));
  }
  plan.bitmaps = bitmaps.TakeBitmaps();
  plan.notes = bitmaps.notes();
  return plan;
}
