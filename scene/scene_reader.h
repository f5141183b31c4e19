// The reader of scene.txt: every "list=…;" … "endlist;" block becomes one
// SceneEntry (which display list to call, its show and solid flags, its
// translation, rotation rates and scale) appended to the store, and the store's
// scene entry count follows every append.
//
// The file is strict and line-oriented: each line (lower-cased first) is either
// a keyword and ';' or key '=' value ';', with the ';' as the very last
// character before the line break. The outcome is a small result code; nothing
// is logged and nothing is shown to the user.
//
// ReadSceneFile only gets the bytes (through the shared line reader);
// ReadScenePieces does the work and is what tests and fuzz harnesses drive with
// bytes in memory, one SceneLineReader step per line, which morvane-check takes
// too, to see what each line did. A list name is resolved to its display-list id by its
// position among the store's named lists, so the compiler must have run first.
//
// Choices for text the format does not foresee:
// - a piece holding a NUL byte counts only up to that byte, as in objects.txt;
// - a list name longer than 19 characters is cut to 19, as the compiler cuts
//   the names it records, so a long name still finds its list;
// - a vector component is converted from all of its characters, however many
//   the line holds; components after the third are read and dropped.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "store/line_reader.h"
#include "store/scene_store.h"

// Result codes of the scene reader.
enum SceneReadResult : std::int32_t {
  kSceneRead = 0,              // an accepted "end;" or the end of the file
  kSceneCannotOpen = 1,        // the file cannot be opened for reading
  kSceneNoSemicolon = 2,       // the character before a line's last is not ';'
  kSceneSecondBegin = 3,       // "begin;" inside begin … end
  kSceneSecondScene = 4,       // "scene=…;" inside scene … endscene
  kSceneStrayEndList = 5,      // "endlist;" outside begin, scene or list
  kSceneStrayEndScene = 6,     // "endscene;" outside a scene or inside a list
  kSceneStrayEnd = 7,          // "end;" outside begin or with a scene or list open
  kSceneAssignmentBefore = 8,  // any assignment line before "begin;"
};

// When each entry learns the id of the list it names. Only that id needs the
// compiled lists, so a reading that leaves it for later can run before or
// beside the compilation; NameSceneLists then gives every entry its id, with
// the same result as naming them while reading.
enum class SceneListIds { kWhileReading, kLater };

// Reads `fileName` into store.sceneEntries. Sets store.sceneEntryCount to 0
// first; returns kSceneCannotOpen (store otherwise untouched) when the file
// cannot be opened, else what ReadScenePieces returns. When reading stopped at
// a failing line, `stopLine` (when given) receives its 1-based piece number.
std::int32_t ReadSceneFile(SceneStore& store, const char* fileName, std::size_t* stopLine = nullptr,
                           SceneListIds ids = SceneListIds::kWhileReading);

// Reads the pieces of `reader` until an accepted "end;", the end of the data or
// the first failing line, whose code is returned; nothing of a failing line is
// applied, and every block closed before it stays appended and counted.
std::int32_t ReadScenePieces(SceneStore& store, LineReader& reader,
                             SceneListIds ids = SceneListIds::kWhileReading);

// Gives the entries from position `first` on the ids of the lists they name,
// in order, as a reading that names them does (the store's named lists and
// its currentSceneEntry and namedListCursor end as such a reading leaves them).
void NameSceneLists(SceneStore& store, std::size_t first);

// The words the reader acts on. Assignment lines: scene, list, and (inside a
// list block) show, solid, translate, rotate, scale. Keyword lines: begin,
// endlist, endscene, end. A word in the other form is ignored.
inline constexpr std::string_view kSceneKeyScene = "scene";
inline constexpr std::string_view kSceneKeyList = "list";
inline constexpr std::string_view kSceneKeyShow = "show";
inline constexpr std::string_view kSceneKeySolid = "solid";
inline constexpr std::string_view kSceneKeyTranslate = "translate";
inline constexpr std::string_view kSceneKeyRotate = "rotate";
inline constexpr std::string_view kSceneKeyScale = "scale";
inline constexpr std::string_view kSceneKeyBegin = "begin";
inline constexpr std::string_view kSceneKeyEndList = "endlist";
inline constexpr std::string_view kSceneKeyEndScene = "endscene";
inline constexpr std::string_view kSceneKeyEnd = "end";
inline constexpr std::string_view kSceneAssignmentKeys[] = {
    kSceneKeyScene,     kSceneKeyList,   kSceneKeyShow, kSceneKeySolid,
    kSceneKeyTranslate, kSceneKeyRotate, kSceneKeyScale};
inline constexpr std::string_view kSceneKeywords[] = {kSceneKeyBegin, kSceneKeyEndList,
                                                      kSceneKeyEndScene, kSceneKeyEnd};
inline constexpr int kSceneVectorComponents = 3;

// Reads a vector value into `target`: the first character is skipped unread,
// then '-' restarts a component, digits and '.' extend it, ',' and the last
// character end it; components the value does not reach keep their values.
// Returns how many components the value holds, those past the third included.
std::size_t ReadSceneVector(std::string_view value, float (&target)[3]);

// What the last line did to the reading.
enum class SceneLineEffect {
  kApplied,       // the reader acted on it
  kIgnored,       // a word the reader does not act on in this form
  kOutsideBlock,  // show, solid, translate, rotate or scale with no list block open
  kEnded,         // an accepted "end;": the reading is over
  kStopped,       // the line failed, and its code was returned
};

// The store's named lists indexed by name, for the lookups of one reading. A
// lookup answers what walking store.namedListCursor from the first named list
// would, without the walk: a scene of n entries over n lists would otherwise
// cost n * n / 2 name comparisons.
class ListIdLookup {
 public:
  // Indexes store.namedLists as they stand; they must not change (no append)
  // while the lookup is in use.
  explicit ListIdLookup(const SceneStore& store);

  // The 1-based position of the first named list called `name`, leaving
  // store.namedListCursor on it; when none matches, the number of named lists
  // (0 when there are none) with the cursor at the end.
  std::int32_t Find(SceneStore& store, const char (&name)[kListNameSize]) const;

 private:
  std::unordered_map<std::string_view, std::size_t> firstPosition_;
};

// The reading itself, one line at a time, so that a caller can watch what each
// line does; ReadScenePieces is this loop over a line reader.
class SceneLineReader {
 public:
  // Sets store.sceneEntryCount to 0 and, when the ids are named while
  // reading, indexes the store's named lists, which must not change during
  // the reading.
  explicit SceneLineReader(SceneStore& store, SceneListIds ids = SceneListIds::kWhileReading);

  // Applies the NUL-terminated `piece` (lower-casing it in place). Returns
  // kSceneRead to go on, or the failing code. A failing line applies nothing,
  // so the state stays that of the line before; the viewer's reading stops at
  // it, as it does after an accepted "end;".
  std::int32_t ReadLine(char* piece);

  SceneLineEffect LastEffect() const { return effect_; }
  bool ListBlockOpen() const { return flags_.list; }

 private:
  struct Flags {
    bool begin = false;
    bool scene = false;
    bool list = false;
  };
  std::int32_t ApplyAssignment(std::string_view key, std::string_view value);
  std::int32_t ApplyKeyword(std::string_view keyword);

  SceneStore& store_;
  std::optional<ListIdLookup> lists_;  // none when the ids are named later
  Flags flags_;
  SceneLineEffect effect_ = SceneLineEffect::kApplied;
};
