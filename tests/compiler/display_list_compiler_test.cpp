// The display list compiler on the off-screen GL context, with statements made
// by the real object reader: the transcript of the worked boxes, every kind of
// statement in turn and where the shared cursor leaves a run, texture numbers,
// rejected lines, the ogllist.txt file, and what the lists really draw.
#include "compiler/display_list_compiler.h"
#include "compiler/primitive_emitter.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "objects/object_reader.h"
#include "objects/object_reading_thread.h"
#include "tests/support/test_files.h"
#include "tools/offscreen_context.h"

namespace {

constexpr std::string_view kTranscriptHeader = "OPENGL-Diplay-Listen:\n\n";

class DisplayListCompiler : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(16, 16, &error);
    ASSERT_NE(context_, nullptr) << error;
  }

  // Fills a fresh store with the statements the object reader makes of
  // `objects`, and its texture table with `textures`.
  void Load(std::string_view objects, std::vector<std::uint32_t> textures = {1, 2}) {
    store_ = SceneStore{};
    LineReader reader(objects);
    CapturedStream log;
    TextWriter logWriter(log.file());
    ReadObjectPieces(store_, reader, logWriter);
    store_.textures = std::move(textures);
  }

  // Loads and compiles `objects`; returns the transcript after its header.
  std::string Compile(std::string_view objects, std::vector<std::uint32_t> textures = {1, 2}) {
    Load(objects, std::move(textures));
    CapturedStream out;
    {
      TextWriter writer(out.file());
      result_ = CompileStatements(store_, writer);
    }
    const std::string transcript = out.Text();
    EXPECT_TRUE(transcript.starts_with(kTranscriptHeader)) << transcript;
    return transcript.substr(kTranscriptHeader.size());
  }

  // The named lists as "ID NAME;" each.
  std::string NamedLists() const {
    std::string lists;
    for (const NamedList& l : store_.namedLists)
      lists += std::to_string(l.listId) + " " + l.name + ";";
    return lists;
  }

  // What lists 1 to `lists` draw, as GL's feedback of every vertex with its
  // texture coordinate, under a projection that sees far.
  static std::string Fed(std::int32_t lists) {
    std::vector<GLfloat> fed(1 << 18);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1e6, 1e6, -1e6, 1e6, -1e6, 1e6);
    glFeedbackBuffer(static_cast<GLsizei>(fed.size()), GL_4D_COLOR_TEXTURE, fed.data());
    glRenderMode(GL_FEEDBACK);
    for (std::int32_t list = 1; list <= lists; ++list) glCallList(static_cast<GLuint>(list));
    const GLint values = glRenderMode(GL_RENDER);
    glLoadIdentity();
    EXPECT_GE(values, 0) << "the feedback buffer overflowed";
    return std::string(reinterpret_cast<const char*>(fed.data()),
                       static_cast<std::size_t>(std::max(values, 0)) * sizeof(GLfloat));
  }

  static GLint Integer(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
  }

  // Clears to `background`, calls `list` and checks each {column, row from the
  // top, red, green, blue} within 2 per channel.
  void ExpectDrawn(std::array<float, 3> background, GLuint list,
                   std::initializer_list<std::array<int, 5>> pixels) {
    glClearColor(background[0], background[1], background[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glCallList(list);
    const std::vector<std::uint8_t> drawn = context_->ReadRgbTopDown();
    for (const auto& [column, row, r, g, b] : pixels) {
      const std::uint8_t* at = &drawn[(static_cast<std::size_t>(row) * 16 + column) * 3];
      EXPECT_LE(std::max({std::abs(at[0] - r), std::abs(at[1] - g), std::abs(at[2] - b)}), 2)
          << column << "," << row << ": " << int{at[0]} << " " << int{at[1]} << " " << int{at[2]};
    }
  }

  std::unique_ptr<OffscreenContext> context_;
  SceneStore store_;
  std::int32_t result_ = -1;
};

constexpr std::string_view kBox =
    "list;\nname=box;\ntextur=(0,2,2);\ntype=gl_quads;\n"
    "t1=(0,0);\np1=(-1,-1,0);\nt2=(1,0);\np2=(1,-1,0);\nendlist;\n";
const std::string kBoxPrimitive =
    "glBegin(GL_QUADS);\nglTexCoord2f(  0.00,  0.00);\nglVertex3f( -1.00, -1.00,  0.00);\n"
    "glTexCoord2f(  1.00,  0.00);\nglVertex3f(  1.00, -1.00,  0.00);\nglEnd();\n";
const std::string kBoxTranscript =
    std::string(kTranscriptHeader) +
    "List;\nglNewList((GLint) 1,GL_COMPILE);\nglBindTexture(GL_TEXTURE_2D,1);\n" + kBoxPrimitive +
    "glEndList();\n\n";
const std::string kQuads = "glBegin(GL_QUADS);\nglEnd();\n";
// Passes two: multiplied into what is drawn, then added on top.
const std::string kBlendedQuads =
    "glEnable(GL_BLEND);\nglBlendFunc(GL_DST_COLOR, GL_ZERO);\nglBindTexture(GL_TEXTURE_2D,1);\n" +
    kQuads + "glBlendFunc(GL_ONE, GL_ONE);\nglBindTexture(GL_TEXTURE_2D,2);\n" + kQuads +
    "glDisable(GL_BLEND);\n";

TEST_F(DisplayListCompiler, PrimitivesTooShortToDrawStayOutOfGl) {
  // Two vertices of a strip and then one of quads in one list crash Mesa's
  // display-list compiler; neither can draw anything, so neither reaches GL,
  // while the transcript keeps every line and the coordinate still counts.
  EXPECT_EQ(Compile("name=a;\ntextur=(0,2,-3);\ntype=gl_triangle_strip;\np=(0,0,0);\n"
                    "t=(0.5,0.25);\np=(1,0,0);\ntype=gl_quads;\np=(0,1,0);\nendlist;\n"),
            "glNewList((GLint) 1,GL_COMPILE);\nglBindTexture(GL_TEXTURE_2D,1);\n"
            "glBegin(GL_TRIANGLE_STRIP);\nglVertex3f(  0.00,  0.00,  0.00);\n"
            "glTexCoord2f(  0.50,  0.25);\nglVertex3f(  1.00,  0.00,  0.00);\nglEnd();\n"
            "glBegin(GL_QUADS);\nglVertex3f(  0.00,  1.00,  0.00);\nglEnd();\nglEndList();\n\n");
  glCallList(1);
  GLfloat current[4] = {};
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
  EXPECT_EQ(current[0], 1.0f);  // scaled by the repeat factors
  EXPECT_EQ(current[1], -0.75f);
}

TEST_F(DisplayListCompiler, WorkedBoxes) {
  EXPECT_EQ(std::string(kTranscriptHeader) + Compile(kBox), kBoxTranscript);
  EXPECT_EQ(result_, 0);
  EXPECT_EQ(NamedLists(), "1 box;");
  EXPECT_EQ(store_.statementCursor, store_.statements.size());
  EXPECT_TRUE(glIsList(1));
  EXPECT_EQ(Integer(GL_LIST_INDEX), 0);

  std::string twoTextures(kBox);
  twoTextures.insert(twoTextures.find("type="), "textur=(1,1,1);\n");
  EXPECT_EQ(Compile(twoTextures),
            "List;\nglNewList((GLint) 1,GL_COMPILE);\nglEnable(GL_BLEND);\n"
            "glBlendFunc(GL_DST_COLOR, GL_ZERO);\nglBindTexture(GL_TEXTURE_2D,1);\n" +
                kBoxPrimitive + "glBlendFunc(GL_ONE, GL_ONE);\nglBindTexture(GL_TEXTURE_2D,2);\n" +
                kBoxPrimitive + "glDisable(GL_BLEND);\nglEndList();\n\n");
  EXPECT_EQ(store_.savedStatementCursor, 4u);  // the "type" statement
}

// Each statement is compiled in its turn; a run of coordinates and vertices
// ends at any other statement, which the walk then compiles.
TEST_F(DisplayListCompiler, StatementsInTurn) {
  const std::string run = "type=gl_triangles;\np=(1,2,3);\n";
  const std::string drawn = "glBegin(GL_TRIANGLES);\nglVertex3f(  1.00,  2.00,  3.00);\nglEnd();\n";
  const struct {
    std::string objects, body;
  } cases[] = {
      {"", ""},
      {"list;\nscene;\nendscene;\nbegin;\nend;\nendlist;\n",
       "List;\nScene;\nEndScene;\nBegin;\nEnd;\nglEndList();\n\n"},
      // Keys are compared whole; other keys, kinds and lone vertices compile to nothing.
      {"name;\nfoo;\ntype;\nlists;\nendlist ;\ns=5;\nq=(1,2);\nc=(1,2,3,4);\np=(1,2,3);\n"
       "t=(0,1);\nlabel=box;\ntextur=(1,2);\ntextur=(1,2,3,4);\n",
       ""},
      {run + "endlist;\n", drawn + "glEndList();\n\n"},
      {run + "s=5;\nend;\n", drawn + "End;\n"},
      {run + "q=(1,2);\nend;\n", drawn + "End;\n"},
      {run + "c=(1,2,3,4);\nend;\n", drawn + "End;\n"},
      {run + "textur=(1,1,1);\n", drawn + "glBindTexture(GL_TEXTURE_2D,2);\n"},
      {run + "name=next;\n", drawn + "glNewList((GLint) 1,GL_COMPILE);\nglEndList();\n\n"},
      {run + run, drawn + drawn},
      // Names outside the table begin quads.
      {"type=gl_quad_strip;\ntype=gl_triangle_fan;\ntype=gl_triangle_strip;\ntype=gl_polygon;\n",
       "glBegin(GL_QUAD_STRIP);\nglEnd();\nglBegin(GL_TRIANGLE_FAN);\nglEnd();\n"
       "glBegin(GL_TRIANGLE_STRIP);\nglEnd();\n" +
           kQuads},
      // The key alone decides a role: up to 3 characters, "t" a coordinate and
      // "p" a vertex, even a number under "p" (drawn from the slots left before).
      {"v=(4,5,6);\ntype=gl_quads;\np=5;\nt99=(1,2);\npos=(123.456,0.5,-0.006);\nt100=(1,2);\n",
       "glBegin(GL_QUADS);\nglVertex3f(  4.00,  5.00,  6.00);\nglTexCoord2f(  1.00,  2.00);\n"
       "glVertex3f(123.46,  0.50, -0.01);\nglEnd();\n"},
      {"type=gl_quads;\np100=(1,2,3);\n", kQuads},
      // A run reaching the end: a coordinate after the last vertex still comes before glEnd.
      {"type=gl_quads;\np=(1,2,3);\nt=(0,1);\n",
       "glBegin(GL_QUADS);\nglVertex3f(  1.00,  2.00,  3.00);\nglTexCoord2f(  0.00,  1.00);\n"
       "glEnd();\n"},
      // Whatever follows a pair names its primitive; at the end there is none.
      {"textur=(0,1,1);\ntextur=(1,1,1);\n", kBlendedQuads},
      {"textur=(0,1,1);\ntextur=(1,5);\ntype=gl_quads;\n", kBlendedQuads},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compile(c.objects), c.body) << c.objects;
    EXPECT_EQ(result_, 0);
    EXPECT_EQ(store_.statementCursor, store_.statements.size()) << c.objects;
  }
}

