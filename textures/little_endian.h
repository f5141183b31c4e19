// Little-endian fields read byte by byte from memory of a known size.
//
// Bitmap files are untrusted: every field is read through these helpers, which
// check that the whole field lies inside the bytes before touching any of it.
// The unchecked forms are for bytes whose presence was already established (a
// pixel row whose length was checked against the data as a whole). Nothing
// here casts a pointer over file bytes, so alignment and host byte order never
// matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

using ByteSpan = std::span<const std::uint8_t>;

// True when `count` bytes starting at `offset` lie wholly inside `bytes`.
inline bool HasBytes(ByteSpan bytes, std::uint64_t offset, std::uint64_t count) {
  return offset <= bytes.size() && count <= bytes.size() - offset;
}

// The 16-bit field at `p`; the caller has checked that two bytes exist there.
inline std::uint16_t Le16At(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// The 32-bit field at `p`; the caller has checked that four bytes exist there.
inline std::uint32_t Le32At(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads the 16-bit field at `offset`; false, leaving `value` alone, when the
// field does not lie wholly inside `bytes`.
inline bool ReadLe16(ByteSpan bytes, std::uint64_t offset, std::uint16_t& value) {
  if (!HasBytes(bytes, offset, 2)) return false;
  value = Le16At(bytes.data() + offset);
  return true;
}

// Reads the 32-bit field at `offset`; false, leaving `value` alone, when the
// field does not lie wholly inside `bytes`.
inline bool ReadLe32(ByteSpan bytes, std::uint64_t offset, std::uint32_t& value) {
  if (!HasBytes(bytes, offset, 4)) return false;
  value = Le32At(bytes.data() + offset);
  return true;
}
