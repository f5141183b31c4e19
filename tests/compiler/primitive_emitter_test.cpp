// One primitive at a time: its mode, the roles of keys inside a run, the
// numbers GL receives against the numbers the transcript shows, and where the
// shared cursor is left.
#include "compiler/primitive_emitter.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "compiler/gl_transcript.h"
#include "store/text_writer.h"
#include "tests/compiler/compiler_test_support.h"
#include "tests/support/test_files.h"
#include "tools/offscreen_context.h"

namespace {

class PrimitiveEmission : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    context_ = OffscreenContext::Create(16, 16, &error);
    ASSERT_NE(context_, nullptr) << error;
  }

  // Compiles one primitive named `name` from the statements of `objects`,
  // starting at statement `start`, into display list 1 and returns its lines.
  std::string EmitInto(SceneStore& store, const char* name, Cursor start, std::int32_t sRepeat,
                       std::int32_t tRepeat) {
    CapturedStream out;
    {
      TextWriter writer(out.file());
      GlTranscript gl(writer);
      glNewList(1, GL_COMPILE);
      // The statement before the run names the primitive.
      store.statementCursor = start == 0 || start == kNoPosition ? kNoPosition : start - 1;
      EXPECT_EQ(BeginPrimitive(store, gl, name), 0);
      store.statementCursor = start;
      EXPECT_EQ(EmitPrimitiveVertices(store, gl, sRepeat, tRepeat), 0);
      glEndList();
    }
    return out.Text();
  }

  std::unique_ptr<OffscreenContext> context_;
};

TEST_F(PrimitiveEmission, NamesSelectTheMode) {
  struct Case {
    const char* name;
    GLenum mode;
    const char* line;
  } cases[] = {
      {"gl_quads", GL_QUADS, "glBegin(GL_QUADS);\n"},
      {"gl_quad_strip", GL_QUAD_STRIP, "glBegin(GL_QUAD_STRIP);\n"},
      {"gl_triangles", GL_TRIANGLES, "glBegin(GL_TRIANGLES);\n"},
      {"gl_triangle_fan", GL_TRIANGLE_FAN, "glBegin(GL_TRIANGLE_FAN);\n"},
      {"gl_triangle_strip", GL_TRIANGLE_STRIP, "glBegin(GL_TRIANGLE_STRIP);\n"},
      {"gl_polygon", GL_QUADS, "glBegin(GL_QUADS);\n"},
      {"gl_points", GL_QUADS, "glBegin(GL_QUADS);\n"},
      {"", GL_QUADS, "glBegin(GL_QUADS);\n"},
      {"gl_quads ", GL_QUADS, "glBegin(GL_QUADS);\n"},
      {"gl_triangles_x", GL_QUADS, "glBegin(GL_QUADS);\n"},
      {"GL_TRIANGLES", GL_QUADS, "glBegin(GL_QUADS);\n"},  // names arrive lower-cased
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(static_cast<GLenum>(PrimitiveModeForName(c.name)), c.mode);
    SceneStore store;
    EXPECT_EQ(EmitInto(store, c.name, 0, 1, 1), std::string(c.line) + "glEnd();\n");
  }
}