TEST_F(DisplayListCompiler, EveryNameOpensTheNextList) {
  EXPECT_EQ(Compile("name=a;\nendlist;\nname=b;\nname=a;\nname=abcdefghijklmnopqrstuvwxyz;\n"),
            "glNewList((GLint) 1,GL_COMPILE);\nglEndList();\n\nglNewList((GLint) 2,GL_COMPILE);\n"
            "glNewList((GLint) 3,GL_COMPILE);\nglNewList((GLint) 4,GL_COMPILE);\nglEndList();\n\n");
  EXPECT_EQ(NamedLists(), "1 a;2 b;3 a;4 abcdefghijklmnopqrs;");  // cut to the name field
  EXPECT_EQ(store_.lastListId, 4);
}

TEST_F(DisplayListCompiler, ThreeTexturStatementsInARow) {
  // The third "textur" names the primitive by the text an earlier statement
  // left behind; the real "type" ends each pass at once and is then compiled
  // unblended, with the second texture still bound.
  EXPECT_EQ(Compile("type=gl_triangle_fan;\ntextur=(0,1,1);\ntextur=(1,1,1);\ntextur=(0,1,1);\n"
                    "type=gl_triangles;\np=(1,2,3);\n"),
            "glBegin(GL_TRIANGLE_FAN);\nglEnd();\nglEnable(GL_BLEND);\n"
            "glBlendFunc(GL_DST_COLOR, GL_ZERO);\nglBindTexture(GL_TEXTURE_2D,1);\n"
            "glBegin(GL_TRIANGLE_FAN);\nglEnd();\nglBlendFunc(GL_ONE, GL_ONE);\n"
            "glBindTexture(GL_TEXTURE_2D,2);\nglBegin(GL_TRIANGLE_FAN);\nglEnd();\n"
            "glDisable(GL_BLEND);\n"
            "glBegin(GL_TRIANGLES);\nglVertex3f(  1.00,  2.00,  3.00);\nglEnd();\n");
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), 2);
}

