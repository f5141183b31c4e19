// A 128-bit fingerprint of bytes, for recognising a file's content again.
//
// The cache of imported models is keyed on what the model and the files it
// names hold, not on their names or times, and a model is hashed at every
// direct open: so the hash must be fast (it takes eight bytes a step into two
// 64-bit lanes) and spread well. It is not a cryptographic hash: it
// tells content apart, it does not defend against someone who builds two
// files to collide, which in a per-user cache only ever shows that user's
// own other model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct ContentHash {
  std::uint64_t high = 0, low = 0;
  bool operator==(const ContentHash&) const = default;
  // 32 lower-case hexadecimal digits.
  std::string Hex() const;
};

class ContentHasher {
 public:
  void Add(std::span<const std::uint8_t> bytes);
  void Add(std::string_view text) {
    Add({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  // The hash of everything added; the hasher is not to be used afterwards.
  ContentHash Finish();

 private:
  void Mix(std::uint64_t word);

  std::uint64_t a_ = 0x243f6a8885a308d3ull;  // digits of pi: any fixed start serves
  std::uint64_t b_ = 0x13198a2e03707344ull;
  std::uint64_t length_ = 0;
  std::uint8_t pending_[8] = {};
  std::size_t pendingSize_ = 0;
};

// The hash of a regular file's content; nullopt when `path` is no regular
// file or cannot be read. Never follows a FIFO or a device into a wait.
std::optional<ContentHash> HashFile(const std::filesystem::path& path);
