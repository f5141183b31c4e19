#include "textures/texture_table.h"

#include <GL/gl.h>

#include <cstddef>
#include <type_traits>

// glGenTextures writes straight into the table's slots.
static_assert(std::is_same_v<GLuint, std::uint32_t>);

namespace {

// Gives the bound texture its base level from `image`. The rows are packed
// back to back, so the unpack alignment is 1 while they are read; the caller's
// alignment is put back afterwards.
void UploadImage(const RgbImage& image) {
  GLint previousAlignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               image.pixels.get());
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
}

}  // namespace

std::string TextureNameOfPiece(std::string_view piece) {
  // The final break goes first, then the name ends at a NUL byte, as the
  // bitmap is opened by a C string.
  if (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r')) piece.remove_suffix(1);
  return std::string(piece.substr(0, piece.find('\0')));
}

std::vector<std::string> ReadTextureNames(LineReader& reader) {
  std::vector<std::string> names;
  LineReader::Piece line;
  std::size_t length = 0;
  while (reader.ReadPiece(line, length)) names.push_back(TextureNameOfPiece({line, length}));
  return names;
}

namespace {

// The names of `fileName`'s lines; none when it cannot be opened.
std::vector<std::string> NamesIn(const char* fileName) {
  LineReader reader(fileName);
  return reader.IsOpen() ? ReadTextureNames(reader) : std::vector<std::string>{};
}

}  // namespace

TextureFilesReading::TextureFilesReading(const char* fileName)
    : TextureFilesReading(NamesIn(fileName)) {}

TextureFilesReading::TextureFilesReading(std::vector<std::string> names)
    : names_(std::move(names)) {
  decoder_.emplace([this] { Decode(); });
  // Without a thread of its own each bitmap is decoded when it is asked for
  // (the job, run as it is let go, finds the hand-over stopped and ends).
  if (!decoder_->Running()) {
    decoded_.Stop();
    decoder_.reset();
  }
}

TextureFilesReading::~TextureFilesReading() {
  decoded_.Stop();
  decoder_.reset();
}

void TextureFilesReading::Decode() {
  for (const std::string& name : names_) {
    BatchHandOver<BitmapDecodeResult>::Batch batch;
    if (!decoded_.TakeEmpty(batch)) return;
    batch.push_back(ReadBitmapFile(name.c_str()));
    decoded_.Submit(std::move(batch));
  }
  decoded_.Close();
}

BitmapDecodeResult TextureFilesReading::Next() {
  const std::string& name = names_[taken_++];
  if (!decoder_.has_value()) return ReadBitmapFile(name.c_str());
  BatchHandOver<BitmapDecodeResult>::Batch batch;
  decoded_.Receive(batch);
  BitmapDecodeResult result = std::move(batch.front());
  decoded_.Return(std::move(batch));
  return result;
}

void MakeTextures(SceneStore& store, TextureFilesReading& files) {
  for (std::size_t k = 0; k < files.Names().size(); ++k) {
    // The image comes first, so a failure is shown before the slot exists.
    const RgbImagePtr image = ImageOrMessage(files.Next(), files.Names()[k].c_str());
    store.GrowTextures(k + 1);
    glGenTextures(1, &store.textures[k]);
    glBindTexture(GL_TEXTURE_2D, store.textures[k]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    if (image != nullptr) UploadImage(*image);
  }
}

void LoadTexturePieces(SceneStore& store, LineReader& reader) {
  TextureFilesReading files(ReadTextureNames(reader));
  MakeTextures(store, files);
}

std::int32_t LoadTextureTable(SceneStore& store, const char* fileName) {
  TextureFilesReading files(fileName);
  MakeTextures(store, files);
  return 0;
}
