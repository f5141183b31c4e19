#include "check/check_objects.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "check/piece_lines.h"
#include "check/written_text.h"
#include "compiler/primitive_emitter.h"
#include "compiler/statement_roles.h"
#include "objects/object_reader.h"
#include "objects/statement_parser.h"
#include "store/ascii.h"

namespace {

constexpr const char* kFile = "objects.txt";
constexpr std::string_view kNumberRule =
    "the reader starts a component at its first digit or '-' and ends the number at the first "
    "character that cannot continue it";
constexpr const char* kAxisNames[] = {"x", "y", "z", "4th component"};
constexpr const char* kTexAxisNames[] = {"s", "t"};

// What the reading learnt of a statement that the walk needs.
enum FactFlag : std::uint8_t {
  kContinuesLine = 1,   // a later piece of a line cut at the piece limit
  kIndented = 2,        // blanks or tabs before the key
  kBeginsWithMark = 4,  // the key begins with the file's byte-order mark
  kUnterminated = 8,    // a name without ';' or a vector without ')', reported as read
};
struct StatementFacts {
  std::uint32_t line;
  std::uint8_t flags;
};

std::string_view Text(const char* field, std::size_t size) {
  const void* end = std::memchr(field, '\0', size);
  return {field,
          end == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(end) - field)};
}
std::string_view KeyOf(const Statement& s) {
  return Text(s.key, kKeySize);
}
std::string_view TextOf(const Statement& s) {
  return Text(s.text, kTextSize);
}

std::string RejectionMeaning(std::int32_t code, const Statement& s) {
  switch (code) {
    case kLineTooLong:
      return "code 1: the line is longer than 300 characters";
    case kKeyTooLong:
      return "code 2: the key before '=' or ';' has 20 or more characters";
    case kComponentTooLong:
      return "code 4: vector component " + std::string(TextOf(s).substr(12)) +
             " is longer than 10 characters";
    case kBadValue:
      return "code 5: '=' must be followed directly by '(', a digit, '-' or a letter";
    case kNumberTooLong:
      return TextOf(s) == kLargeFractionText
                 ? "code 6: a number has more than 2 digits after the point"
                 : "code 6: a number has more than 5 digits before the point";
    default:
      return "code 7: the line holds neither '=' nor ';'";
  }
}

std::vector<std::string_view> CompilerWords() {
  std::vector<std::string_view> words;
  for (const KeyRole& role : KeyRoles()) words.push_back(role.key);
  return words;
}

bool IsRunKey(const Statement& s) {
  return IsTexCoordKey(s.key) || IsVertexKey(s.key);
}

// Whether a statement with this key (and the kind and value of `s`) would do
// anything in the walk: the test of what a mistyped key costs.
// Markers only write a transcript line, so losing one changes no picture.
bool WouldAct(const Statement& s, std::string_view key) {
  Statement fixed = s;
  CopyBounded(fixed.key, key);
  const StatementRole role = DispatchRole(fixed);
  return (role != StatementRole::kNone && role != StatementRole::kMarker) || IsRunKey(fixed);
}

class ObjectCheck {
 public:
  ObjectCheck(std::size_t textureCount, Findings& findings)
      : textureCount_(textureCount), findings_(findings), words_(CompilerWords()) {}

  void Read(LineReader& reader, std::stop_token stop) {
    store_.statements.reserve(reader.SizeHint() / 16);
    PieceLines lines(reader, std::move(stop));
    TextWriter discard(nullptr);
    while (lines.Next()) {
      LineReader::Piece probeLine;
      std::memcpy(probeLine, lines.Piece(), sizeof probeLine);
      const std::int32_t result =
          ReadObjectPiece(store_, lines.Piece(), static_cast<std::int32_t>(lines.Index()), discard);
      // The same line once more into a statement whose fields hold marks no
      // line can write, which shows exactly which fields the line wrote.
      Statement probe{};
      probe.kind = static_cast<StatementKind>(7);
      for (float& slot : probe.vector) slot = std::numeric_limits<float>::quiet_NaN();
      probe.text[0] = '\x01';
      ParseStatement(probeLine, probe, discard);

      StatementFacts facts{static_cast<std::uint32_t>(lines.Line()), 0};
      const std::size_t line = lines.Line();
      if (lines.Continues()) {
        facts.flags |= kContinuesLine;
        if (lines.FirstCut()) {
          // What was said about the line's first piece is void: the line is cut.
          pending_.clear();
          gaps_.erase(facts_.size() - 1);
          facts_.back().flags |= kContinuesLine;
          Error(
              line,
              "the line is longer than the reader takes at once (253 characters and the line "
              "break): it is cut into pieces of 254 characters, each parsed as a line of its own");
        }
      } else {
        // Until the next piece shows whether this line was cut, its findings wait.
        CommitPending();
        LookAtLine(lines, result, probe, facts);
      }
      facts_.push_back(facts);
      for (std::size_t k = 0; k < 4; ++k) {
        if (!std::isnan(probe.vector[k])) slotLine_[k] = line;
      }
      if (probe.kind != 7) kindLine_ = line;
      if (probe.text[0] != '\x01') textLine_ = line;
    }
    CommitPending();
  }

