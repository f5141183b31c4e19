// The one store of everything the loaders produce and the renderer consumes.
//
// Loaders fill a current record field by field and append a copy of it to the
// matching list. Walks use cursors that live in the store itself, so every
// function that takes part in a walk (the compiler and the primitive emitter)
// shares one position. Lists only ever grow; a cursor is an index, so it stays
// valid across appends. The store holds no GL objects, only their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/records.h"

// A position in one of the store's lists. kNoPosition is where every cursor
// starts; the end of a list is the position equal to its size.
using Cursor = std::size_t;
inline constexpr Cursor kNoPosition = static_cast<Cursor>(-1);

struct SceneStore;

// Statements that are still being read while a walk already runs over the
// first of them: FetchMore appends the next ones to store.statements (waiting
// until some are ready) and returns false once no more will ever come.
class StatementSupply {
 public:
  virtual bool FetchMore(SceneStore& store) = 0;

 protected:
  ~StatementSupply() = default;
};

struct SceneStore {
  // Members are declared in the order the store is laid out, so destruction
  // releases named lists, scene entries, textures and statements in that order.
  Statement currentStatement{};
  std::vector<Statement> statements;
  Cursor statementCursor = kNoPosition;
  Cursor savedStatementCursor = kNoPosition;  // bookmark for re-emitting a primitive
  // Where statements come from while objects.txt is still being read; null
  // when the list is complete.
  StatementSupply* statementSupply = nullptr;

  std::vector<std::uint32_t> textures;  // GL texture name per line of textures.txt

  SceneEntry currentSceneEntry{};
  std::vector<SceneEntry> sceneEntries;
  Cursor sceneCursor = kNoPosition;

  NamedList currentNamedList{};
  std::vector<NamedList> namedLists;
  Cursor namedListCursor = kNoPosition;  // where the last name lookup stopped

  std::int32_t compileStatus = 0;  // never changed; the compiler returns it
  std::int32_t lastListId = 0;     // incremented before each new display list
  std::int32_t sceneEntryCount = 0;

  void AppendCurrentStatement() { statements.push_back(currentStatement); }

  // Whether a statement stands at `position`, once every statement before the
  // end of the file has arrived: walks ask this instead of comparing with the
  // list's size, so they can start before the reading ends. May append to
  // the list, which moves its elements: no reference into it may be held
  // across the call.
  bool HasStatement(Cursor position) {
    while (position >= statements.size()) {
      if (statementSupply == nullptr || !statementSupply->FetchMore(*this)) return false;
    }
    return true;
  }

  // Waits until every statement of the file has arrived.
  void AwaitAllStatements() {
    while (statementSupply != nullptr && statementSupply->FetchMore(*this)) {
    }
  }
  void AppendCurrentSceneEntry() { sceneEntries.push_back(currentSceneEntry); }
  void AppendCurrentNamedList() { namedLists.push_back(currentNamedList); }

  // Grows the texture table to `count` slots; new slots hold 0 until a name is
  // written into them, existing ones keep their names.
  void GrowTextures(std::size_t count) {
    if (count > textures.size()) textures.resize(count, 0);
  }
};

// The process's one store, constructed during static initialisation.
extern SceneStore theSceneStore;
