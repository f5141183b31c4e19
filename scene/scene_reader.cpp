#include "scene/scene_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "store/ascii.h"
#include "store/decimal.h"

namespace {

// "show" and "solid" are written (1) or (0): the flag is the value's second character.
std::int32_t FlagValue(std::string_view value) {
  return value.size() >= 2 && value[1] == '1' ? 1 : 0;
}

}  // namespace

SceneLineReader::SceneLineReader(SceneStore& store, SceneListIds ids) : store_(store) {
  store.sceneEntryCount = 0;
  if (ids == SceneListIds::kWhileReading) lists_.emplace(store);
}

std::int32_t SceneLineReader::ApplyAssignment(std::string_view key, std::string_view value) {
  if (!flags_.begin) return kSceneAssignmentBefore;
  SceneEntry& entry = store_.currentSceneEntry;
  effect_ = SceneLineEffect::kIgnored;
  if (key == kSceneKeyScene) {
    if (flags_.scene) return kSceneSecondScene;
    flags_.scene = true;
    effect_ = SceneLineEffect::kApplied;
  }
  const bool blockKey = key == kSceneKeyShow || key == kSceneKeySolid ||
                        key == kSceneKeyTranslate || key == kSceneKeyRotate ||
                        key == kSceneKeyScale;
  if (blockKey) effect_ = flags_.list ? SceneLineEffect::kApplied : SceneLineEffect::kOutsideBlock;
  if (flags_.list) {
    if (key == kSceneKeyShow) {
      entry.show = FlagValue(value);
    } else if (key == kSceneKeySolid) {
      entry.solid = FlagValue(value);
    } else if (key == kSceneKeyTranslate) {
      ReadSceneVector(value, entry.translate);
    } else if (key == kSceneKeyRotate) {
      ReadSceneVector(value, entry.rotate);
    } else if (key == kSceneKeyScale) {
      ReadSceneVector(value, entry.scale);
    }
  }
  if (key == kSceneKeyList) {
    flags_.list = true;
    CopyBounded(entry.listName, value);
    effect_ = SceneLineEffect::kApplied;
  }
  return kSceneRead;
}

std::int32_t SceneLineReader::ApplyKeyword(std::string_view keyword) {
  effect_ = SceneLineEffect::kApplied;
  if (keyword == kSceneKeyBegin) {
    if (flags_.begin) return kSceneSecondBegin;
    flags_.begin = true;
  } else if (keyword == kSceneKeyEndList) {
    if (!flags_.begin || !flags_.scene || !flags_.list) return kSceneStrayEndList;
    flags_.list = false;
    ++store_.sceneEntryCount;
    if (lists_.has_value()) {
      store_.currentSceneEntry.listId = lists_->Find(store_, store_.currentSceneEntry.listName);
    }
    store_.AppendCurrentSceneEntry();
  } else if (keyword == kSceneKeyEndScene) {
    if (!flags_.begin || !flags_.scene || flags_.list) return kSceneStrayEndScene;
    flags_.scene = false;
  } else if (keyword == kSceneKeyEnd) {
    if (!flags_.begin || flags_.scene || flags_.list) return kSceneStrayEnd;
    flags_.begin = false;
    effect_ = SceneLineEffect::kEnded;
  } else {
    effect_ = SceneLineEffect::kIgnored;
  }
  return kSceneRead;
}

std::int32_t SceneLineReader::ReadLine(char* piece) {
  effect_ = SceneLineEffect::kStopped;
  const std::size_t length = std::strlen(piece);
  LowerCaseAscii(piece, length);
  // The ';' must be the last character before the line break (or before the
  // last character of a piece without one).
  if (length < 2 || piece[length - 2] != ';') return kSceneNoSemicolon;
  const std::string_view text(piece, length - 2);
  const std::size_t equals = text.find('=');
  const std::int32_t result = equals != std::string_view::npos
                                  ? ApplyAssignment(text.substr(0, equals), text.substr(equals + 1))
                                  : ApplyKeyword(text);
  if (result != kSceneRead) effect_ = SceneLineEffect::kStopped;
  return result;
}

std::size_t ReadSceneVector(std::string_view value, float (&target)[3]) {
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
  return index;
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

std::int32_t ReadScenePieces(SceneStore& store, LineReader& reader, SceneListIds ids) {
  SceneLineReader lines(store, ids);
  LineReader::Piece piece;
  std::size_t pieceLength = 0;
  while (reader.ReadPiece(piece, pieceLength)) {
    const std::int32_t result = lines.ReadLine(piece);
    if (result != kSceneRead || lines.LastEffect() == SceneLineEffect::kEnded) return result;
  }
  return kSceneRead;
}

std::int32_t ReadSceneFile(SceneStore& store, const char* fileName, std::size_t* stopLine,
                           SceneListIds ids) {
  store.sceneEntryCount = 0;
  LineReader reader(fileName);
  if (!reader.IsOpen()) return kSceneCannotOpen;
  const std::int32_t result = ReadScenePieces(store, reader, ids);
  if (stopLine != nullptr) *stopLine = result == kSceneRead ? 0 : reader.PiecesRead();
  return result;
}

void NameSceneLists(SceneStore& store, std::size_t first) {
  if (first >= store.sceneEntries.size()) return;
  const ListIdLookup lists(store);
  for (std::size_t k = first; k < store.sceneEntries.size(); ++k) {
    SceneEntry& entry = store.sceneEntries[k];
    entry.listId = lists.Find(store, entry.listName);
  }
  // The working record last held the last entry's id.
  store.currentSceneEntry.listId = store.sceneEntries.back().listId;
}
