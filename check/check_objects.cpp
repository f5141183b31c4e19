#include "check/check_objects.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <string_view>
#include <unordered_map>

#include "check/piece_lines.h"
#include "check/written_text.h"
#include "compiler/primitive_emitter.h"
#include "compiler/statement_roles.h"
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
  kGap = 16,            // a coordinate or vertex with components from earlier lines
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

// A statement whose fields hold marks no line can write, so that parsing a
// line into it shows exactly which fields the line wrote: no key begins with
// '=' (the key ends there), no text with byte 1 (names begin with a letter,
// error texts are fixed), no number or component is NaN, and no kind is 7.
constexpr auto kKindNotWritten = static_cast<StatementKind>(7);
Statement MarkedStatement() {
  Statement marked{};
  marked.kind = kKindNotWritten;
  marked.key[0] = '=';
  marked.text[0] = '\x01';
  marked.number = std::numeric_limits<float>::quiet_NaN();
  for (float& slot : marked.vector) slot = std::numeric_limits<float>::quiet_NaN();
  return marked;
}

// Carries what a line wrote into `marked` over into `current`: the parser
// writes only the fields its outcome uses, and every other field keeps what
// earlier lines left there, as in the reader's own current statement.
void CarryWritten(const Statement& marked, Statement& current) {
  if (marked.kind != kKindNotWritten) current.kind = marked.kind;
  if (marked.key[0] != '=') CopyBounded(current.key, KeyOf(marked));
  if (marked.text[0] != '\x01') CopyBounded(current.text, TextOf(marked));
  if (!std::isnan(marked.number)) current.number = marked.number;
  for (std::size_t k = 0; k < 4; ++k) {
    if (!std::isnan(marked.vector[k])) current.vector[k] = marked.vector[k];
  }
}

// Reads objects.txt as the walk asks for its statements and walks them with
// the compiler's rules. Only the statements from the walk's position to the
// farthest it has looked ahead are kept (the pieces of a primitive's run, a
// pair of bindings), with at most as many it has passed, so the memory stays
// flat however long the file is.
class ObjectCheck final : public StatementSource {
 public:
  ObjectCheck(LineReader& reader, std::size_t textureCount, Findings& findings,
              std::stop_token stop)
      : lines_(reader, std::move(stop)),
        textureCount_(textureCount),
        findings_(findings),
        words_(CompilerWords()) {}

  // The statement at `position` once read; a statement's facts are known once
  // the piece after it is read (it may show that the line was cut), so that
  // piece is read too. Null past the end of the file, or once stopped. Reading
  // may move the statements and facts taken before.
  const Statement* At(std::size_t position) override {
    while (!ended_ && first_ + window_.size() <= position + 1) ReadPiece();
    if (position < first_ || position >= first_ + window_.size()) return nullptr;
    return &window_[position - first_].statement;
  }

  CompiledObjects Walk() {
    bool stopped = false;
    for (std::size_t i = 0; !stopped; ++i) {
      if (At(i) == nullptr) break;
      Pass(i);
      switch (DispatchRole(Kept(i).statement)) {
        case StatementRole::kStop:
          ReportStop(i);
          stopped = true;
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
      Report(openLine_, Severity::kWarning,
             "object \"" + objects_.back().name +
                 "\" has no \"endlist\" (the viewer closes it at the end)");
    }
    return std::move(objects_);
  }

 private:
  // What is kept of a statement while the walk may still look at it.
  struct Read {
    Statement statement;
    StatementFacts facts;
  };

  // Reads one piece into the window; false (and the end) when none is left.
  void ReadPiece() {
    if (!lines_.Next()) {
      ended_ = true;
      CommitPending();
      return;
    }
    Statement probe = MarkedStatement();
    const std::int32_t result = ParseStatement(lines_.Piece(), probe, discard_);
    CarryWritten(probe, current_);
    window_.push_back({current_, {static_cast<std::uint32_t>(lines_.Line()), 0}});
    StatementFacts& facts = window_.back().facts;
    const std::size_t line = lines_.Line();
    if (lines_.Continues()) {
      facts.flags |= kContinuesLine;
      if (lines_.FirstCut()) {
        // What was said about the line's first piece is void: the line is cut.
        pending_.clear();
        if (window_.size() > 1) {
          const std::size_t before = first_ + window_.size() - 2;
          window_[window_.size() - 2].facts.flags |= kContinuesLine;
          window_[window_.size() - 2].facts.flags &= ~kGap;
          gaps_.erase(before);
        }
        Report(line, Severity::kError,
               "the line is longer than the reader takes at once (253 characters and the line "
               "break): it is cut into pieces of 254 characters, each parsed as a line of its own");
      }
    } else {
      // Until the next piece shows whether this line was cut, its findings wait.
      CommitPending();
      LookAtLine(result, probe, facts);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      if (!std::isnan(probe.vector[k])) slotLine_[k] = line;
    }
    if (probe.kind != kKindNotWritten) kindLine_ = line;
    if (probe.text[0] != '\x01') textLine_ = line;
  }

  // The walk has reached `position`, which has been read: nothing before it
  // is looked at again. The statements passed are dropped in bulk, once they
  // are half the window, so the room is reused without allocating anew.
  // Statements and facts taken before a call may have moved after it.
  void Pass(std::size_t position) {
    const std::size_t passed = position - first_;
    if (passed >= kFewestDropped && passed * 2 >= window_.size()) {
      window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(passed));
      first_ = position;
    }
    while (!gaps_.empty() && gaps_.begin()->first < position) gaps_.erase(gaps_.begin());
  }

