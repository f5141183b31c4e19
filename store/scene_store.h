// The one store of everything the loaders produce and the renderer consumes.
//
// Loaders fill a current record field by field and append a copy of it to the
// matching list. Lists only ever grow while a scene loads. The store holds the
// loaded data and nothing that drives a walk over it: the compiler and the
// renderer keep their positions of their own. It holds no GL objects, only
// their names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/records.h"

// A position in one of the store's lists. kNoPosition is where a lookup
// starts; the end of a list is the position equal to its size.
using Cursor = std::size_t;
inline constexpr Cursor kNoPosition = static_cast<Cursor>(-1);

struct SceneStore {
  // Members are declared in the order the store is laid out, so destruction
  // releases named lists, scene entries, textures and statements in that order.
  Statement currentStatement{};
  // objects.txt's statements; a load that compiles them for the viewer or a
  // snapshot lets them go once the lists hold them.
  std::vector<Statement> statements;

  std::vector<std::uint32_t> textures;  // GL texture name per line of textures.txt

  SceneEntry currentSceneEntry{};
  std::vector<SceneEntry> sceneEntries;

  NamedList currentNamedList{};
  std::vector<NamedList> namedLists;
  Cursor namedListCursor = kNoPosition;  // where the last name lookup stopped

  std::int32_t compileStatus = 0;  // never changed; the compiler returns it
  std::int32_t lastListId = 0;     // incremented before each new display list
  std::int32_t sceneEntryCount = 0;

  void AppendCurrentStatement() { statements.push_back(currentStatement); }
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
