// The compiler's walk as the transcript shows it: the worked box, dispatch of
// every statement kind, the shared cursor after each kind of dispatch, texture
// numbers and repeat factors, and where the walk stops.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "compiler/display_list_compiler.h"
#include "tests/compiler/compiler_test_support.h"
#include "tests/support/test_files.h"
#include "tools/offscreen_context.h"

namespace {

class CompilerTranscript : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(16, 16, &error);
    ASSERT_NE(context_, nullptr) << error;
  }

  // Compiles `objects` with the texture table holding `textures`.
  CompileOutcome Compile(std::string_view objects, std::vector<std::uint32_t> textures = {1, 2}) {
    store_ = StoreFromObjects(objects);
    store_.textures = std::move(textures);
    return CompileToText(store_);
  }

  std::unique_ptr<OffscreenContext> context_;
  SceneStore store_;
};

constexpr std::string_view kBox =
    "list;\n"
    "name=box;\n"
    "textur=(0,2,2);\n"
    "type=gl_quads;\n"
    "t1=(0,0);\n"
    "p1=(-1,-1,0);\n"
    "t2=(1,0);\n"
    "p2=(1,-1,0);\n"
    "endlist;\n";

constexpr std::string_view kBoxPrimitive =
    "glBegin(GL_QUADS);\n"
    "glTexCoord2f(  0.00,  0.00);\n"
    "glVertex3f( -1.00, -1.00,  0.00);\n"
    "glTexCoord2f(  1.00,  0.00);\n"
    "glVertex3f(  1.00, -1.00,  0.00);\n"
    "glEnd();\n";

TEST_F(CompilerTranscript, SingleTextureBox) {
  const CompileOutcome out = Compile(kBox);
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.transcript, std::string(kTranscriptHeader) +
                                "List;\n"
                                "glNewList((GLint) 1,GL_COMPILE);\n"
                                "glBindTexture(GL_TEXTURE_2D,1);\n" +
                                std::string(kBoxPrimitive) + "glEndList();\n\n");
  ASSERT_EQ(store_.namedLists.size(), 1u);
  EXPECT_EQ(store_.namedLists[0].listId, 1);
  EXPECT_STREQ(store_.namedLists[0].name, "box");
  EXPECT_EQ(store_.lastListId, 1);
  EXPECT_EQ(store_.statementCursor, store_.statements.size());
  EXPECT_TRUE(glIsList(1));
  GLint openList = -1;
  glGetIntegerv(GL_LIST_INDEX, &openList);
  EXPECT_EQ(openList, 0);
}

TEST_F(CompilerTranscript, TwoTextureBoxEmitsTheRunTwice) {
  std::string objects(kBox);
  objects.insert(objects.find("type="), "textur=(1,1,1);\n");
  const CompileOutcome out = Compile(objects);
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.body,
            "List;\n"
            "glNewList((GLint) 1,GL_COMPILE);\n"
            "glEnable(GL_BLEND);\n"
            "glBlendFunc(GL_DST_COLOR, GL_ZERO);\n"
            "glBindTexture(GL_TEXTURE_2D,1);\n" +
                std::string(kBoxPrimitive) +
                "glBlendFunc(GL_ONE, GL_ONE);\n"
                "glBindTexture(GL_TEXTURE_2D,2);\n" +
                std::string(kBoxPrimitive) +
                "glDisable(GL_BLEND);\n"
                "glEndList();\n\n");
  EXPECT_EQ(store_.savedStatementCursor, 4u);  // the "type" statement
  EXPECT_EQ(store_.namedLists.size(), 1u);
}

struct DispatchCase {
  const char* label;
  std::string_view objects;
  std::string_view body;
};

// Statements that compile to markers or to nothing, and the walk going on past them.
TEST_F(CompilerTranscript, DispatchByKindAndKey) {
  const DispatchCase cases[] = {
      {"markers", "list;\nscene;\nendscene;\nbegin;\nend;\n",
       "List;\nScene;\nEndScene;\nBegin;\nEnd;\n"},
      {"unknown bare keyword and bare name", "name;\nfoo;\ntype;\nend;\n", "End;\n"},
      {"keys are compared whole", "lists;\nendlist ;\nend;\n", "End;\n"},
      {"numbers and short or long vectors", "s=5;\nq=(1,2);\nc=(1,2,3,4);\nend;\n", "End;\n"},
      {"a vertex or coordinate outside a primitive", "p=(1,2,3);\nt=(0,1);\nend;\n", "End;\n"},
      {"name-kind statements with other keys", "label=box;\nend;\n", "End;\n"},
      {"endlist with no open list", "endlist;\nend;\n", "glEndList();\n\nEnd;\n"},
      {"textur with two or four components first", "textur=(1,2);\ntextur=(1,2,3,4);\nend;\n",
       "End;\n"},
      {"empty statement list", "", ""},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.label);
    const CompileOutcome out = Compile(c.objects);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.body, c.body);
    EXPECT_TRUE(store_.namedLists.empty());
  }
}

