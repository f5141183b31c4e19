// What a statement of objects.txt means to the display list compiler, decided
// by its key and kind alone: the vocabulary of the walk, the keys of texture
// coordinates and vertices, the shape of a texture binding (one statement, or a
// blended pair and the statement that names its primitive) and the texture
// slot a number addresses.
//
// The compiler dispatches through these rules, and morvane-check explains a
// file with the very same ones, so the two cannot disagree. Nothing here
// touches GL or the transcript.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "store/scene_store.h"
#include "store/statement_source.h"

// What the walk does with a statement it meets outside a primitive's run.
enum class StatementRole {
  kNone,            // nothing: an unknown key, or a known key with the wrong kind of value
  kStop,            // a rejected line: the walk stops here
  kEndList,         // "endlist;" closes the display list
  kMarker,          // "list;", "scene;" ... write a transcript line and nothing else
  kNewList,         // "name=...;" opens the next display list
  kPrimitive,       // "type=...;" begins a primitive
  kTextureBinding,  // "textur=(n,s,t);" binds a texture (or starts a blended pair)
};

// One key the walk acts on, with the kind of value it needs.
struct KeyRole {
  std::string_view key;
  StatementKind kind;
  StatementRole role;
  std::string_view marker;  // the transcript line of a kMarker, else empty
};

// Every key the walk acts on, in no particular order.
std::span<const KeyRole> KeyRoles();

// The role of `statement` when the walk dispatches it.
StatementRole DispatchRole(const Statement& statement);

// The transcript line of a kMarker statement; empty for any other.
std::string_view MarkerLine(const Statement& statement);

// Inside a primitive's run: a key of at most 3 characters beginning with "t"
// is a texture coordinate (vector slots 0 and 1), one beginning with "p" a
// vertex (slots 0 to 2), whatever the statement's kind. Any other key ends the
// run. "type" and "textur" begin with "t" but are longer.
bool IsTexCoordKey(const char (&key)[kKeySize]);
bool IsVertexKey(const char (&key)[kKeySize]);
inline constexpr int kTexCoordComponents = 2;
inline constexpr int kVertexComponents = 3;
inline constexpr int kBindingComponents = 3;  // texture number, s repeat, t repeat

// How a texture binding at `binding` is compiled: a statement with the key
// "textur" right after it (whatever its kind) makes the two a blended pair, and
// the statement after the pair, whatever its key and kind, names the primitive
// that is drawn twice. `primitive` may be the end of the statements.
struct BindingShape {
  bool pair = false;
  Cursor second = 0;     // the pair's second statement
  Cursor primitive = 0;  // the statement taken as the pair's "type" statement
};
BindingShape ShapeOfBinding(StatementSource& statements, Cursor binding);

// The slot of a texture table of `tableSize` slots that a texture number
// addresses, truncated toward zero; false when it addresses none (negative,
// too large, not a number), and the binding then binds no texture.
bool TextureSlot(float number, std::size_t tableSize, std::size_t& slot);