// A rejected line ends a run like any other key and stops the walk there; it
// is never drawn from the values earlier lines left in its record, and the
// open list is closed.
TEST_F(DisplayListCompiler, RejectedLineStopsTheWalk) {
  const std::string list = "glNewList((GLint) 1,GL_COMPILE);\n";
  const std::string vertex = "glBegin(GL_QUADS);\nglVertex3f(  1.00,  2.00,  3.00);\nglEnd();\n";
  const struct {
    std::string objects, body;
    Cursor stop;
  } cases[] = {
      {"list;\nname=box;\ntype=gl_quads;\np=(1,2,3);\ns=123456;\nend;\nname=later;\n",
       "List;\n" + list + vertex, 4},
      {"name=a;\ntype=gl_quads;\np=(1,2,3);\np=(1,2,12345678901);\n", list + vertex, 3},
      {"name=a;\ntextur=(0,1,1);\ntextur=(1,1,1);\nt=.5;\n", list + kBlendedQuads, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compile(c.objects), c.body + "glEndList();\n\n") << c.objects;
    EXPECT_EQ(result_, kCompileFailed);
    EXPECT_EQ(store_.statementCursor, c.stop);
    EXPECT_EQ(store_.namedLists.size(), 1u);
    EXPECT_EQ(Integer(GL_LIST_INDEX), 0);
  }
}

