// The display list compiler on the off-screen GL context, with statements made
// by the real object reader: what the transcript cannot show. The transcripts
// themselves are start-up cases (tests/cases/startup); here are the named
// lists, the lists left in GL, the emitter's cursor, a transcript that cannot
// be put in place, and what the lists really draw.
#include "compiler/display_list_compiler.h"
#include "compiler/primitive_emitter.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "objects/object_file_reading.h"
#include "objects/object_reader.h"
#include "offscreen/offscreen_context.h"
#include "tests/support/test_files.h"

namespace {

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
    TextWriter log(nullptr);
    ReadObjectPieces(store_, reader, log);
    store_.textures = std::move(textures);
  }

  // Loads and compiles `objects`, discarding the transcript; returns the result.
  std::int32_t Compile(std::string_view objects, std::vector<std::uint32_t> textures = {1, 2}) {
    Load(objects, std::move(textures));
    TextWriter transcript(nullptr);
    return CompileStatements(store_, transcript);
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
};

TEST_F(DisplayListCompiler, EveryNameIsRecordedAndNoListIsLeftOpen) {
  EXPECT_EQ(Compile("name=a;\nendlist;\nname=b;\nname=a;\nname=abcdefghijklmnopqrstuvwxyz;\n"), 0);
  EXPECT_EQ(NamedLists(), "1 a;2 b;3 a;4 abcdefghijklmnopqrs;");  // cut to the name field
  EXPECT_EQ(store_.lastListId, 4);
  EXPECT_TRUE(glIsList(1));
  EXPECT_EQ(Integer(GL_LIST_INDEX), 0);
  // A rejected line stops the walk; the list it interrupts is closed all the same.
  EXPECT_EQ(Compile("name=box;\ntype=gl_quads;\np=(1,2,3);\ns=123456;\nname=later;\n"),
            kCompileFailed);
  EXPECT_EQ(NamedLists(), "1 box;");
  EXPECT_EQ(Integer(GL_LIST_INDEX), 0);
}

TEST_F(DisplayListCompiler, PrimitivesTooShortToDrawStillSetTheCoordinate) {
  // Two vertices of a strip and then one of quads in one list crash Mesa's
  // display-list compiler, so neither reaches GL; the coordinate still counts.
  Compile(
      "name=a;\ntextur=(0,2,-3);\ntype=gl_triangle_strip;\np=(0,0,0);\n"
      "t=(0.5,0.25);\np=(1,0,0);\ntype=gl_quads;\np=(0,1,0);\nendlist;\n");
  glCallList(1);
  GLfloat current[4] = {};
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
  EXPECT_EQ(current[0], 1.0f);  // scaled by the repeat factors
  EXPECT_EQ(current[1], -0.75f);
}

TEST_F(DisplayListCompiler, EmitterTakesAPositionPastTheEndAsTheEnd) {
  Load("p=(1,2,3);\n");
  CapturedStream out;
  StatementList statements(store_.statements);
  WalkPosition walk{statements, 5};
  {
    TextWriter writer(out.file());
    GlTranscript gl(writer);
    EXPECT_EQ(BeginPrimitive(walk, gl, "gl_quads"), 0);
    EXPECT_EQ(EmitPrimitiveVertices(walk, gl, 1, 1), 0);
  }
  EXPECT_EQ(out.Text(), "glBegin(GL_QUADS);\nglEnd();\n");
  EXPECT_EQ(walk.at, 4u);  // one before, where the walk's step lands past the end again
}

// The transcript is written on a thread of its own, a batch of lines at a
// time with a few batches in flight; a list of many times that many lines
// still reads in the order it was compiled.
TEST_F(DisplayListCompiler, LongTranscriptsKeepTheirOrder) {
  std::string objects = "name=a;\ntype=gl_triangles;\n";
  std::string expected =
      "OPENGL-Diplay-Listen:\n\nglNewList((GLint) 1,GL_COMPILE);\nglBegin(GL_TRIANGLES);\n";
  for (int k = 0; k < 100000; ++k) {
    objects += "p=(" + std::to_string(k) + ",0,0);\n";
    char line[48];
    std::snprintf(line, sizeof line, "glVertex3f(%6.2f,  0.00,  0.00);\n", double{1.0} * k);
    expected += line;
  }
  expected += "glEnd();\nglEndList();\n\n";
  Load(objects + "endlist;\n");
  CapturedStream out;
  {
    TextWriter writer(out.file());
    CompileStatements(store_, writer);
  }
  EXPECT_TRUE(out.Text() == expected);
}

TEST_F(DisplayListCompiler, TranscriptThatCannotBePutInPlace) {
  TempDir dir;
  ScopedWorkingDirectory inDir(dir.path());
  // The scene is compiled all the same, the reason is given, and nothing of
  // the attempt is left in the folder.
  std::filesystem::create_directory(dir.path() / "ogllist.txt");
  Load("name=box;\ntype=gl_quads;\np=(1,2,3);\nendlist;\n");
  std::string problem;
  EXPECT_EQ(CompileDisplayLists(store_, &problem), kCompileFailed);
  EXPECT_EQ(NamedLists(), "1 box;");
  EXPECT_TRUE(glIsList(1));
  EXPECT_NE(problem, "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
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
      std::optional<ObjectFileReading> reading;
      TextWriter logWriter(log.file());
      if (batch == 0) {
        LineReader reader(bytes);
        ReadObjectPieces(store_, reader, logWriter);
      } else {
        // Some readings hold the log until the walk begins, as start-up does.
        reading.emplace(
            store_, bytes, log.file(), batch,
            batch % 2 == 1 ? ObjectFileReading::Log::kHeld : ObjectFileReading::Log::kNow);
      }
      TextWriter transcript(out.file());
      if (reading.has_value()) {
        CompileStatements(store_, *reading, transcript);
        reading->Finish();
      } else {
        CompileStatements(store_, transcript);
      }
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