TEST_F(PrimitiveEmission, KeysDecideTheRoleWhateverTheKind) {
  struct Case {
    const char* line;
    const char* emitted;  // empty: the statement ends the run
  } cases[] = {
      {"t=(0.5,0.25);", "glTexCoord2f(  0.50,  0.25);\n"},
      {"t9=(1,2);", "glTexCoord2f(  1.00,  2.00);\n"},
      {"t99=(1,2);", "glTexCoord2f(  1.00,  2.00);\n"},
      {"t100=(1,2);", ""},
      {"type=gl_quads;", ""},
      {"textur=(1,1,1);", ""},
      {"p=(1,2,3);", "glVertex3f(  1.00,  2.00,  3.00);\n"},
      {"p7=(-1,-2,-3);", "glVertex3f( -1.00, -2.00, -3.00);\n"},
      {"p77=(123.456,0.5,-0.006);", "glVertex3f(123.46,  0.50, -0.01);\n"},
      {"pos=(1,2,3);", "glVertex3f(  1.00,  2.00,  3.00);\n"},
      {"p100=(1,2,3);", ""},
      {"q=(1,2,3);", ""},
      // A number or a name under a vertex key still draws, from the vector slots
      // the earlier line left: the key alone decides.
      {"p=5;", "glVertex3f(  4.00,  5.00,  6.00);\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SceneStore store = StoreFromObjects("v=(4,5,6);\n" + std::string(c.line) + "\nend;\n");
    const std::string lines = EmitInto(store, "gl_quads", 1, 1, 1);
    EXPECT_EQ(lines, "glBegin(GL_QUADS);\n" + std::string(c.emitted) + "glEnd();\n");
    // Left on the last statement of the run, or one before the start when empty.
    EXPECT_EQ(store.statementCursor, *c.emitted ? 1u : 0u);
  }
}

TEST_F(PrimitiveEmission, RunReachingTheEndStaysOnTheLastStatement) {
  // A coordinate after the last vertex is still issued before glEnd. (The
  // coordinate comes first as well: Mesa 22.3 reads past a buffer of its own
  // when a list's first coordinate follows the only vertices of a primitive.)
  SceneStore store = StoreFromObjects("type=gl_quads;\nt=(1,0);\np=(1,2,3);\nt=(0,1);\n");
  EXPECT_EQ(EmitInto(store, "gl_quads", 1, 1, 1),
            "glBegin(GL_QUADS);\nglTexCoord2f(  1.00,  0.00);\nglVertex3f(  1.00,  2.00,  3.00);\n"
            "glTexCoord2f(  0.00,  1.00);\nglEnd();\n");
  EXPECT_EQ(store.statementCursor, 3u);
  // A cursor beyond the list is taken as its end.
  EXPECT_EQ(EmitInto(store, "gl_quads", kNoPosition, 1, 1), "glBegin(GL_QUADS);\nglEnd();\n");
  EXPECT_EQ(store.statementCursor, 3u);
}

// What GL really receives: texture coordinates times the repeat factors, and
// vertex slots carried over from earlier statements.
TEST_F(PrimitiveEmission, GlReceivesScaledCoordinatesAndCarriedSlots) {
  SceneStore store = StoreFromObjects(
      "type=gl_triangles;\n"
      "t=(0.5,0.5);\np1=(1,2,3);\n"
      "t=(-1,2);\np2=(4,5);\n"  // two components: z stays 3
      "p3=(-4,-5,-6);\n");
  const std::string lines = EmitInto(store, "gl_triangles", 1, 2, 3);
  EXPECT_EQ(lines,
            "glBegin(GL_TRIANGLES);\n"
            "glTexCoord2f(  0.50,  0.50);\nglVertex3f(  1.00,  2.00,  3.00);\n"
            "glTexCoord2f( -1.00,  2.00);\nglVertex3f(  4.00,  5.00,  3.00);\n"
            "glVertex3f( -4.00, -5.00, -6.00);\nglEnd();\n");
  const std::vector<FedBackVertex> drawn = VerticesDrawnByList(1);
  ASSERT_EQ(drawn.size(), 3u);
  const FedBackVertex expected[] = {{1, 2, 3, 1.0f, 1.5f}, {4, 5, 3, -2, 6}, {-4, -5, -6, -2, 6}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(drawn[i].x, expected[i].x, 1e-3);
    EXPECT_NEAR(drawn[i].y, expected[i].y, 1e-3);
    EXPECT_NEAR(drawn[i].z, expected[i].z, 1e-3);
    EXPECT_FLOAT_EQ(drawn[i].s, expected[i].s);
    EXPECT_FLOAT_EQ(drawn[i].t, expected[i].t);
  }
}

TEST_F(PrimitiveEmission, ZeroAndNegativeRepeatFactors) {
  SceneStore store =
      StoreFromObjects("type=gl_triangles;\nt=(0.75,0.25);\np=(1,1,0);\np=(2,1,0);\np=(1,2,0);\n");
  EmitInto(store, "gl_triangles", 1, 0, -2);
  const std::vector<FedBackVertex> drawn = VerticesDrawnByList(1);
  ASSERT_EQ(drawn.size(), 3u);
  for (const FedBackVertex& v : drawn) {
    EXPECT_FLOAT_EQ(v.s, 0.0f);
    EXPECT_FLOAT_EQ(v.t, -0.5f);
  }
}

TEST_F(PrimitiveEmission, PrimitivesTooShortToDrawStayOutOfGl) {
  // Two vertices of a strip and then one of quads in one list crash Mesa's
  // display-list compiler; neither can draw anything, so neither reaches GL,
  // while the transcript keeps every line and the coordinate still counts.
  SceneStore store = StoreFromObjects(
      "type=gl_triangle_strip;\np=(0,0,0);\nt=(0.5,0.25);\np=(1,0,0);\n"
      "type=gl_quads;\np=(0,1,0);\n");
  CapturedStream out;
  {
    TextWriter writer(out.file());
    GlTranscript gl(writer);
    glNewList(1, GL_COMPILE);
    for (Cursor type : {Cursor{0}, Cursor{4}}) {
      store.statementCursor = type;
      BeginPrimitive(store, gl, store.statements[type].text);
      ++store.statementCursor;
      EmitPrimitiveVertices(store, gl, 1, 1);
    }
    glEndList();
  }
  EXPECT_EQ(out.Text(),
            "glBegin(GL_TRIANGLE_STRIP);\nglVertex3f(  0.00,  0.00,  0.00);\n"
            "glTexCoord2f(  0.50,  0.25);\nglVertex3f(  1.00,  0.00,  0.00);\nglEnd();\n"
            "glBegin(GL_QUADS);\nglVertex3f(  0.00,  1.00,  0.00);\nglEnd();\n");
  EXPECT_TRUE(VerticesDrawnByList(1).empty());
  glCallList(1);
  GLfloat current[4] = {};
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
  EXPECT_FLOAT_EQ(current[0], 0.5f);
  EXPECT_FLOAT_EQ(current[1], 0.25f);
}

}  // namespace