// Texture numbers are truncated toward zero; one that addresses no slot of
// the table binds texture 0, never reading outside the table.
TEST_F(DisplayListCompiler, TextureNumbersSelectGlNames) {
  const std::pair<const char*, int> cases[] = {{"1", 6}, {"0.9", 5}, {"-0.5", 5}, {"1.99", 6},
                                               {"2", 0}, {"-1", 0},  {"1d99", 0}, {"-1e30", 0}};
  for (const auto& [number, name] : cases) {
    EXPECT_EQ(Compile("textur=(" + std::string(number) + ",1,1);\n", {5, 6}),
              "glBindTexture(GL_TEXTURE_2D," + std::to_string(name) + ");\n");
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), name);
  }
  // Every table size, the empty one included, through the single binding and
  // the blended pair: a number in (-1, 0) is slot 0 only where slot 0 exists.
  for (const std::vector<std::uint32_t>& table :
       {std::vector<std::uint32_t>{}, std::vector<std::uint32_t>{7}}) {
    const std::string bound = table.empty() ? "0" : "7";
    for (const char* objects : {"textur=(-0.5,1,1);\ntype=gl_quads;\np=(0,0,0);\n",
                                "textur=(-0.5,1,1);\ntextur=(-0.9,1,1);\ntype=gl_quads;\n"}) {
      const std::string transcript = Compile(objects, table);
      EXPECT_NE(transcript.find("glBindTexture(GL_TEXTURE_2D," + bound + ");"), std::string::npos);
      EXPECT_EQ(
          transcript.find("glBindTexture(GL_TEXTURE_2D," + std::string(table.empty() ? "7" : "0")),
          std::string::npos)
          << transcript;
    }
  }
}

