// The model reader's answer: what the child process that ran the library
// hands back to the program, as bytes through a pipe.
//
// The bytes are the parent's untrusted input. A reader that went wrong inside
// the library (or anything else writing to the pipe) may send anything, so
// decoding checks every count against the bytes that are left before it
// allocates, every index against what it indexes, every number for being
// finite and every size against the importer's limits, and refuses the whole
// answer at the first thing out of place. Fields are read little-endian, byte
// by byte; nothing is cast over the bytes.
//
// Encoding and decoding only: no file, no process, no library call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "models/imported_model.h"

// Limits the answer must keep. A model beyond them is refused by the reader.
inline constexpr std::size_t kMaxAnswerTextBytes = 4096;  // a name or a file name
inline constexpr std::size_t kMaxAnswerOtherFiles = 1024;
inline constexpr std::size_t kMaxEmbeddedImageBytes = std::size_t{512} << 20;
inline constexpr std::uint64_t kMaxEmbeddedPixels = 16384ull * 8192;

struct ReaderAnswer {
  enum class Kind : std::uint8_t { kModel, kRefused, kOutOfMemory };
  Kind kind = Kind::kModel;
  std::string reason;   // kRefused, kOutOfMemory: the library's words, printable
  ImportedModel model;  // kModel: never without objects
};

// Writes the answer in pieces through `put`, which returns false when the
// bytes cannot be delivered; encoding then stops and the result is false.
using AnswerSink = std::function<bool(std::span<const std::uint8_t>)>;
bool EncodeModelAnswer(const ImportedModel& model, const AnswerSink& put);
bool EncodeRefusal(ReaderAnswer::Kind kind, const std::string& reason, const AnswerSink& put);

// `text` from the answer (a reason, a name) made fit for a message on a
// terminal: control characters become '?'.
std::string Printable(std::string_view text);

// Reads an answer. Returns false with `error` saying what is wrong with the
// bytes; `answer` is then unspecified. The triangle count is the one the
// objects hold, whatever the bytes claimed.
bool DecodeReaderAnswer(std::span<const std::uint8_t> bytes, ReaderAnswer& answer,
                        std::string& error);
