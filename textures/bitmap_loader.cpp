#include "textures/bitmap_loader.h"

#include <utility>

#include "textures/dib_conversion.h"
#include "textures/dib_section.h"
#include "textures/file_bytes.h"
#include "textures/message_box.h"

BitmapDecodeResult DecodeBitmap(const std::uint8_t* data, std::size_t size) {
  BitmapDecodeResult result;
  const ByteSpan bytes(data, data != nullptr ? size : 0);
  WorkingHeader header;
  result.status = ReadBitmapHeaders(bytes, header, result.facts);
  if (result.status != BitmapStatus::kLoaded) return result;

  // A picture without pixels, or with a negative width, is no picture.
  const InfoHeader& info = header.info;
  if (info.width <= 0 || info.height == 0) {
    result.status = BitmapStatus::kConversionError;
    return result;
  }
  const std::uint64_t rows = info.height < 0
                                 ? static_cast<std::uint64_t>(-std::int64_t{info.height})
                                 : static_cast<std::uint64_t>(info.height);
  DibSection section;
  if (!CreateDibSection(static_cast<std::uint64_t>(info.width), rows, section)) {
    result.status = BitmapStatus::kOutOfMemory;
    return result;
  }

  const std::uint64_t bitsOffset = result.facts.bitsOffset;
  const ByteSpan bits =
      bitsOffset <= bytes.size() ? bytes.subspan(static_cast<std::size_t>(bitsOffset)) : ByteSpan();
  if (!ConvertDib(header, bits, section)) {
    result.status = BitmapStatus::kConversionError;
    return result;
  }

  result.image = RepackSection(section);
  if (result.image == nullptr) result.status = BitmapStatus::kOutOfMemory;
  return result;
}

BitmapDecodeResult ReadBitmapFile(const char* fileName) {
  FileBytes file;
  if (!file.Read(fileName)) {
    BitmapDecodeResult result;
    result.status = BitmapStatus::kOpenFailed;
    return result;
  }
  const ByteSpan bytes = file.bytes();
  return DecodeBitmap(bytes.data(), bytes.size());
}

RgbImagePtr LoadBitmapImage(const char* fileName) {
  BitmapDecodeResult result = ReadBitmapFile(fileName);
  if (result.status != BitmapStatus::kLoaded) {
    ShowMessageBox(kBitmapErrorCaption, BitmapFailureText(result.status, fileName).c_str());
    return nullptr;
  }
  return std::move(result.image);
}
