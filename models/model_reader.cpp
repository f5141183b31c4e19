#include "models/model_reader.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/version.h>

#include <assimp/DefaultIOSystem.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstring>
#include <map>
#include <system_error>
#include <utility>
#include <vector>

#include "models/reader_answer.h"
#include "models/vertex_table.h"

namespace {

namespace fs = std::filesystem;

// Polygons become triangles, and meshes that mix triangles with lines or
// points are split, so every mesh we walk holds one kind of face. Texture
// coordinates given as a mapping or a transform are made plain.
constexpr unsigned kReadSteps = aiProcess_Triangulate | aiProcess_SortByPType |
                                aiProcess_GenUVCoords | aiProcess_TransformUVCoords |
                                aiProcess_ValidateDataStructure;

// Deeper node trees than this are taken as broken rather than walked.
constexpr std::size_t kMaxNodeDepth = 1024;
// The most names of other files noted, and the longest name kept.
constexpr std::size_t kMaxOtherFiles = 1024;
constexpr std::size_t kMaxPathBytes = 4096;

bool Finite(const aiVector3D& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

float Clamp01(float value) {
  return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.8f;
}

// Every file the library opens or looks for is noted, so that a cached import
// can tell when a file the model names (an OBJ's .mtl, a glTF's .bin) has
// changed. Files are still opened the library's default way.
class RecordingFileSystem : public Assimp::DefaultIOSystem {
 public:
  explicit RecordingFileSystem(std::vector<std::string>& names) : names_(names) {}

  bool Exists(const char* file) const override {
    Note(file);
    return DefaultIOSystem::Exists(file);
  }
  Assimp::IOStream* Open(const char* file, const char* mode) override {
    Note(file);
    return DefaultIOSystem::Open(file, mode);
  }

 private:
  void Note(const char* file) const {
    if (file == nullptr || names_.size() >= kMaxOtherFiles) return;
    const std::string name(file, strnlen(file, kMaxPathBytes));
    if (std::find(names_.begin(), names_.end(), name) == names_.end()) names_.push_back(name);
  }
  std::vector<std::string>& names_;
};

class ModelWalk {
 public:
  ModelWalk(const aiScene& scene, ImportedModel& model) : scene_(scene), model_(model) {}

  void Run() {
    model_.meshCount = scene_.mNumMeshes;
    model_.dropped.animations = scene_.mNumAnimations;
    model_.dropped.cameras = scene_.mNumCameras;
    model_.dropped.lights = scene_.mNumLights;
    for (unsigned m = 0; m < scene_.mNumMeshes; ++m) {
      const aiMesh* mesh = scene_.mMeshes[m];
      if (mesh != nullptr && mesh->HasVertexColors(0)) ++model_.dropped.meshesWithVertexColours;
    }
    for (unsigned m = 0; m < scene_.mNumMaterials; ++m) ReadMaterial(scene_.mMaterials[m]);
    if (model_.materials.empty()) model_.materials.emplace_back();
    if (scene_.mRootNode != nullptr) WalkNodes();
  }

 private:
  void ReadMaterial(const aiMaterial* material) {
    ImportedMaterial result;
    if (material != nullptr) {
      aiColor4D colour;
      if (aiGetMaterialColor(material, AI_MATKEY_BASE_COLOR, &colour) == AI_SUCCESS ||
          aiGetMaterialColor(material, AI_MATKEY_COLOR_DIFFUSE, &colour) == AI_SUCCESS) {
        result.colour[0] = Clamp01(colour.r);
        result.colour[1] = Clamp01(colour.g);
        result.colour[2] = Clamp01(colour.b);
      }
      aiString path;
      if (material->GetTexture(aiTextureType_BASE_COLOR, 0, &path) == AI_SUCCESS ||
          material->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS) {
        result.texture = TextureIndex(path.C_Str());
      }
    }
    model_.materials.push_back(result);
  }

  // Materials that share a texture share its source, so it is decoded and
  // written once.
  int TextureIndex(const std::string& name) {
    if (name.empty()) return -1;
    const auto known = textureIndex_.find(name);
    if (known != textureIndex_.end()) return known->second;
    TextureSource source;
    source.name = name;
    const aiTexture* embedded = scene_.GetEmbeddedTexture(name.c_str());
    if (embedded == nullptr) {
      source.origin = TextureOrigin::kFile;
    } else if (embedded->mHeight == 0) {
      // An image file kept inside the model: mWidth is its length in bytes.
      source.origin = TextureOrigin::kEncoded;
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(embedded->pcData);
      if (bytes != nullptr && embedded->mWidth <= kMaxEmbeddedImageBytes)
        source.encoded.assign(bytes, bytes + embedded->mWidth);
    } else if (embedded->pcData != nullptr &&
               std::uint64_t{embedded->mWidth} * embedded->mHeight <= kMaxEmbeddedPixels) {
      source.origin = TextureOrigin::kPixels;
      CopyTexels(*embedded, source);
    } else {
      // No bytes, or more than an answer carries: the material shows its colour.
      source.origin = TextureOrigin::kEncoded;
    }
    const int index = static_cast<int>(model_.textures.size());
    model_.textures.push_back(std::move(source));
    textureIndex_.emplace(name, index);
    return index;
  }

  static void CopyTexels(const aiTexture& texture, TextureSource& source) {
    DecodedImage& image = source.pixels;
    image.width = static_cast<int>(texture.mWidth);
    image.height = static_cast<int>(texture.mHeight);
    const std::size_t count = static_cast<std::size_t>(texture.mWidth) * texture.mHeight;
    image.rgb.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
      const aiTexel& texel = texture.pcData[i];
      image.rgb[i * 3 + 0] = texel.r;
      image.rgb[i * 3 + 1] = texel.g;
      image.rgb[i * 3 + 2] = texel.b;
      if (texel.a != 255) source.pixelsHadAlpha = true;
    }
  }

  // Depth first, with an explicit stack: a model's tree can be deep, and its
  // depth is the model's to choose, not ours.
  void WalkNodes() {
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending;
    std::vector<std::size_t> depths;
    pending.emplace_back(scene_.mRootNode, scene_.mRootNode->mTransformation);
    depths.push_back(0);
    while (!pending.empty()) {
      const auto [node, transform] = pending.back();
      const std::size_t depth = depths.back();
      pending.pop_back();
      depths.pop_back();
      for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const unsigned mesh = node->mMeshes[i];
        if (mesh < scene_.mNumMeshes && scene_.mMeshes[mesh] != nullptr) {
          AddMeshInstance(*scene_.mMeshes[mesh], *node, transform);
        }
      }
      if (depth == kMaxNodeDepth) continue;
      // Children are pushed last first so that they are visited in file order.
      for (unsigned i = node->mNumChildren; i-- > 0;) {
        const aiNode* child = node->mChildren[i];
        if (child == nullptr) continue;
        pending.emplace_back(child, transform * child->mTransformation);
        depths.push_back(depth + 1);
      }
    }
  }

