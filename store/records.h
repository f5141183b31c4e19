// The fixed-size records that the loaders fill and the renderer walks.
//
// Every record is a plain value with fixed character fields, so a list of them
// is a list of copies and appending is a plain copy. Text reaches the fields only
// through CopyBounded, which cuts what does not fit and always terminates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// What the value part of an objects.txt line was. A one-component vector shares
// kind 1 with a number; 6 to 9 never occur.
enum StatementKind : std::int32_t {
  kBareKeyword = 0,
  kNumber = 1,
  kVector2 = 2,
  kVector3 = 3,
  kVector4 = 4,
  kName = 5,
  kRejected = 10,
};

inline constexpr std::size_t kKeySize = 20;   // 19 significant characters
inline constexpr std::size_t kTextSize = 32;  // 31 significant characters
inline constexpr std::size_t kListNameSize = 20;

// One parsed line of objects.txt.
struct Statement {
  StatementKind kind{};
  char key[kKeySize]{};
  char text[kTextSize]{};
  float number{};
  float vector[4]{};
};

// A statement the reader accepted (kinds 0 to 5); anything else is a rejected
// line, which the compiler never draws and stops at.
inline bool IsAccepted(const Statement& statement) {
  return statement.kind >= kBareKeyword && statement.kind <= kName;
}

// One object placement of scene.txt.
struct SceneEntry {
  std::int32_t listId{};
  char listName[kListNameSize]{};
  std::int32_t show{};
  std::int32_t solid{};
  float translate[3]{};
  float rotate[3]{};
  float scale[3]{};
};

// One compiled display list and the name it was compiled under.
struct NamedList {
  std::int32_t listId{};
  char name[kListNameSize]{};
};

// Copies at most N-1 bytes of `source` into `field` and terminates it; a longer
// text is cut, never written past the field.
template <std::size_t N>
void CopyBounded(char (&field)[N], std::string_view source) {
  const std::size_t length = source.size() < N - 1 ? source.size() : N - 1;
  std::memcpy(field, source.data(), length);
  field[length] = '\0';
}