  CompiledObjects Walk() {
    const std::vector<Statement>& statements = store_.statements;
    for (std::size_t i = 0; i < statements.size(); ++i) {
      const Statement& s = statements[i];
      switch (DispatchRole(s)) {
        case StatementRole::kStop:
          ReportStop(i);
          i = statements.size();
          break;
        case StatementRole::kEndList:
          if (!objectOpen_) Warn(i, "\"endlist\" with no object open (glEndList is still issued)");
          objectOpen_ = false;
          break;
        case StatementRole::kMarker:
          break;
        case StatementRole::kNewList:
          OpenObject(i);
          break;
        case StatementRole::kPrimitive:
          i = Primitive(i);
          break;
        case StatementRole::kTextureBinding:
          i = Binding(i);
          break;
        case StatementRole::kNone:
          Ignored(i);
          break;
      }
    }
    if (objectOpen_) {
      Warn(openIndex_, "object \"" + objects_.back().name +
                           "\" has no \"endlist\" (the viewer closes it at the end)");
    }
    return std::move(objects_);
  }

 private:
  std::size_t Line(std::size_t i) const { return facts_[i].line; }
  Finding& Error(std::size_t line, std::string message, std::string group = {}) {
    return AddFinding(findings_, kFile, line, Severity::kError, std::move(message),
                      std::move(group));
  }
  Finding& Warn(std::size_t i, std::string message, std::string group = {}) {
    return AddFinding(findings_, kFile, Line(i), Severity::kWarning, std::move(message),
                      std::move(group));
  }
  Finding& ErrorAt(std::size_t i, std::string message, std::string group = {}) {
    return Error(Line(i), std::move(message), std::move(group));
  }
  // A finding about the text of the line being read, held until it is known
  // whether the line goes on in the next piece.
  Finding& Hold(std::size_t line, Severity severity, std::string message, std::string group) {
    pending_.push_back({kFile, line, severity, std::move(message), {}, std::move(group), 0, line});
    return pending_.back();
  }
  void CommitPending() {
    for (Finding& finding : pending_) findings_.Add(std::move(finding));
    pending_.clear();
  }