  // The instance keeps only the vertices its valid triangles use, so that
  // everything handed back is a finite number, and each of them once.
  void AddMeshInstance(const aiMesh& mesh, const aiNode& node, const aiMatrix4x4& transform) {
    if ((mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) == 0) {
      model_.dropped.linesAndPoints += mesh.mNumFaces;
      return;
    }
    ImportedObject object;
    object.name = mesh.mName.length > 0 ? mesh.mName.C_Str() : node.mName.C_Str();
    object.material = mesh.mMaterialIndex < model_.materials.size() ? mesh.mMaterialIndex : 0;
    const aiVector3D* uv = mesh.mTextureCoords[0];
    object.hasTextureCoordinates = uv != nullptr;
    object.hasNormals = mesh.mNormals != nullptr;
    object.mirrored = transform.Determinant() < 0;
    // Normals turn with the inverse transpose, so that they stay at right
    // angles to a surface that the transform stretches.
    aiMatrix3x3 normalTransform(transform);
    normalTransform.Inverse().Transpose();
    object.corners.reserve(static_cast<std::size_t>(mesh.mNumFaces) * 3);
    VertexTable<ImportedVertex> table(object.vertices, object.corners.capacity());
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      const aiFace& face = mesh.mFaces[f];
      if (face.mNumIndices != 3) {
        model_.dropped.linesAndPoints += 1;
        continue;
      }
      ImportedVertex corners[3];
      bool valid = true;
      for (int c = 0; c < 3 && valid; ++c) {
        const unsigned index = face.mIndices[c];
        if (index >= mesh.mNumVertices) {
          valid = false;
          break;
        }
        const aiVector3D p = transform * mesh.mVertices[index];
        const aiVector3D st = uv != nullptr ? uv[index] : aiVector3D(0, 0, 0);
        aiVector3D n(0, 0, 0);
        if (mesh.mNormals != nullptr) n = normalTransform * mesh.mNormals[index];
        if (!Finite(n)) n = aiVector3D(0, 0, 0);
        valid = Finite(p);
        corners[c] = {p.x,
                      p.y,
                      p.z,
                      n.x,
                      n.y,
                      n.z,
                      std::isfinite(st.x) ? st.x : 0.0f,
                      std::isfinite(st.y) ? st.y : 0.0f};
      }
      if (!valid) {
        ++model_.dropped.invalidTriangles;
        continue;
      }
      for (const ImportedVertex& corner : corners) object.corners.push_back(table.Index(corner));
    }
    if (object.corners.empty()) return;
    model_.triangleCount += object.corners.size() / 3;
    model_.objects.push_back(std::move(object));
  }

  const aiScene& scene_;
  ImportedModel& model_;
  std::map<std::string, int> textureIndex_;
};

}  // namespace

