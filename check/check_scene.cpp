#include "check/check_scene.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_set>

#include "check/piece_lines.h"
#include "check/written_text.h"
#include "scene/scene_reader.h"

namespace {

constexpr const char* kFile = "scene.txt";
constexpr std::string_view kSceneRule = "the reader keeps only the digits, '.' and '-'";
constexpr const char* kAxisNames[] = {"x", "y", "z"};
constexpr std::size_t kMostSuggestedNames = 100;

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

bool Contains(std::span<const std::string_view> words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

std::vector<std::string_view> AllSceneWords() {
  std::vector<std::string_view> words(std::begin(kSceneAssignmentKeys),
                                      std::end(kSceneAssignmentKeys));
  words.insert(words.end(), std::begin(kSceneKeywords), std::end(kSceneKeywords));
  return words;
}

class SceneCheck {
 public:
  SceneCheck(const CompiledObjects& objects, Findings& findings)
      : objects_(objects), findings_(findings), drawn_(objects.size(), false) {
    for (std::size_t i = 0; i < objects.size(); ++i) {
      store_.currentNamedList.listId = static_cast<std::int32_t>(i + 1);
      CopyBounded(store_.currentNamedList.name, objects[i].name);
      store_.AppendCurrentNamedList();
    }
  }

  std::vector<bool> Run(LineReader& reader, std::stop_token stop) {
    PieceLines lines(reader, std::move(stop));
    SceneLineReader scene(store_);
    std::int32_t result = kSceneRead;
    std::size_t listLine = 0;
    while (lines.Next()) {
      const std::size_t line = lines.Line();
      result = scene.ReadLine(lines.Piece());
      if (result != kSceneRead) {
        // A stop at a last line that loses nothing reads like the end of the
        // file: what the whole file draws is still to be said.
        if (Stopped(lines, scene, result)) result = kSceneRead;
        break;
      }
      // The reader has lower-cased the piece and found its ';' before the break.
      const std::string_view text(lines.Piece(), std::strlen(lines.Piece()) - 2);
      const std::size_t equals = text.find('=');
      const std::string_view key = text.substr(0, equals);
      const std::string_view value =
          equals == std::string_view::npos ? std::string_view() : text.substr(equals + 1);
      switch (scene.LastEffect()) {
        case SceneLineEffect::kApplied:
          if (equals != std::string_view::npos) {
            if (key == kSceneKeyList) listLine = line;
            CheckVector(key, value, line);
            CheckFlag(key, line);
          } else if (key == kSceneKeyEndList) {
            CheckEntry(store_.sceneEntries.back(), line);
          }
          break;
        case SceneLineEffect::kIgnored:
          Ignored(key, equals != std::string_view::npos, lines.Index() == 0, line);
          break;
        case SceneLineEffect::kOutsideBlock: {
          const std::string message = Quoted(key) +
                                      " outside a list block (between \"list=...;\" and "
                                      "\"endlist;\") is ignored";
          Error(line, message, "outside block");
          break;
        }
        case SceneLineEffect::kEnded:
          AfterEnd(lines, line);
          break;
        case SceneLineEffect::kStopped:
          break;
      }
      if (scene.LastEffect() == SceneLineEffect::kEnded) break;
    }
    if (result == kSceneRead && scene.ListBlockOpen()) {
      Error(listLine, "the list block opened here has no \"endlist;\", so it is not drawn");
    }
    if (result == kSceneRead && store_.sceneEntries.empty()) {
      Error(1,
            "nothing is drawn: no \"list=...;\" block is closed with \"endlist;\" inside "
            "\"begin;\" and \"scene=...;\"");
    }
    return std::move(drawn_);
  }

 private:
  Finding& Error(std::size_t line, std::string message, std::string group = {}) {
    return AddFinding(findings_, kFile, line, Severity::kError, std::move(message),
                      std::move(group));
  }
  Finding& Warn(std::size_t line, std::string message, std::string group = {}) {
    return AddFinding(findings_, kFile, line, Severity::kWarning, std::move(message),
                      std::move(group));
  }

  // Reports the line that stopped the reader; true when it is a last line
  // that loses nothing (a warning only).
  bool Stopped(PieceLines& lines, SceneLineReader& scene, std::int32_t result) {
    const std::size_t line = lines.Line();
    const std::string_view raw = lines.Raw();
    const bool cut = raw.size() == LineReader::kPieceLimit && !lines.EndsLine();
    if (result == kSceneNoSemicolon && !cut && !lines.Continues() && !raw.empty() &&
        !lines.EndsLine()) {
      const FinalLine cost = ReadFinalLineAgain(scene, raw, line);
      if (cost != FinalLine::kStops) return cost == FinalLine::kLosesNothing;
    }
    Finding& finding = Error(line, "reading stops here (code " + std::to_string(result) + "): " +
                                       StopReason(result) + "; nothing after this line is drawn");
    if (cut || lines.Continues()) {
      finding.notes.push_back({line,
                               "the line is longer than the reader takes at once (253 "
                               "characters and the line break), so it is cut into pieces "
                               "and this piece does not end in ';'"});
    } else if (result == kSceneNoSemicolon) {
      std::string_view text = raw;
      if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
      const std::size_t semicolon = text.rfind(';');
      if (semicolon != std::string_view::npos && semicolon + 1 < text.size()) {
        finding.notes.push_back(
            {line, "after its last ';' the line holds " + Quoted(text.substr(semicolon + 1))});
      }
    }
    return false;
  }

  // What a last line without its line break costs, once read again with it.
  enum class FinalLine { kStops, kLosesBlock, kLosesNothing };

  // The last line of a file without a final line break fails the ';' test.
  // Read again with its line break, it shows what the missing break costs:
  // a warning when nothing, an error when a block it closes is lost; or it
  // stops the reader all the same (not reported here).
  FinalLine ReadFinalLineAgain(SceneLineReader& scene, std::string_view raw, std::size_t line) {
    LineReader::Piece fixed;
    std::memcpy(fixed, raw.data(), raw.size());
    fixed[raw.size()] = '\n';
    fixed[raw.size() + 1] = '\0';
    const std::size_t entries = store_.sceneEntries.size();
    const std::int32_t result = scene.ReadLine(fixed);
    if (result != kSceneRead) return FinalLine::kStops;
    if (store_.sceneEntries.size() > entries) {
      store_.sceneEntries.pop_back();
      --store_.sceneEntryCount;
      Error(line,
            "the last line has no line break after its ';', so the reader stops at it "
            "(code 2) and the block it closes is not drawn");
      return FinalLine::kLosesBlock;
    }
    Warn(line,
         "the last line has no line break after its ';'; the reader stops at it (code 2), "
         "but nothing is lost");
    return FinalLine::kLosesNothing;
  }

  void CheckVector(std::string_view key, std::string_view value, std::size_t line) {
    SceneEntry& entry = store_.currentSceneEntry;
    float* target = nullptr;
    std::size_t index = 0;
    if (key == kSceneKeyTranslate) {
      target = entry.translate, index = 0;
    } else if (key == kSceneKeyRotate) {
      target = entry.rotate, index = 1;
    } else if (key == kSceneKeyScale) {
      target = entry.scale, index = 2;
    } else {
      return;
    }
    float scratch[3] = {};
    const std::size_t count = ReadSceneVector(value, scratch);
    const std::string misread = MisreadVector(value, target, count, 3, kSceneRule);
    if (!misread.empty()) {
      Error(line, Quoted(key) + " value " + misread,
            std::string(key) + misread.substr(misread.rfind(": ")));
    } else if (count < 3) {
      std::string message =
          Quoted(key) + " gives " + std::to_string(count) + " of its 3 components; ";
      for (std::size_t k = count; k < 3; ++k) {
        const std::size_t from = componentLine_[index][k];
        message +=
            std::string(k > count ? ", " : "") + kAxisNames[k] + " keeps " +
            FormatValue(static_cast<double>(target[k])) +
            (from == 0 ? std::string(" (no line set it)") : " from line " + std::to_string(from));
      }
      Warn(line, message, "gap " + std::string(key) + std::to_string(count));
    } else if (count > 3) {
      Warn(line, Quoted(key) + " gives " + std::to_string(count) +
                     " components; only the first 3 are used");
    }
    for (std::size_t k = 0; k < std::min<std::size_t>(count, 3); ++k) {
      componentLine_[index][k] = line;
    }
  }

  // The reader keeps both flags, but the renderer draws every entry alike: a
  // user who writes show=(0) expects the object hidden and sees it drawn.
  void CheckFlag(std::string_view key, std::size_t line) {
    if (key == kSceneKeyShow && store_.currentSceneEntry.show == 0) {
      Warn(line,
           "'show' is read as 0 (hidden), but the viewer draws every entry whatever its show "
           "flag; to hide the object, leave its block out",
           "show 0");
    } else if (key == kSceneKeySolid) {
      Warn(line,
           "'solid' changes nothing: the viewer draws every entry the same whatever its solid "
           "flag",
           "solid");
    }
  }

  void CheckEntry(const SceneEntry& e, std::size_t line) {
    if (e.listId >= 1 && static_cast<std::size_t>(e.listId) <= drawn_.size()) {
      drawn_[static_cast<std::size_t>(e.listId - 1)] = true;
    }
    const std::string_view name(e.listName, strnlen(e.listName, kListNameSize));
    const bool known =
        e.listId >= 1 && objects_[static_cast<std::size_t>(e.listId - 1)].name == name;
    if (!known) {
      std::string meant;
      if (suggested_.size() < kMostSuggestedNames && suggested_.insert(std::string(name)).second) {
        std::vector<std::string_view> names;
        for (const CompiledObject& object : objects_) names.push_back(object.name);
        meant = std::string(NearestWord(name, names));
      }
      const std::string drawn = objects_.empty()
                                    ? "nothing"
                                    : "the last compiled object, \"" + objects_.back().name + "\"";
      Error(line,
            "list \"" + std::string(name) + "\" names no object of objects.txt" +
                (meant.empty() ? std::string() : " (did you mean \"" + meant + "\"?)") +
                "; the viewer draws " + drawn + " instead",
            "list " + std::string(name));
    }
    if (e.scale[0] == 0 || e.scale[1] == 0 || e.scale[2] == 0) {
      Error(line,
            "scale " + FormatValues(e.scale, 3) +
                " has a zero factor, so the object is invisible (a block without scale keeps "
                "the one before it, and the first block starts at 0)",
            "zero scale");
    }
  }

  void Ignored(std::string_view key, bool assignment, bool firstLine, std::size_t line) {
    const std::span<const std::string_view> sameForm =
        assignment ? std::span<const std::string_view>(kSceneAssignmentKeys)
                   : std::span<const std::string_view>(kSceneKeywords);
    const std::span<const std::string_view> otherForm =
        assignment ? std::span<const std::string_view>(kSceneKeywords)
                   : std::span<const std::string_view>(kSceneAssignmentKeys);
    const std::vector<std::string_view> allWords = AllSceneWords();
    std::string message;
    bool meaningful = true;
    if (firstLine && key.starts_with(kByteOrderMark)) {
      const std::string_view bare = key.substr(kByteOrderMark.size());
      meaningful = Contains(allWords, bare);
      message =
          "the file begins with a byte-order mark (bytes EF BB BF), which the reader takes "
          "as part of " +
          Quoted(bare) + ", so the line is ignored";
    } else if (!key.empty() && (key.front() == ' ' || key.front() == '\t')) {
      const std::string_view bare = WithoutIndent(key);
      meaningful = Contains(allWords, bare);
      message = std::string(key.front() == '\t' ? "a tab" : "a blank") + " before " + Quoted(bare) +
                " makes it " + Quoted(key) +
                ", which the reader does not know, so the line is ignored";
    } else if (Contains(otherForm, key)) {
      message = assignment ? Quoted(key) + " takes no value: write '" + std::string(key) +
                                 ";'; as an assignment the line is ignored"
                           : Quoted(key) + " needs a value, such as '" + std::string(key) +
                                 "=...;'; as a line of its own it is ignored";
    } else {
      const std::string_view meant = NearestWord(key, sameForm);
      meaningful = !meant.empty();
      message = std::string(assignment ? "unknown key " : "unknown keyword ") + Quoted(key) +
                (meant.empty() ? std::string() : " (did you mean " + Quoted(meant) + "?)") +
                "; the line is ignored";
    }
    if (meaningful) {
      Error(line, message, message);
    } else {
      Warn(line, message, message);
    }
  }

  // Lines after an accepted "end;" are never read.
  void AfterEnd(PieceLines& lines, std::size_t endLine) {
    while (lines.Next()) {
      if (lines.Raw().find_first_not_of(" \t\r\n") == std::string_view::npos) continue;
      Warn(lines.Line(), "the reading ends at \"end;\" on line " + std::to_string(endLine) +
                             ", so this line and those after it are never read");
      return;
    }
  }

  const CompiledObjects& objects_;
  Findings& findings_;
  std::vector<bool> drawn_;
  SceneStore store_;
  std::size_t componentLine_[3][3] = {};
  std::unordered_set<std::string> suggested_;
};

}  // namespace

std::vector<bool> CheckScene(LineReader& reader, const CompiledObjects& objects, Findings& findings,
                             std::stop_token stop) {
  return SceneCheck(objects, findings).Run(reader, std::move(stop));
}