  const Read& Kept(std::size_t i) const { return window_[i - first_]; }
  std::size_t Line(std::size_t i) const { return Kept(i).facts.line; }
  Finding& Report(std::size_t line, Severity severity, std::string message,
                  std::string group = {}) {
    return AddFinding(findings_, kFile, line, severity, std::move(message), std::move(group));
  }
  Finding& Warn(std::size_t i, std::string message, std::string group = {}) {
    return Report(Line(i), Severity::kWarning, std::move(message), std::move(group));
  }
  Finding& ErrorAt(std::size_t i, std::string message, std::string group = {}) {
    return Report(Line(i), Severity::kError, std::move(message), std::move(group));
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
  void LookAtLine(std::int32_t result, const Statement& probe, StatementFacts& facts) {
    const std::size_t line = lines_.Line();
    const Statement& s = current_;
    std::string_view text = lines_.Raw();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    if (lines_.Index() == 0 && text.starts_with(kByteOrderMark)) facts.flags |= kBeginsWithMark;
    if (!text.empty() && (text.front() == ' ' || text.front() == '\t')) facts.flags |= kIndented;
    if (result != kParsed) {
      Hold(line, Severity::kError, "rejected line (" + RejectionMeaning(result, s) + ")",
           "rejected " + std::to_string(result))
          .notes.push_back(
              {line, "the parse log reports it as \"Parse-Error: " + std::to_string(result) +
                         " in Line: " + std::to_string(lines_.Index()) + ".\""});
      return;
    }
    const std::size_t equals = text.find_first_of("=;");
    if (equals == std::string_view::npos || text[equals] == ';') return;
    const std::string_view value = text.substr(equals + 1);
    const bool vector = value.starts_with('(');
    const bool name =
        !vector && !value.empty() && LowerAscii(value[0]) >= 'a' && LowerAscii(value[0]) <= 'z';
    const bool kindWritten = probe.kind != kKindNotWritten;
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
    if (IsRunKey(s)) NoteGap(line, s, probe, facts);
  }

  // A coordinate or vertex that writes fewer components than it uses draws
  // with what earlier lines left; reported if the walk finds it in a run.
  void NoteGap(std::size_t line, const Statement& s, const Statement& probe,
               StatementFacts& facts) {
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
    facts.flags |= kGap;
    gaps_.emplace(first_ + window_.size() - 1,
                  Finding{kFile,
                          line,
                          Severity::kWarning,
                          message,
                          {},
                          "gap " + std::string(KeyOf(s).substr(0, 1)) + std::to_string(written),
                          0,
                          line});
  }

  // Reads the rest of the file, which the compiler never reaches, for the
  // names of the objects lost there.
  void ReportStop(std::size_t stop) {
    const std::size_t stopLine = Line(stop);
    std::string lost;
    std::size_t count = 0;
    for (std::size_t i = stop; At(i) != nullptr; ++i) {
      Pass(i);
      const Statement& s = Kept(i).statement;
      if (DispatchRole(s) != StatementRole::kNewList) continue;
      if (++count <= 10) lost += (count > 1 ? ", " : "") + std::string(TextOf(s));
    }
    std::string message = "compilation stops at this first rejected line";
    if (count == 0) {
      message += "; no object follows it";
    } else {
      message += "; the objects after it are lost: " + lost;
      if (count > 10) message += " and " + std::to_string(count - 10) + " more";
    }
    Report(stopLine, Severity::kError, message);
  }

  void OpenObject(std::size_t i) {
    if (objectOpen_) {
      Report(openLine_, Severity::kError,
             "object \"" + objects_.back().name +
                 "\" has no \"endlist\" before the next \"name\", so the next object is "
                 "compiled into it",
             "no endlist");
    }
    const std::string_view written = TextOf(Kept(i).statement);
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
    openLine_ = Line(i);
  }

  void CheckTexture(std::size_t i) {
    const float number = Kept(i).statement.vector[0];
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
    const BindingShape shape = ShapeOfBinding(*this, i);
    if (!shape.pair) return i;
    CheckTexture(shape.second);
    const Statement* primitive = At(shape.primitive);
    if (primitive == nullptr) {
      Warn(shape.second, "a pair of \"textur\" statements at the end of the file draws nothing");
      return shape.primitive;
    }
    // The walk stops at a rejected line after the pair.
    if (!IsAccepted(*primitive)) return shape.second;
    if (DispatchRole(*primitive) != StatementRole::kPrimitive) {
      Warn(shape.primitive,
           "after two \"textur\" statements the viewer takes this line as the primitive's "
           "\"type\" statement");
    }
    return Primitive(shape.primitive);
  }

  // Checks the primitive named at `at` and returns the index of the last
  // statement of its run (or `at` when the run is empty).
  std::size_t Primitive(std::size_t at) {
    const std::size_t line = Line(at);
    char name[kTextSize];
    std::memcpy(name, Kept(at).statement.text, sizeof name);
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
    // Counted before the run is walked, and no further than it needs: the
    // statements the walk passes are let go, so a run of any length is kept
    // a few statements at a time.
    const PrimitiveMode mode = PrimitiveModeForName(name);
    const std::size_t needed = static_cast<std::size_t>(MinimumVertices(mode));
    const std::size_t vertices = CountRunVertices(*this, at + 1, needed);
    std::size_t last = at;
    for (std::size_t j = at + 1;; ++j) {
      const Statement* s = At(j);
      if (s == nullptr || !IsAccepted(*s) || !IsRunKey(*s)) break;
      Pass(j);
      if (Kept(j).facts.flags & kGap) {
        const auto gap = gaps_.find(j);
        if (gap != gaps_.end()) findings_.Add(gap->second);
      }
      last = j;
    }
    if (vertices < needed) {
      Report(line, Severity::kError,
             "the primitive draws nothing: it has " + std::to_string(vertices) + " vert" +
                 (vertices == 1 ? "ex" : "ices") + ", and " +
                 (IsPrimitiveName(name) ? std::string(name) : "gl_quads") + " needs at least " +
                 std::to_string(needed));
    }
    runStartLine_ = line;
    runEnd_ = last;
    return last;
  }

  void Ignored(std::size_t i) {
    const Statement s = Kept(i).statement;
    const StatementFacts facts = Kept(i).facts;
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
    // Looked at before the finding is added: reading ahead may add findings,
    // which would move the one just added.
    const Statement* next = runEnd_ + 1 == i && i > 0 ? At(i + 1) : nullptr;
    Finding& finding = acts ? ErrorAt(i, message, group) : Warn(i, message, group);
    if (next != nullptr && IsRunKey(*next)) {
      finding.notes.push_back({runStartLine_,
                               "it ends the primitive begun here, so the coordinates and "
                               "vertices after it are outside any primitive"});
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

  // The reading.
  PieceLines lines_;
  TextWriter discard_{nullptr};
  Statement current_{};  // what the reader's current statement holds
  static constexpr std::size_t kFewestDropped = 256;
  std::vector<Read> window_;  // the statements from index first_ on
  std::size_t first_ = 0;
  bool ended_ = false;
  std::map<std::size_t, Finding> gaps_;  // by statement index
  std::size_t slotLine_[4] = {};
  std::vector<Finding> pending_;
  std::size_t kindLine_ = 0;
  std::size_t textLine_ = 0;

  // The walk.
  std::size_t textureCount_;
  Findings& findings_;
  std::vector<std::string_view> words_;
  CompiledObjects objects_;
  std::unordered_map<std::string, FirstUse> firstUse_;
  bool objectOpen_ = false;
  std::size_t openLine_ = 0;
  std::size_t runStartLine_ = 0;
  std::size_t runEnd_ = std::numeric_limits<std::size_t>::max() - 1;
};

}  // namespace

CompiledObjects CheckObjects(LineReader& reader, std::size_t textureCount, Findings& findings,
                             std::stop_token stop) {
  ObjectCheck check(reader, textureCount, findings, stop);
  CompiledObjects objects = check.Walk();
  if (stop.stop_requested()) return {};  // the walk spoke of a file cut short
  return objects;
}