bool ReadModel(const std::string& path, ImportedModel& model, std::string& error) {
  std::error_code code;
  if (fs::is_directory(path, code)) {
    error = "it is a folder, not a model file";
    return false;
  }
  // One importer serves the process, and the scene it read stays until the
  // next read: a reader process ends right after its model, and its memory
  // goes with it, where taking apart a scene of a million vertices piece by
  // piece costs about as much as reading it.
  static Assimp::Importer* const importer = new Assimp::Importer;
  // The importer owns the file system it is given; the default one is put
  // back once the reading is done.
  importer->SetIOHandler(new RecordingFileSystem(model.otherFiles));
  const aiScene* scene = importer->ReadFile(path, kReadSteps);
  importer->SetIOHandler(nullptr);
  std::erase(model.otherFiles, path);
  if (scene == nullptr) {
    error = importer->GetErrorString();
    if (error.empty()) error = "the file is in no format the import library reads";
    return false;
  }
  // A scene the library marks incomplete (cameras or animations without any
  // mesh, say) is walked all the same: what it lacks is reported below.
  ModelWalk(*scene, model).Run();
  if (model.objects.empty()) {
    const DroppedParts& d = model.dropped;
    error = "the model holds no triangles";
    const std::pair<std::size_t, const char*> leftOut[] = {
        {d.linesAndPoints, " lines and points"},
        {d.invalidTriangles, " triangles whose corners are not finite numbers"},
        {d.cameras, " cameras"},
        {d.lights, " lights"},
        {d.animations, " animations"}};
    const char* separator = " (left out: ";
    for (const auto& [count, what] : leftOut) {
      if (count == 0) continue;
      error += separator + std::to_string(count) + what;
      separator = ", ";
    }
    if (separator[0] == ',') error += ")";
    return false;
  }
  return true;
}

std::string ReadableExtensions() {
  Assimp::Importer importer;
  std::string extensions;
  importer.GetExtensionList(extensions);
  return extensions;
}

std::string LibraryVersion() {
  return std::to_string(aiGetVersionMajor()) + '.' + std::to_string(aiGetVersionMinor()) + '.' +
         std::to_string(aiGetVersionPatch()) + '.' + std::to_string(aiGetVersionRevision());
}
