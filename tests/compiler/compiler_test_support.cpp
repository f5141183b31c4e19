#include "tests/compiler/compiler_test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "compiler/display_list_compiler.h"
#include "objects/object_reader.h"
#include "store/line_reader.h"
#include "store/text_writer.h"
#include "tests/support/test_files.h"

SceneStore StoreFromObjects(std::string_view objectsText) {
  SceneStore store;
  LineReader reader(objectsText);
  CapturedStream log;
  TextWriter writer(log.file());
  ReadObjectPieces(store, reader, writer);
  return store;
}

CompileOutcome CompileToText(SceneStore& store) {
  CapturedStream out;
  CompileOutcome outcome{};
  {
    TextWriter writer(out.file());
    outcome.result = CompileStatements(store, writer);
  }
  outcome.transcript = out.Text();
  if (outcome.transcript.starts_with(kTranscriptHeader)) {
    outcome.body = outcome.transcript.substr(kTranscriptHeader.size());
  } else {
    ADD_FAILURE() << "transcript does not begin with its header:\n" << outcome.transcript;
  }
  return outcome;
}

std::uint32_t MakeTexture(int width, int height, const std::vector<std::uint8_t>& rgb) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return name;
}

std::uint32_t MakeSolidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return MakeTexture(1, 1, {r, g, b});
}

std::vector<FedBackVertex> VerticesDrawnByList(std::uint32_t list) {
  // Object coordinates -10..10 map to window coordinates 0..100 and to depths
  // 1..0, which the decoding below undoes.
  constexpr float kViewport = 100;
  glViewport(0, 0, static_cast<GLsizei>(kViewport), static_cast<GLsizei>(kViewport));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-10, 10, -10, 10, -10, 10);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  std::vector<GLfloat> buffer(1 << 16);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  glCallList(list);
  const GLint used = glRenderMode(GL_RENDER);

  std::vector<FedBackVertex> vertices;
  constexpr GLint kFloatsPerVertex = 3 + 4 + 4;  // position, colour, texture coordinate
  GLint at = 0;
  while (at < used) {
    const GLint token = static_cast<GLint>(buffer[at++]);
    if (token != GL_POLYGON_TOKEN) {
      ADD_FAILURE() << "unexpected feedback token " << token;
      break;
    }
    const GLint count = static_cast<GLint>(buffer[at++]);
    for (GLint v = 0; v < count && at + kFloatsPerVertex <= used; ++v, at += kFloatsPerVertex) {
      const GLfloat* f = &buffer[at];
      vertices.push_back({(f[0] / kViewport * 2 - 1) * 10, (f[1] / kViewport * 2 - 1) * 10,
                          (0.5f - f[2]) * 20, f[7], f[8]});
    }
  }
  return vertices;
}