TEST_F(CompilerTranscript, EveryNameOpensTheNextList) {
  const CompileOutcome out = Compile(
      "name=a;\nendlist;\nlist;\nname=b;\nname=a;\nendlist;\n"
      "name=abcdefghijklmnopqrstuvwxyz;\nendlist;\n");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.body,
            "glNewList((GLint) 1,GL_COMPILE);\nglEndList();\n\nList;\n"
            "glNewList((GLint) 2,GL_COMPILE);\nglNewList((GLint) 3,GL_COMPILE);\n"
            "glEndList();\n\nglNewList((GLint) 4,GL_COMPILE);\nglEndList();\n\n");
  ASSERT_EQ(store_.namedLists.size(), 4u);
  const char* names[] = {"a", "b", "a", "abcdefghijklmnopqrs"};  // cut to the field
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(store_.namedLists[i].listId, static_cast<std::int32_t>(i + 1));
    EXPECT_STREQ(store_.namedLists[i].name, names[i]);
  }
  EXPECT_EQ(store_.lastListId, 4);
}

// The cursor after a primitive lands on the statement that ended its run, and
// that statement is dispatched in its turn.
TEST_F(CompilerTranscript, RunEndedByEachKindOfStatement) {
  const std::string run = "type=gl_triangles;\np=(1,2,3);\n";
  const std::string begun = "glBegin(GL_TRIANGLES);\nglVertex3f(  1.00,  2.00,  3.00);\nglEnd();\n";
  const DispatchCase cases[] = {
      {"bare keyword", "endlist;\n", "glEndList();\n\n"},
      {"number", "s=5;\nend;\n", "End;\n"},
      {"two-vector", "q=(1,2);\nend;\n", "End;\n"},
      {"texture binding", "textur=(1,1,1);\n", "glBindTexture(GL_TEXTURE_2D,2);\n"},
      {"four-vector", "c=(1,2,3,4);\nend;\n", "End;\n"},
      {"another primitive", "type=gl_quad_strip;\n", "glBegin(GL_QUAD_STRIP);\nglEnd();\n"},
      {"name", "name=next;\n", "glNewList((GLint) 1,GL_COMPILE);\nglEndList();\n\n"},
      {"end of the statements", "", ""},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.label);
    const CompileOutcome out = Compile(run + std::string(c.objects));
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.body, begun + std::string(c.body));
    EXPECT_EQ(store_.statementCursor, store_.statements.size());
  }
}

TEST_F(CompilerTranscript, RejectedLineStopsTheWalk) {
  // The rejected line ends the run like any other key, then stops the walk:
  // nothing after it is compiled, and the open list is closed.
  const CompileOutcome out =
      Compile("list;\nname=box;\ntype=gl_quads;\np=(1,2,3);\ns=123456;\nend;\nname=later;\n");
  EXPECT_EQ(out.result, kCompileFailed);
  EXPECT_EQ(out.body,
            "List;\nglNewList((GLint) 1,GL_COMPILE);\nglBegin(GL_QUADS);\n"
            "glVertex3f(  1.00,  2.00,  3.00);\nglEnd();\nglEndList();\n\n");
  EXPECT_EQ(store_.statementCursor, 4u);
  EXPECT_EQ(store_.namedLists.size(), 1u);
  GLint openList = -1;
  glGetIntegerv(GL_LIST_INDEX, &openList);
  EXPECT_EQ(openList, 0);
}

TEST_F(CompilerTranscript, RejectedLinesAreNeverDrawn) {
  // A rejected vertex or coordinate line keeps the values of the line before
  // it; drawing it would put a stray vertex into the object.
  struct Case {
    const char* label;
    const char* objects;
    const char* body;
  };
  const Case cases[] = {
      {"rejected vertex inside a run",
       "name=a;\ntype=gl_quads;\np=(1,2,3);\np=(1,2,12345678901);\n",
       "glNewList((GLint) 1,GL_COMPILE);\nglBegin(GL_QUADS);\n"
       "glVertex3f(  1.00,  2.00,  3.00);\nglEnd();\nglEndList();\n\n"},
      {"rejected line after a texture pair", "name=a;\ntextur=(0,1,1);\ntextur=(1,1,1);\nt=.5;\n",
       "glNewList((GLint) 1,GL_COMPILE);\nglEnable(GL_BLEND);\n"
       "glBlendFunc(GL_DST_COLOR, GL_ZERO);\nglBindTexture(GL_TEXTURE_2D,1);\n"
       "glBegin(GL_QUADS);\nglEnd();\nglBlendFunc(GL_ONE, GL_ONE);\n"
       "glBindTexture(GL_TEXTURE_2D,2);\nglBegin(GL_QUADS);\nglEnd();\nglDisable(GL_BLEND);\n"
       "glEndList();\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const CompileOutcome out = Compile(c.objects);
    EXPECT_EQ(out.result, kCompileFailed);
    EXPECT_EQ(out.body, c.body);
  }
}

TEST_F(CompilerTranscript, ThreeTexturStatementsInARow) {
  // The third "textur" names the primitive by the text an earlier statement
  // left behind ("gl_triangle_fan"); the real "type" ends each pass at once and
  // is then compiled unblended, with the second texture still bound.
  const CompileOutcome out = Compile(
      "type=gl_triangle_fan;\n"
      "textur=(0,1,1);\ntextur=(1,1,1);\ntextur=(0,1,1);\n"
      "type=gl_triangles;\np=(1,2,3);\nend;\n");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.body,
            "glBegin(GL_TRIANGLE_FAN);\nglEnd();\n"
            "glEnable(GL_BLEND);\nglBlendFunc(GL_DST_COLOR, GL_ZERO);\n"
            "glBindTexture(GL_TEXTURE_2D,1);\nglBegin(GL_TRIANGLE_FAN);\nglEnd();\n"
            "glBlendFunc(GL_ONE, GL_ONE);\n"
            "glBindTexture(GL_TEXTURE_2D,2);\nglBegin(GL_TRIANGLE_FAN);\nglEnd();\n"
            "glDisable(GL_BLEND);\n"
            "glBegin(GL_TRIANGLES);\nglVertex3f(  1.00,  2.00,  3.00);\nglEnd();\nEnd;\n");
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 2);
}