TEST_F(DisplayListCompiler, EmitterTakesACursorPastTheEndAsTheEnd) {
  Load("p=(1,2,3);\n");
  CapturedStream out;
  {
    TextWriter writer(out.file());
    GlTranscript gl(writer);
    store_.statementCursor = kNoPosition;
    EXPECT_EQ(BeginPrimitive(store_, gl, "gl_quads"), 0);
    EXPECT_EQ(EmitPrimitiveVertices(store_, gl, 1, 1), 0);
  }
  EXPECT_EQ(out.Text(), kQuads);
  EXPECT_EQ(store_.statementCursor, 0u);  // one before the end, where the walk's step lands on it
}

TEST_F(DisplayListCompiler, CompileDisplayListsWritesOgllist) {
  TempDir dir;
  ScopedWorkingDirectory inDir(dir.path());
  const std::filesystem::path ogllist = dir.path() / "ogllist.txt";
  // A transcript that cannot be put in place still leaves the scene compiled,
  // and says why; nothing of the attempt is left in the folder.
  std::filesystem::create_directory(ogllist);
  Load(kBox);
  std::string problem;
  EXPECT_EQ(CompileDisplayLists(store_, &problem), kCompileFailed);
  EXPECT_EQ(NamedLists(), "1 box;");
  EXPECT_TRUE(glIsList(1));
  EXPECT_NE(problem, "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  // An older transcript is replaced.
  std::filesystem::remove(ogllist);
  dir.Write("ogllist.txt", std::string(5000, 'x'));
  Load(kBox);
  EXPECT_EQ(CompileDisplayLists(store_), 0);
  EXPECT_EQ(ReadFileBytes(ogllist), kBoxTranscript);
}

// A quad over the whole surface, texture coordinates 0..1 across it.
constexpr std::string_view kFullQuad =
    "type=gl_quads;\nt=(0,0);\np=(-1,-1,0);\nt=(1,0);\np=(1,-1,0);\n"
    "t=(1,1);\np=(1,1,0);\nt=(0,1);\np=(-1,1,0);\n";

// A texture of `width` x `height` RGB texels, bottom row first, sampled nearest.
std::uint32_t MakeTexture(int width, int height, const std::vector<std::uint8_t>& rgb) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return name;
}

