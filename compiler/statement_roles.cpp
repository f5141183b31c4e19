#include "compiler/statement_roles.h"

#include <cmath>
#include <cstring>

namespace {

constexpr KeyRole kKeyRoles[] = {
    {"name", kName, StatementRole::kNewList, {}},
    {"type", kName, StatementRole::kPrimitive, {}},
    {"textur", kVector3, StatementRole::kTextureBinding, {}},
    {"endlist", kBareKeyword, StatementRole::kEndList, {}},
    {"list", kBareKeyword, StatementRole::kMarker, "List;\n"},
    {"scene", kBareKeyword, StatementRole::kMarker, "Scene;\n"},
    {"endscene", kBareKeyword, StatementRole::kMarker, "EndScene;\n"},
    {"begin", kBareKeyword, StatementRole::kMarker, "Begin;\n"},
    {"end", kBareKeyword, StatementRole::kMarker, "End;\n"},
};

// The key field's text; a field without a terminator (only in a hand-built
// record) is never read past its end and matches no key.
std::string_view KeyText(const char (&key)[kKeySize], bool& terminated) {
  const void* end = std::memchr(key, '\0', kKeySize);
  terminated = end != nullptr;
  return std::string_view(key, terminated ? static_cast<const char*>(end) - key : kKeySize);
}

const KeyRole* FindRole(const Statement& statement) {
  bool terminated = false;
  const std::string_view key = KeyText(statement.key, terminated);
  if (!terminated) return nullptr;
  for (const KeyRole& entry : kKeyRoles) {
    if (entry.kind == statement.kind && entry.key == key) return &entry;
  }
  return nullptr;
}

bool IsRunKey(const char (&key)[kKeySize], char first) {
  bool terminated = false;
  return key[0] == first && KeyText(key, terminated).size() <= 3;
}

}  // namespace

std::span<const KeyRole> KeyRoles() {
  return kKeyRoles;
}

StatementRole DispatchRole(const Statement& statement) {
  if (!IsAccepted(statement)) return StatementRole::kStop;
  const KeyRole* entry = FindRole(statement);
  return entry == nullptr ? StatementRole::kNone : entry->role;
}

std::string_view MarkerLine(const Statement& statement) {
  const KeyRole* entry = FindRole(statement);
  return entry == nullptr ? std::string_view() : entry->marker;
}

bool IsTexCoordKey(const char (&key)[kKeySize]) {
  return IsRunKey(key, 't');
}

bool IsVertexKey(const char (&key)[kKeySize]) {
  return IsRunKey(key, 'p');
}

BindingShape ShapeOfBinding(StatementSource& statements, Cursor binding) {
  BindingShape shape;
  const Cursor next = binding + 1;
  if (const Statement* second = statements.At(next); second != nullptr) {
    bool terminated = false;
    const std::string_view key = KeyText(second->key, terminated);
    shape.pair = terminated && key == "textur";
  }
  shape.second = next;
  shape.primitive = next + 1;
  return shape;
}

bool TextureSlot(float number, std::size_t tableSize, std::size_t& slot) {
  // Truncated before it is compared, so a value just below zero is slot 0 only
  // when slot 0 exists.
  const double value = std::trunc(static_cast<double>(number));
  if (!(value >= 0.0 && value < 0x1p53)) return false;  // negative, huge or not a number
  slot = static_cast<std::size_t>(value);
  return slot < tableSize;
}
