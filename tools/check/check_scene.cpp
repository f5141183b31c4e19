#include "tools/check/check_scene.h"

#include <cstdio>
#include <string>
#include <vector>

#include "scene/scene_reader.h"
#include "tools/check/piece_lines.h"

namespace {

constexpr const char* kFile = "scene.txt";

const char* StopReason(std::int32_t code) {
  switch (code) {
    case kSceneNoSemicolon:
      return "';' must be the last character of the line, with nothing after it (no blank, no "
             "comment) and a line break after it";
    case kSceneSecondBegin:
      return "\"begin;\" while a begin ... end body is already open";
    case kSceneSecondScene:
      return "\"scene=...;\" while a scene is already open (close it with \"endscene;\")";
    case kSceneStrayEndList:
      return "\"endlist;\" needs an open \"begin;\", \"scene=...;\" and \"list=...;\"";
    case kSceneStrayEndScene:
      return "\"endscene;\" needs an open scene and no open list block";
    case kSceneStrayEnd:
      return "\"end;\" needs an open \"begin;\" and no open scene or list block";
    default:
      return "an assignment line before \"begin;\"";
  }
}

// The keyword or key of a piece as the reader sees it, or "" when the piece
// fails the ';' test.
struct LineForm {
  std::string word;
  bool assignment = false;
};

LineForm FormOf(const std::string& piece) {
  std::string lower = piece;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower.size() < 2 || lower[lower.size() - 2] != ';') return {};
  const std::string text = lower.substr(0, lower.size() - 2);
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) return {text, false};
  return {text.substr(0, equals), true};
}

}  // namespace

void CheckScene(std::string_view bytes, const CompiledNames& names, Findings& findings) {
  SceneStore store;
  for (std::size_t i = 0; i < names.size(); ++i) {
    store.currentNamedList.listId = static_cast<std::int32_t>(i + 1);
    CopyBounded(store.currentNamedList.name, names[i]);
    store.AppendCurrentNamedList();
  }
  LineReader reader(bytes);
  const std::int32_t result = ReadScenePieces(store, reader);
  const std::vector<PieceText> pieces = SplitIntoPieces(bytes);
  const std::size_t piecesRead = reader.PiecesRead();

  if (result != kSceneRead) {
    const std::size_t line = piecesRead > 0 ? pieces[piecesRead - 1].line : 0;
    AddFinding(findings, kFile, line, Severity::kError,
               "reading stops here (code " + std::to_string(result) + "): " + StopReason(result) +
                   "; nothing after this line is drawn");
  }

  // Every accepted "endlist;" appended one entry, in order; a failing one is
  // the last piece read and appended nothing.
  std::size_t entry = 0;
  for (std::size_t i = 0; i < piecesRead && entry < store.sceneEntries.size(); ++i) {
    const LineForm form = FormOf(pieces[i].text);
    if (form.assignment || form.word != "endlist") continue;
    const SceneEntry& e = store.sceneEntries[entry++];
    const std::size_t line = pieces[i].line;
    bool known = false;
    for (const std::string& name : names) known = known || name == e.listName;
    if (!known) {
      const std::string drawn =
          names.empty() ? "nothing" : "the last compiled object, \"" + names.back() + "\"";
      AddFinding(findings, kFile, line, Severity::kWarning,
                 "list \"" + std::string(e.listName) +
                     "\" names no object of objects.txt; the "
                     "viewer draws " +
                     drawn + " instead");
    }
    if (e.scale[0] == 0 || e.scale[1] == 0 || e.scale[2] == 0) {
      char text[200];
      std::snprintf(text, sizeof text,
                    "scale (%g, %g, %g) has a zero factor, so the object is invisible (a block "
                    "without scale keeps the one before it, and the first block starts at 0)",
                    static_cast<double>(e.scale[0]), static_cast<double>(e.scale[1]),
                    static_cast<double>(e.scale[2]));
      AddFinding(findings, kFile, line, Severity::kWarning, text);
    }
  }

  // A block still open when the file ends is never appended.
  std::size_t lastListLine = 0;
  bool blockOpen = false;
  for (std::size_t i = 0; result == kSceneRead && i < piecesRead; ++i) {
    const LineForm form = FormOf(pieces[i].text);
    if (form.assignment && form.word == "list") blockOpen = true, lastListLine = pieces[i].line;
    if (!form.assignment && form.word == "endlist") blockOpen = false;
  }
  if (result == kSceneRead && blockOpen) {
    AddFinding(findings, kFile, lastListLine, Severity::kWarning,
               "the list block opened here has no \"endlist;\", so it is not drawn");
  }
}