TEST_F(CompilerTranscript, PairBlendsWhateverFollowsIt) {
  // A second statement of any kind pairs (only its first component is used);
  // a pair at the very end of the list blends an empty primitive of quads.
  const DispatchCase cases[] = {
      {"two-component second statement", "textur=(0,1,1);\ntextur=(1,5);\ntype=gl_quads;\n", ""},
      {"pair at the end", "textur=(0,1,1);\ntextur=(1,1,1);\n", ""},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.label);
    const CompileOutcome out = Compile(c.objects);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.body,
              "glEnable(GL_BLEND);\nglBlendFunc(GL_DST_COLOR, GL_ZERO);\n"
              "glBindTexture(GL_TEXTURE_2D,1);\nglBegin(GL_QUADS);\nglEnd();\n"
              "glBlendFunc(GL_ONE, GL_ONE);\n"
              "glBindTexture(GL_TEXTURE_2D,2);\nglBegin(GL_QUADS);\nglEnd();\n"
              "glDisable(GL_BLEND);\n");
    EXPECT_EQ(store_.statementCursor, store_.statements.size());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));  // no list was open: the calls took effect
  }
}

// Texture numbers are truncated toward zero; one that addresses no slot of
// the table binds texture 0, never reading outside the table.
TEST_F(CompilerTranscript, TextureNumbersSelectGlNames) {
  struct Case {
    const char* textur;
    std::int32_t name;
  } cases[] = {
      {"textur=(1,1,1);", 6},    {"textur=(0.9,1,1);", 5},   {"textur=(-0.5,1,1);", 5},
      {"textur=(1.99,1,1);", 6}, {"textur=(2,1,1);", 0},     {"textur=(-1,1,1);", 0},
      {"textur=(1d99,1,1);", 0}, {"textur=(-1e30,1,1);", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.textur);
    const CompileOutcome out = Compile(std::string(c.textur) + "\n", {5, 6});
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.body, "glBindTexture(GL_TEXTURE_2D," + std::to_string(c.name) + ");\n");
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, c.name);
  }
  // An empty table has no slot at all.
  EXPECT_EQ(Compile("textur=(0,1,1);\n", {}).body, "glBindTexture(GL_TEXTURE_2D,0);\n");
}

class CompileDisplayListsFile : public CompilerTranscript {};

TEST_F(CompileDisplayListsFile, WritesOgllistInTheWorkingDirectory) {
  TempDir dir;
  dir.Write("ogllist.txt", std::string(5000, 'x'));  // an older transcript is replaced
  ScopedWorkingDirectory inDir(dir.path());
  store_ = StoreFromObjects(kBox);
  store_.textures = {1, 2};
  EXPECT_EQ(CompileDisplayLists(store_), 0);
  EXPECT_EQ(ReadFileBytes(dir.path() / "ogllist.txt"),
            std::string(kTranscriptHeader) + "List;\nglNewList((GLint) 1,GL_COMPILE);\n" +
                "glBindTexture(GL_TEXTURE_2D,1);\n" + std::string(kBoxPrimitive) +
                "glEndList();\n\n");
}

TEST_F(CompileDisplayListsFile, UnopenableTranscriptCompilesNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "ogllist.txt");
  ScopedWorkingDirectory inDir(dir.path());
  store_ = StoreFromObjects(kBox);
  EXPECT_EQ(CompileDisplayLists(store_), kCompileFailed);
  EXPECT_TRUE(store_.namedLists.empty());
  EXPECT_EQ(store_.lastListId, 0);
  EXPECT_FALSE(glIsList(1));
}

TEST_F(CompileDisplayListsFile, FailedTranscriptWritesDoNotStopTheWalk) {
  TempDir dir;
  std::filesystem::create_symlink("/dev/full", dir.path() / "ogllist.txt");
  ScopedWorkingDirectory inDir(dir.path());
  store_ = StoreFromObjects(kBox);
  EXPECT_EQ(CompileDisplayLists(store_), 0);
  ASSERT_EQ(store_.namedLists.size(), 1u);
  EXPECT_TRUE(glIsList(1));
}

}  // namespace