TEST_F(DisplayListCompiler, ListsDrawWhatTheyRecord) {
  glEnable(GL_TEXTURE_2D);  // the state the viewer draws with
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  // Red, green / blue, white (top row / bottom row).
  const GLuint quartered = MakeTexture(2, 2, {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0});
  const std::string quad(kFullQuad);
  // The last list is left open: the walk closes it, or every later call
  // would be recorded into it and nothing would reach the surface. Its quad
  // has no binding of its own; the factors of the list before still tile it.
  Compile("name=plain;\ntextur=(1,1,1);\n" + quad + "endlist;\n" +
              "name=pair;\ntextur=(2,1,1);\ntextur=(3,0,0);\n" + quad + "endlist;\n" +
              "name=factors;\ntextur=(1,2,2);\nendlist;\nname=tiled;\n" + quad,
          {MakeTexture(1, 1, {9, 9, 9}), quartered, MakeTexture(1, 1, {128, 128, 255}),
           MakeTexture(1, 1, {64, 0, 128})});
  EXPECT_EQ(Integer(GL_LIST_INDEX), 0);
  ExpectDrawn({0, 0, 0}, 1,
              {{2, 2, 255, 0, 0}, {13, 2, 0, 255, 0}, {2, 13, 0, 0, 255}, {13, 13, 255, 255, 255}});
  // A pair: (what was drawn before) x (first texture) + (second texture).
  ExpectDrawn({1, 0.5f, 0.25f}, 2, {{8, 8, 128 + 64, 64, 64 + 128}});
  EXPECT_FALSE(glIsEnabled(GL_BLEND));  // the list disables blending again
  GLfloat current[4] = {};
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
  EXPECT_EQ(current[1], 1.0f);  // the last t = 1 scaled by the first statement's factor, not 0
  glBindTexture(GL_TEXTURE_2D, quartered);
  ExpectDrawn({0, 0, 0}, 4,
              {{2, 2, 255, 0, 0}, {6, 2, 0, 255, 0}, {10, 2, 255, 0, 0}, {14, 13, 255, 255, 255}});
}

// Start-up reads objects.txt on a second thread while the walk takes the
// statements as they arrive. Whatever the batches, and wherever the walk has
// to wait (inside a run, between the two statements of a pair, at the end),
// the log, the transcript and the store are those of reading first.
TEST_F(DisplayListCompiler, StatementsArrivingWhileTheWalkRunsCompileTheSame) {
  const std::filesystem::path source(MORVANE_SOURCE_DIR);
  std::vector<std::string> inputs = {
      "name=a;\ntype=gl_quads;\np=(1,2,3);\np2=(4,5);\ntextur=(0,1,1);\ntextur=(1,2,2);"};
  for (const char* folder : {"fuzz/seeds/objects", "fuzz/regressions/objects"}) {
    for (const auto& entry : std::filesystem::directory_iterator(source / folder))
      inputs.push_back(ReadFileBytes(entry.path()));
  }
  inputs.push_back(ReadFileBytes(source / "examples/broken/objects.txt"));
  const auto outputs = [this](std::size_t batch, const std::string& bytes) {
    store_ = SceneStore{};
    store_.textures = {1, 2};
    CapturedStream log;
    CapturedStream out;
    {
      std::optional<ObjectReadingThread> reading;
      TextWriter logWriter(log.file());
      if (batch == 0) {
        LineReader reader(bytes);
        ReadObjectPieces(store_, reader, logWriter);
      } else {
        reading.emplace(store_, bytes, log.file(), batch);
      }
      TextWriter transcript(out.file());
      CompileStatements(store_, transcript);
      if (reading.has_value()) reading->Finish();
    }
    const auto* statements = reinterpret_cast<const char*>(store_.statements.data());
    return std::array<std::string, 5>{
        log.Text(), out.Text(), NamedLists(), Fed(store_.lastListId),
        std::string(statements, store_.statements.size() * sizeof(Statement)) +
            std::string(reinterpret_cast<const char*>(&store_.currentStatement),
                        sizeof(Statement))};
  };
  for (const std::string& bytes : inputs) {
    const auto readFirst = outputs(0, bytes);
    for (const std::size_t batch : {1, 2, 3, 7, 4096}) {
      SCOPED_TRACE(bytes.substr(0, 40) + "... in batches of " + std::to_string(batch));
      const auto whileReading = outputs(batch, bytes);
      EXPECT_EQ(whileReading[0], readFirst[0]) << "parse log";
      EXPECT_EQ(whileReading[1], readFirst[1]) << "transcript";
      EXPECT_EQ(whileReading[2], readFirst[2]) << "named lists";
      EXPECT_TRUE(whileReading[3] == readFirst[3]) << "what the lists draw";
      EXPECT_TRUE(whileReading[4] == readFirst[4]) << "statements";
    }
  }
}

}  // namespace
