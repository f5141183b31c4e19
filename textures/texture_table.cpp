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

TextureFilesReading::TextureFilesReading(const char* fileName, std::stop_token stop)
    : TextureFilesReading(NamesIn(fileName), std::move(stop)) {}

TextureFilesReading::TextureFilesReading(std::vector<std::string> names, std::stop_token stop)
    : names_(std::move(names)), stop_(std::move(stop)) {
  StartDecoding();
}

TextureFilesReading::~TextureFilesReading() {
  decoder_.reset();
}

void TextureFilesReading::StartDecoding() {
  decoder_.reset();
  if (taken_ >= names_.size()) return;
  decoded_ = std::make_unique<Decoded>(2);
  Decoded& decoded = *decoded_;
  decoder_.emplace(
      [this, &decoded, from = taken_](std::stop_token stop) {
        for (std::size_t k = from; k < names_.size(); ++k) {
          if (!decoded.Send(ReadBitmapFile(names_[k].c_str()), stop)) return;
        }
        decoded.Close();
      },
      [&decoded](std::exception_ptr error) { decoded.Fail(error); });
}

bool TextureFilesReading::Next(BitmapDecodeResult& result, Deadline deadline) {
  if (taken_ >= names_.size() || stopped_) return false;
  switch (decoded_->Receive(result, stop_, deadline)) {
    case Received::kItem:
      ++taken_;
      return true;
    case Received::kNotYet:
      return false;
    case Received::kStopped:
      stopped_ = true;
      return false;
    case Received::kFailed:
    case Received::kEnd:
      break;
  }
  // The decoding of this bitmap failed: it is a bitmap that cannot be held,
  // and the bitmaps after it are decoded anew.
  result = FailedBitmap(BitmapProblem::kFileMemory);
  ++taken_;
  StartDecoding();
  return true;
}

void MakeTexture(SceneStore& store, std::size_t slot, const RgbImage* image) {
  store.GrowTextures(slot + 1);
  glGenTextures(1, &store.textures[slot]);
  glBindTexture(GL_TEXTURE_2D, store.textures[slot]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  if (image != nullptr) UploadImage(*image);
}

void MakeTextures(SceneStore& store, TextureFilesReading& files) {
  BitmapDecodeResult decoded;
  for (std::size_t k = 0; k < files.Names().size() && files.Next(decoded); ++k) {
    // The image comes first, so a failure is shown before the slot exists.
    const RgbImagePtr image = ImageOrMessage(std::move(decoded), files.Names()[k].c_str());
    MakeTexture(store, k, image.get());
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