  // What the text of a line shows beside the statement made of it.
  void LookAtLine(const PieceLines& lines, std::int32_t result, const Statement& probe,
                  StatementFacts& facts) {
    const std::size_t line = lines.Line();
    const Statement& s = store_.statements.back();
    std::string_view text = lines.Raw();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    if (lines.Index() == 0 && text.starts_with(kByteOrderMark)) facts.flags |= kBeginsWithMark;
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) facts.flags |= kIndented;
    if (result != kParsed) {
      Hold(line, Severity::kError, "rejected line (" + RejectionMeaning(result, s) + ")",
           "rejected " + std::to_string(result))
          .notes.push_back(
              {line, "the parse log reports it as \"Parse-Error: " + std::to_string(result) +
                         " in Line: " + std::to_string(lines.Index()) + ".\""});
      return;
    }
    const std::size_t equals = text.find_first_of("=;");
    if (equals == std::string_view::npos || text[equals] == ';') return;
    const std::string_view value = text.substr(equals + 1);
    const bool vector = value.starts_with('(');
    const bool name =
        !vector && !value.empty() && LowerAscii(value[0]) >= 'a' && LowerAscii(value[0]) <= 'z';
    const bool kindWritten = probe.kind != 7;
    if ((vector || name) && !kindWritten) {
      facts.flags |= kUnterminated;
      const std::string from = kindLine_ == 0 ? std::string(" (no line set one)")
                                              : " of line " + std::to_string(kindLine_);
      Hold(line, Severity::kError,
           std::string(vector ? "no ')' closes the vector, so the line"
                              : "no ';' ends the name, so it is not stored and the line") +
               " keeps the kind of value" + from +
               (name && textLine_ > 0
                    ? " and the name " + Quoted(TextOf(s)) + " of line " + std::to_string(textLine_)
                    : std::string()),
           vector ? "unterminated vector" : "unterminated name");
    } else if (vector) {
      const std::string misread =
          MisreadVector(value, s.vector, static_cast<std::size_t>(s.kind), 4, kNumberRule);
      // Misreads of the same text are one mistake, whatever the values around it.
      if (!misread.empty()) {
        Hold(line, Severity::kError, misread, misread.substr(misread.rfind(": ")));
      }
    }
    if (IsRunKey(s)) NoteGap(line, s, probe);
  }

  // A coordinate or vertex that writes fewer components than it uses draws
  // with what earlier lines left; reported if the walk finds it in a run.
  void NoteGap(std::size_t line, const Statement& s, const Statement& probe) {
    const bool vertex = IsVertexKey(s.key);
    const std::size_t used = vertex ? kVertexComponents : kTexCoordComponents;
    std::size_t written = 0;
    while (written < used && !std::isnan(probe.vector[written])) ++written;
    if (written >= used) return;
    std::string message = std::string(vertex ? "vertex " : "texture coordinate ") +
                          Quoted(KeyOf(s)) + " gives " + std::to_string(written) + " of its " +
                          std::to_string(used) + " components; ";
    if (written == 0 && (s.kind == kBareKeyword || s.kind == kName)) {
      const std::string_view meant = NearestWord(KeyOf(s), words_);
      message = "key " + Quoted(KeyOf(s)) +
                (meant.empty() ? std::string() : " (did you mean " + Quoted(meant) + "?)") +
                " is taken as a " + (vertex ? "vertex" : "texture coordinate") +
                " without values of its own; ";
    }
    for (std::size_t k = written; k < used; ++k) {
      message += std::string(k > written ? ", " : "") +
                 (vertex ? kAxisNames[k] : kTexAxisNames[k]) + " is " +
                 FormatValue(static_cast<double>(s.vector[k])) +
                 (slotLine_[k] == 0 ? std::string(" (no line set it)")
                                    : " from line " + std::to_string(slotLine_[k]));
    }
    gaps_.emplace(store_.statements.size() - 1,
                  Finding{kFile,
                          line,
                          Severity::kWarning,
                          message,
                          {},
                          "gap " + std::string(KeyOf(s).substr(0, 1)) + std::to_string(written),
                          0,
                          line});
  }

  void ReportStop(std::size_t stop) {
    std::string lost;
    std::size_t count = 0;
    for (std::size_t i = stop; i < store_.statements.size(); ++i) {
      if (DispatchRole(store_.statements[i]) != StatementRole::kNewList) continue;
      if (++count <= 10)
        lost += (count > 1 ? ", " : "") + std::string(TextOf(store_.statements[i]));
    }
    std::string message = "compilation stops at this first rejected line";
    if (count == 0) {
      message += "; no object follows it";
    } else {
      message += "; the objects after it are lost: " + lost;
      if (count > 10) message += " and " + std::to_string(count - 10) + " more";
    }
    ErrorAt(stop, message);
  }

  void OpenObject(std::size_t i) {
    if (objectOpen_) {
      ErrorAt(openIndex_,
              "object \"" + objects_.back().name +
                  "\" has no \"endlist\" before the next \"name\", so the next object is "
                  "compiled into it",
              "no endlist");
    }
    const std::string_view written = TextOf(store_.statements[i]);
    std::string name(written.substr(0, kListNameSize - 1));
    if (written.size() > name.size()) {
      Warn(i,
           "object name " + Quoted(written) + " is cut to its first 19 characters, " + Quoted(name),
           "long name");
    }
    const auto [earlier, inserted] =
        firstUse_.emplace(name, FirstUse{Line(i), std::string(written)});
    if (!inserted && earlier->second.written != written) {
      ErrorAt(i,
              "object name " + Quoted(written) + " becomes " + Quoted(name) +
                  " once cut to 19 characters, the same as the name at line " +
                  std::to_string(earlier->second.line) + "; scene.txt always finds that first one",
              "names equal once cut")
          .notes.push_back({earlier->second.line, "the first object cut to " + Quoted(name)});
    } else if (!inserted) {
      Warn(i,
           "object name \"" + name + "\" is also used at line " +
               std::to_string(earlier->second.line) + "; scene.txt always finds that first one",
           "name used twice");
    }
    objects_.push_back({name, Line(i)});
    objectOpen_ = true;
    openIndex_ = i;
  }

  void CheckTexture(std::size_t i) {
    const float number = store_.statements[i].vector[0];
    std::size_t slot = 0;
    if (!TextureSlot(number, textureCount_, slot)) {
      ErrorAt(i,
              "texture number " + FormatValue(static_cast<double>(number)) +
                  " names no line of textures.txt (it has " + std::to_string(textureCount_) +
                  "); the primitive is drawn untextured",
              "texture number");
    }
  }

  std::size_t Binding(std::size_t i) {
    CheckTexture(i);
    const std::vector<Statement>& statements = store_.statements;
    StatementList list(statements);
    const BindingShape shape = ShapeOfBinding(list, i);
    if (!shape.pair) return i;
    CheckTexture(shape.second);
    if (shape.primitive >= statements.size()) {
      Warn(shape.second, "a pair of \"textur\" statements at the end of the file draws nothing");
      return statements.size();
    }
    // The walk stops at a rejected line after the pair.
    if (!IsAccepted(statements[shape.primitive])) return shape.second;
    if (DispatchRole(statements[shape.primitive]) != StatementRole::kPrimitive) {
      Warn(shape.primitive,
           "after two \"textur\" statements the viewer takes this line as the primitive's "
           "\"type\" statement");
    }
    return Primitive(shape.primitive);
  }

  // Checks the primitive named at `at` and returns the index of the last
  // statement of its run (or `at` when the run is empty).
  std::size_t Primitive(std::size_t at) {
    const std::vector<Statement>& statements = store_.statements;
    const char* name = statements[at].text;
    if (!IsPrimitiveName(name)) {
      const std::vector<std::string_view> names = PrimitiveNames();
      const std::string_view meant = NearestWord(name, names);
      // A misspelt gl_quads draws what was meant; any other misspelt name
      // draws quads instead of its own primitive.
      if (!meant.empty() &&
          PrimitiveModeForName(std::string(meant).c_str()) != PrimitiveMode::kQuads) {
        ErrorAt(at, "unknown primitive \"" + std::string(name) + "\" (did you mean \"" +
                        std::string(meant) + "\"?) is drawn as gl_quads");
      } else {
        Warn(at, "unknown primitive \"" + std::string(name) + "\" is drawn as gl_quads");
      }
    }
    std::size_t last = at;
    for (std::size_t j = at + 1;
         j < statements.size() && IsAccepted(statements[j]) && IsRunKey(statements[j]); ++j) {
      const auto gap = gaps_.find(j);
      if (gap != gaps_.end()) findings_.Add(gap->second);
      last = j;
    }
    const PrimitiveMode mode = PrimitiveModeForName(name);
    StatementList list(statements);
    const std::size_t vertices = CountRunVertices(list, at + 1);
    const std::size_t needed = static_cast<std::size_t>(MinimumVertices(mode));
    if (vertices < needed) {
      ErrorAt(at, "the primitive draws nothing: it has " + std::to_string(vertices) + " vert" +
                      (vertices == 1 ? "ex" : "ices") + ", and " +
                      (IsPrimitiveName(name) ? std::string(name) : "gl_quads") +
                      " needs at least " + std::to_string(needed));
    }
    runStart_ = at;
    runEnd_ = last;
    return last;
  }

  void Ignored(std::size_t i) {
    const Statement& s = store_.statements[i];
    const StatementFacts facts = facts_[i];
    // A cut line is reported once, and an unterminated value where it is read.
    if (facts.flags & (kContinuesLine | kUnterminated)) return;
    std::string_view key = KeyOf(s);
    const bool valueless = s.kind == kBareKeyword || s.kind == kName;
    if (IsRunKey(s) && (!valueless || NearestWord(key, words_).empty())) {
      Warn(i, "texture coordinate or vertex outside a primitive is ignored", "outside");
      return;
    }
    std::string message;
    bool acts = false;
    if (facts.flags & kBeginsWithMark) {
      key.remove_prefix(kByteOrderMark.size());
      acts = WouldAct(s, key);
      message =
          "the file begins with a byte-order mark (bytes EF BB BF), which the reader takes "
          "as part of the key " +
          Quoted(key) + ", so the line has no effect";
    } else if (facts.flags & kIndented) {
      const std::string_view bare = WithoutIndent(key);
      acts = WouldAct(s, bare);
      message = std::string(key.front() == '\t' ? "a tab" : "a blank") + " before the key " +
                Quoted(bare) + " makes it the key " + Quoted(key) +
                ", which the compiler does not know, so the line has no effect";
    } else if (const KeyRole* role = RoleOfKey(key)) {
      acts = role->role != StatementRole::kMarker;
      message = Quoted(key) + " " + Needs(*role) + ", so the line has no effect";
    } else if (const std::string_view meant = NearestWord(key, words_); !meant.empty()) {
      acts = true;
      message = "unknown key " + Quoted(key) + " (did you mean " + Quoted(meant) +
                "?); the line has no effect";
    } else if ((key.starts_with('t') || key.starts_with('p')) && s.kind >= kNumber &&
               s.kind <= kVector4) {
      acts = true;
      message = "key " + Quoted(key) + " has more than 3 characters, so it is no " +
                (key.starts_with('t') ? "texture coordinate" : "vertex") +
                " and the line has no effect";
    } else {
      message = "unknown key " + Quoted(key) + "; the line has no effect";
    }
    // Indented keys fold together whatever the key, so a file indented
    // throughout reads as one mistake.
    const std::string group = facts.flags & kIndented ? "indented" : message;
    Finding& finding = acts ? ErrorAt(i, message, group) : Warn(i, message, group);
    if (runEnd_ + 1 == i && i > 0 && i + 1 < store_.statements.size() &&
        IsRunKey(store_.statements[i + 1])) {
      finding.notes.push_back({Line(runStart_),
                               "it ends the primitive begun here, so the coordinates and vertices "
                               "after it are outside any primitive"});
    }
  }

  static const KeyRole* RoleOfKey(std::string_view key) {
    for (const KeyRole& role : KeyRoles()) {
      if (role.key == key) return &role;
    }
    return nullptr;
  }

  static std::string Needs(const KeyRole& role) {
    switch (role.kind) {
      case kName:
        return "needs a name after '=', such as '" + std::string(role.key) + "=box;'";
      case kVector3:
        return "needs a vector of three components: texture number, s and t repeats";
      default:
        return "takes no value: write '" + std::string(role.key) + ";'";
    }
  }

  struct FirstUse {
    std::size_t line;
    std::string written;
  };

  SceneStore store_;
  std::size_t textureCount_;
  Findings& findings_;
  std::vector<std::string_view> words_;
  std::vector<StatementFacts> facts_;
  std::unordered_map<std::size_t, Finding> gaps_;
  std::size_t slotLine_[4] = {};
  std::vector<Finding> pending_;
  std::size_t kindLine_ = 0;
  std::size_t textLine_ = 0;

  CompiledObjects objects_;
  std::unordered_map<std::string, FirstUse> firstUse_;
  bool objectOpen_ = false;
  std::size_t openIndex_ = 0;
  std::size_t runStart_ = std::numeric_limits<std::size_t>::max() - 1;
  std::size_t runEnd_ = std::numeric_limits<std::size_t>::max() - 1;
};

}  // namespace

CompiledObjects CheckObjects(LineReader& reader, std::size_t textureCount, Findings& findings,
                             std::stop_token stop) {
  ObjectCheck check(textureCount, findings);
  check.Read(reader, stop);
  if (stop.stop_requested()) return {};  // the walk would speak of a file cut short
  return check.Walk();
}
