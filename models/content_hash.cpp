#include "models/content_hash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <vector>

namespace {

constexpr std::uint64_t kOddA = 0x9e3779b97f4a7c15ull;
constexpr std::uint64_t kOddB = 0xc2b2ae3d27d4eb4full;

// Every bit of the input affects every bit of the output.
std::uint64_t Avalanche(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ull;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

std::uint64_t LittleEndian64(const std::uint8_t* bytes) {
  std::uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = word << 8 | bytes[i];
  return word;
}

}  // namespace

std::string ContentHash::Hex() const {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[15 - i] = kDigits[(high >> (4 * i)) & 15];
    text[31 - i] = kDigits[(low >> (4 * i)) & 15];
  }
  return text;
}

void ContentHasher::Mix(std::uint64_t word) {
  a_ = std::rotl(a_ ^ (word * kOddA), 31) * kOddB;
  b_ = std::rotl(b_ + (word * kOddB), 27) * kOddA + a_;
}

void ContentHasher::Add(std::span<const std::uint8_t> bytes) {
  length_ += bytes.size();
  while (pendingSize_ > 0 && pendingSize_ < 8 && !bytes.empty()) {
    pending_[pendingSize_++] = bytes.front();
    bytes = bytes.subspan(1);
  }
  if (pendingSize_ == 8) {
    Mix(LittleEndian64(pending_));
    pendingSize_ = 0;
  }
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) Mix(LittleEndian64(bytes.data() + at));
  for (; at < bytes.size(); ++at) pending_[pendingSize_++] = bytes[at];
}

ContentHash ContentHasher::Finish() {
  // The tail is padded with its own length, so "a" and "a\0" differ.
  std::uint8_t tail[8] = {};
  for (std::size_t i = 0; i < pendingSize_; ++i) tail[i] = pending_[i];
  tail[7] = static_cast<std::uint8_t>(pendingSize_ + 1);
  Mix(LittleEndian64(tail));
  Mix(length_);
  return {Avalanche(a_ ^ std::rotl(b_, 17)), Avalanche(b_ + a_ * kOddA)};
}

std::optional<ContentHash> HashFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat facts {};
  std::optional<ContentHash> result;
  if (::fstat(fd, &facts) == 0 && S_ISREG(facts.st_mode)) {
    ContentHasher hasher;
    std::vector<std::uint8_t> block(std::size_t{1} << 20);
    ssize_t got = 0;
    while ((got = ::read(fd, block.data(), block.size())) != 0) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      hasher.Add({block.data(), static_cast<std::size_t>(got)});
    }
    if (got == 0) result = hasher.Finish();
  }
  ::close(fd);
  return result;
}
