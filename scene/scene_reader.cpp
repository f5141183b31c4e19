#include "scene/scene_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "store/decimal.h"

namespace {

// The three block-level states of one reading.
struct ReaderFlags {
  bool begin = false;
  bool scene = false;
  bool list = false;
};

void LowerCaseAscii(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
  }
}

// "show" and "solid" are written (1) or (0): the flag is the value's second character.
std::int32_t FlagValue(std::string_view value) {
  return value.size() >= 2 && value[1] == '1' ? 1 : 0;
}

// Applies one assignment line; returns kSceneRead to go on, or the failing code.
std::int32_t ApplyAssignment(SceneStore& store, ReaderFlags& flags, std::string_view key,
                             std::string_view value) {
  if (!flags.begin) return kSceneAssignmentBefore;
  SceneEntry& entry = store.currentSceneEntry;
  if (key == "scene") {
    if (flags.scene) return kSceneSecondScene;
    flags.scene = true;
  }
  if (flags.list) {
    if (key == "show") {
      entry.show = FlagValue(value);
    } else if (key == "solid") {
      entry.solid = FlagValue(value);
    } else if (key == "translate") {
      ReadSceneVector(value, entry.translate);
    } else if (key == "rotate") {
      ReadSceneVector(value, entry.rotate);
    } else if (key == "scale") {
      ReadSceneVector(value, entry.scale);
    }
  }
  if (key == "list") {
    flags.list = true;
    CopyBounded(entry.listName, value);
  }
  return kSceneRead;
}

// Applies one keyword line. Returns kSceneRead to go on, or the failing code;
// `ended` is set at an accepted "end".
std::int32_t ApplyKeyword(SceneStore& store, const ListIdLookup& lists, ReaderFlags& flags,
                          std::string_view keyword, bool& ended) {
  if (keyword == "begin") {
    if (flags.begin) return kSceneSecondBegin;
    flags.begin = true;
  } else if (keyword == "endlist") {
    if (!flags.begin || !flags.scene || !flags.list) return kSceneStrayEndList;
    flags.list = false;
    ++store.sceneEntryCount;
    store.currentSceneEntry.listId = lists.Find(store, store.currentSceneEntry.listName);
    store.AppendCurrentSceneEntry();
  } else if (keyword == "endscene") {
    if (!flags.begin || !flags.scene || flags.list) return kSceneStrayEndScene;
    flags.scene = false;
  } else if (keyword == "end") {
    if (!flags.begin || flags.scene || flags.list) return kSceneStrayEnd;
    flags.begin = false;
    ended = true;
  }
  return kSceneRead;
}

}  // namespace

void ReadSceneVector(std::string_view value, float (&target)[3]) {
  // Large enough for any component a line can hold; a longer one (only from a
  // caller outside the reader) keeps its first characters.
  char number[LineReader::kPieceLimit + 1];
  std::size_t length = 0;
  std::size_t index = 0;
  for (std::size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '-') {
      number[0] = '-';
      length = 1;
    } else if ((c >= '0' && c <= '9') || c == '.') {
      if (length < sizeof number) number[length++] = c;
    }
    if (c == ',' || i + 1 == value.size()) {
      if (index < 3) target[index] = ParseDecimalFloat(std::string_view(number, length));
      ++index;
      length = 0;
    }
  }
}

namespace {

// A name field's text: up to its terminator, never past the field.
std::string_view NameText(const char (&name)[kListNameSize]) {
  return std::string_view(name, std::find(name, name + kListNameSize, '\0') - name);
}

}  // namespace

ListIdLookup::ListIdLookup(const SceneStore& store) {
  firstPosition_.reserve(store.namedLists.size());
  for (std::size_t i = 0; i < store.namedLists.size(); ++i) {
    // emplace keeps the first of several lists with one name, as a walk finds it.
    firstPosition_.emplace(NameText(store.namedLists[i].name), i);
  }
}

std::int32_t ListIdLookup::Find(SceneStore& store, const char (&name)[kListNameSize]) const {
  const auto found = firstPosition_.find(NameText(name));
  if (found == firstPosition_.end()) {
    store.namedListCursor = store.namedLists.size();
    return static_cast<std::int32_t>(store.namedLists.size());
  }
  store.namedListCursor = found->second;
  return static_cast<std::int32_t>(found->second + 1);
}

std::int32_t ReadScenePieces(SceneStore& store, LineReader& reader) {
  store.sceneEntryCount = 0;
  const ListIdLookup lists(store);
  ReaderFlags flags;
  LineReader::Piece piece;
  std::size_t pieceLength = 0;
  while (reader.ReadPiece(piece, pieceLength)) {
    const std::size_t length = std::strlen(piece);
    LowerCaseAscii(piece, length);
    // The ';' must be the last character before the line break (or before the
    // last character of a piece without one).
    if (length < 2 || piece[length - 2] != ';') return kSceneNoSemicolon;
    const std::string_view text(piece, length - 2);
    const std::size_t equals = text.find('=');
    std::int32_t result = kSceneRead;
    bool ended = false;
    if (equals != std::string_view::npos) {
      result = ApplyAssignment(store, flags, text.substr(0, equals), text.substr(equals + 1));
    } else {
      result = ApplyKeyword(store, lists, flags, text, ended);
    }
    if (result != kSceneRead || ended) return result;
  }
  return kSceneRead;
}

std::int32_t ReadSceneFile(SceneStore& store, const char* fileName, std::size_t* stopLine) {
  store.sceneEntryCount = 0;
  LineReader reader(fileName);
  if (!reader.IsOpen()) return kSceneCannotOpen;
  const std::int32_t result = ReadScenePieces(store, reader);
  if (stopLine != nullptr) *stopLine = result == kSceneRead ? 0 : reader.PiecesRead();
  return result;
}
