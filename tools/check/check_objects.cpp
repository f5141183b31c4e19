#include "tools/check/check_objects.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "objects/object_reader.h"
#include "objects/statement_parser.h"
#include "tools/check/piece_lines.h"

namespace {

constexpr const char* kFile = "objects.txt";

const char* const kPrimitiveNames[] = {"gl_quads", "gl_quad_strip", "gl_triangles",
                                       "gl_triangle_fan", "gl_triangle_strip"};

std::string RejectionMeaning(const Statement& s) {
  const std::string_view text = s.text;
  if (text == "Large Input") return "code 1: the line is longer than 300 characters";
  if (text == "Large CMD") return "code 2: the key before '=' or ';' has 20 or more characters";
  if (text.starts_with("Large value ")) {
    return "code 4: vector component " + std::string(text.substr(12)) +
           " is longer than 10 characters";
  }
  if (text == "bad values") {
    return "code 5: '=' must be followed directly by '(', a digit, '-' or a letter";
  }
  if (text == "Large Value") return "code 6: a number has more than 5 digits before the point";
  if (text == "After . Large") return "code 6: a number has more than 2 digits after the point";
  return "code 7: the line holds neither '=' nor ';'";
}

bool IsCoordinateOrVertex(const Statement& s) {
  return (s.key[0] == 't' || s.key[0] == 'p') && std::strlen(s.key) <= 3;
}

bool IsKnownPrimitive(const char* name) {
  for (const char* known : kPrimitiveNames) {
    if (std::strcmp(name, known) == 0) return true;
  }
  return false;
}

class ObjectWalk {
 public:
  ObjectWalk(const std::vector<Statement>& statements, const std::vector<PieceText>& pieces,
             std::size_t textureCount, Findings& findings)
      : statements_(statements),
        pieces_(pieces),
        textureCount_(textureCount),
        findings_(findings) {}

  CompiledNames Run() {
    ReportRejectedLines();
    std::size_t i = 0;
    for (; i < statements_.size(); ++i) {
      const Statement& s = statements_[i];
      if (s.kind < kBareKeyword || s.kind > kName) {
        ReportStop(i);
        break;
      }
      if (s.kind == kBareKeyword && Key(s, "endlist")) {
        if (openName_.empty())
          Warn(i, "\"endlist\" with no object open (glEndList is still issued)");
        openName_.clear();
      } else if (s.kind == kName && Key(s, "name")) {
        OpenObject(i);
      } else if (s.kind == kName && Key(s, "type")) {
        i = Primitive(i, i);
      } else if (s.kind == kVector3 && Key(s, "textur")) {
        CheckTexture(i);
        if (i + 1 < statements_.size() && Key(statements_[i + 1], "textur")) {
          CheckTexture(i + 1);
          if (i + 2 >= statements_.size()) {
            Warn(i + 1, "a pair of \"textur\" statements at the end of the file draws nothing");
            i = statements_.size();
            break;
          }
          if (!IsAccepted(statements_[i + 2])) {
            ++i;  // the walk stops at the rejected line after the pair
            continue;
          }
          if (!Key(statements_[i + 2], "type")) {
            Warn(i + 2,
                 "after two \"textur\" statements the viewer takes this line as the "
                 "primitive's \"type\" statement");
          }
          i = Primitive(i + 2, i + 2);
        }
      } else if (IsCoordinateOrVertex(s)) {
        Warn(i, "texture coordinate or vertex outside a primitive is ignored");
      }
    }
    if (!openName_.empty()) {
      Warn(openIndex_, "object \"" + openName_ + "\" has no \"endlist\" (the viewer closes it)");
    }
    return names_;
  }

 private:
  static bool Key(const Statement& s, const char* key) { return std::strcmp(s.key, key) == 0; }

  std::size_t Line(std::size_t i) const { return i < pieces_.size() ? pieces_[i].line : 0; }
  void Warn(std::size_t i, std::string message) {
    AddFinding(findings_, kFile, Line(i), Severity::kWarning, std::move(message));
  }
  void Error(std::size_t i, std::string message) {
    AddFinding(findings_, kFile, Line(i), Severity::kError, std::move(message));
  }

  void ReportRejectedLines() {
    for (std::size_t i = 0; i < statements_.size(); ++i) {
      if (statements_[i].kind == kRejected) {
        Error(i, "rejected line (" + RejectionMeaning(statements_[i]) + ")");
      }
    }
  }

  void ReportStop(std::size_t stop) {
    std::string lost;
    std::size_t count = 0;
    for (std::size_t i = stop; i < statements_.size(); ++i) {
      const Statement& s = statements_[i];
      if (s.kind != kName || !Key(s, "name")) continue;
      if (++count <= 10) lost += (count > 1 ? ", " : "") + std::string(s.text);
    }
    std::string message = "compilation stops at this first rejected line";
    if (count == 0) {
      message += "; no object follows it";
    } else {
      message += "; the objects after it are lost: " + lost;
      if (count > 10) message += " and " + std::to_string(count - 10) + " more";
    }
    Error(stop, message);
  }

  void OpenObject(std::size_t i) {
    if (!openName_.empty()) {
      Warn(openIndex_, "object \"" + openName_ + "\" has no \"endlist\" before the next \"name\"");
    }
    std::string name(statements_[i].text);
    if (name.size() > kListNameSize - 1) name.resize(kListNameSize - 1);
    const auto [earlier, inserted] = firstLine_.emplace(name, Line(i));
    if (!inserted) {
      Warn(i, "object name \"" + name + "\" is also used at line " +
                  std::to_string(earlier->second) + "; scene.txt always finds that first one");
    }
    names_.push_back(name);
    openName_ = name;
    openIndex_ = i;
  }

  void CheckTexture(std::size_t i) {
    const float number = statements_[i].vector[0];
    const double index = std::trunc(static_cast<double>(number));
    if (!(index >= 0 && index < static_cast<double>(textureCount_))) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "texture number %g names no line of textures.txt (it has %zu); the "
                    "primitive is drawn untextured",
                    static_cast<double>(number), textureCount_);
      Warn(i, text);
    }
  }

  // Checks the primitive named at `typeIndex` and returns the index of the
  // last statement of its vertex run (or `typeIndex` when the run is empty).
  std::size_t Primitive(std::size_t typeIndex, std::size_t last) {
    if (!IsKnownPrimitive(statements_[typeIndex].text)) {
      Warn(typeIndex, "unknown primitive \"" + std::string(statements_[typeIndex].text) +
                          "\" is drawn as gl_quads");
    }
    for (std::size_t j = typeIndex + 1; j < statements_.size() && IsAccepted(statements_[j]) &&
                                        IsCoordinateOrVertex(statements_[j]);
         ++j) {
      last = j;
    }
    return last;
  }

  const std::vector<Statement>& statements_;
  const std::vector<PieceText>& pieces_;
  std::size_t textureCount_;
  Findings& findings_;
  CompiledNames names_;
  std::map<std::string, std::size_t> firstLine_;
  std::string openName_;
  std::size_t openIndex_ = 0;
};

}  // namespace

CompiledNames CheckObjects(std::string_view bytes, std::size_t textureCount, Findings& findings) {
  SceneStore store;
  LineReader reader(bytes);
  std::FILE* discard = std::fopen("/dev/null", "w");
  {
    TextWriter log(discard);
    ReadObjectPieces(store, reader, log);
  }
  if (discard != nullptr) std::fclose(discard);
  const std::vector<PieceText> pieces = SplitIntoPieces(bytes);
  return ObjectWalk(store.statements, pieces, textureCount, findings).Run();
}
