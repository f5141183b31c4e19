#include "textures/bitmap_loader.h"

#include <utility>

#include "textures/dib_conversion.h"
#include "textures/dib_section.h"
#include "textures/file_bytes.h"
#include "textures/message_box.h"

namespace {

// Decodes into `result`, returning what stopped it.
BitmapProblem Decode(ByteSpan bytes, BitmapDecodeResult& result) {
  WorkingHeader header;
  const BitmapProblem headerProblem = ReadBitmapHeaders(bytes, header, result.facts);
  if (headerProblem != BitmapProblem::kNone) return headerProblem;

  // A picture without pixels, or with a negative width, is no picture.
  const InfoHeader& info = header.info;
  if (info.width <= 0 || info.height == 0) return BitmapProblem::kNoPixels;
  const std::uint64_t rows = info.height < 0
                                 ? static_cast<std::uint64_t>(-std::int64_t{info.height})
                                 : static_cast<std::uint64_t>(info.height);
  DibSection section;
  const BitmapProblem sectionProblem =
      CreateDibSection(static_cast<std::uint64_t>(info.width), rows, section);
  if (sectionProblem != BitmapProblem::kNone) return sectionProblem;

  const std::uint64_t bitsOffset = result.facts.bitsOffset;
  const ByteSpan bits =
      bitsOffset <= bytes.size() ? bytes.subspan(static_cast<std::size_t>(bitsOffset)) : ByteSpan();
  const BitmapProblem conversionProblem = ConvertDib(header, bits, section);
  if (conversionProblem != BitmapProblem::kNone) return conversionProblem;

  result.image = RepackSection(section);
  return result.image == nullptr ? BitmapProblem::kRepackedMemory : BitmapProblem::kNone;
}

}  // namespace

BitmapDecodeResult DecodeBitmap(const std::uint8_t* data, std::size_t size) {
  BitmapDecodeResult result;
  result.problem = Decode(ByteSpan(data, data != nullptr ? size : 0), result);
  result.status = StatusOf(result.problem);
  return result;
}

BitmapDecodeResult FailedBitmap(BitmapProblem problem) {
  BitmapDecodeResult result;
  result.problem = problem;
  result.status = StatusOf(problem);
  return result;
}

BitmapDecodeResult ReadBitmapFile(const char* fileName) {
  FileBytes file;
  switch (file.Read(fileName)) {
    case FileBytes::Outcome::kCannotOpen:
      return FailedBitmap(BitmapProblem::kCannotOpen);
    case FileBytes::Outcome::kTooLarge:
      return FailedBitmap(BitmapProblem::kFileOverLimit);
    case FileBytes::Outcome::kRead:
      break;
  }
  const ByteSpan bytes = file.bytes();
  return DecodeBitmap(bytes.data(), bytes.size());
}

RgbImagePtr LoadBitmapImage(const char* fileName) {
  return ImageOrMessage(ReadBitmapFile(fileName), fileName);
}

RgbImagePtr ImageOrMessage(BitmapDecodeResult&& result, const char* fileName) {
  if (result.status != BitmapStatus::kLoaded) {
    ShowMessageBox(kBitmapErrorCaption, BitmapFailureText(result.status, fileName).c_str());
    return nullptr;
  }
  return std::move(result.image);
}
