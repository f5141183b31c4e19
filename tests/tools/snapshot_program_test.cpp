// Runs the built morvane-snapshot program on real scene folders and checks
// what it prints, the files it writes and the pixels of its picture.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "offscreen/png_io.h"
#include "tests/scene/quad_picture.h"
#include "tests/support/test_files.h"
#include "tests/textures/bitmap_builder.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// Runs the program from `workingDir` with `arguments`.
Outcome RunProgram(const TempDir& workingDir, const std::vector<std::string>& arguments) {
  std::string command =
      "cd " + Quoted(workingDir.path().string()) + " && " + Quoted(MORVANE_SNAPSHOT_PROGRAM);
  for (const std::string& argument : arguments) {
    command += ' ';
    command += Quoted(argument);
  }
  command += " >stdout.txt 2>stderr.txt";
  const int status = std::system(command.c_str());
  Outcome outcome;
  if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
  outcome.out = ReadFileBytes(workingDir.path() / "stdout.txt");
  outcome.err = ReadFileBytes(workingDir.path() / "stderr.txt");
  return outcome;
}

RgbPicture ReadPicture(const std::filesystem::path& path) {
  RgbPicture picture;
  std::string error;
  EXPECT_TRUE(ReadPng(path.string(), picture, &error)) << error;
  return picture;
}

// The square at (0, 0, -6), turned `degrees` about y, must fill what the
// camera model says, and each texel must hold its own quarter.
void ExpectSquare(const RgbPicture& picture, double eyeZ, double heading, double degrees = 0) {
  ASSERT_EQ(picture.width, kWidth);
  ASSERT_EQ(picture.height, kHeight);
  const double a = degrees * 3.14159265358979323846 / 180.0;
  double corners[4][3];
  const double square[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int i = 0; i < 4; ++i) {
    corners[i][0] = square[i][0] * std::cos(a);
    corners[i][1] = square[i][1];
    corners[i][2] = -square[i][0] * std::sin(a) - 6;
  }
  const ScreenBox expected = ProjectCorners(0, eyeZ, heading, corners, kWidth, kHeight);
  const PixelBox lit = FindLit(picture.pixels, kWidth, kHeight);
  ASSERT_GT(lit.count, 0);
  EXPECT_NEAR(lit.left, expected.left, 1.5);
  EXPECT_NEAR(lit.right + 1, expected.right, 1.5);
  EXPECT_NEAR(lit.top, expected.top, 1.5);
  EXPECT_NEAR(lit.bottom + 1, expected.bottom, 1.5);
  // Quarter centres sample near texel centres, so linear filtering leaves
  // each quarter close to its own colour (closest when seen head-on).
  const auto expectColour = [&](int x, int y, Rgb colour) {
    const std::uint8_t* p = &picture.pixels[(static_cast<std::size_t>(y) * kWidth + x) * 3];
    EXPECT_NEAR(p[0], colour.r, 32) << x << "," << y;
    EXPECT_NEAR(p[1], colour.g, 32) << x << "," << y;
    EXPECT_NEAR(p[2], colour.b, 32) << x << "," << y;
  };
  const int left = (3 * lit.left + lit.right) / 4;
  const int right = (lit.left + 3 * lit.right) / 4;
  const int top = (3 * lit.top + lit.bottom) / 4;
  const int bottom = (lit.top + 3 * lit.bottom) / 4;
  if (degrees == 0) {
    expectColour(left, bottom, kRed);
    expectColour(right, bottom, kGreen);
    expectColour(left, top, kBlue);
    expectColour(right, top, kWhite);
  }
}

class SnapshotProgram : public testing::Test {
 protected:
  void SetUp() override { WriteSquareSceneFolder(scene_); }

  Outcome Snapshot(std::vector<std::string> arguments) {
    arguments.push_back(scene_.path().string());
    return RunProgram(caller_, arguments);
  }

  TempDir scene_;
  TempDir caller_;
};

// The parse log and ogllist.txt it writes are start-up cases (tests/cases/startup).
TEST_F(SnapshotProgram, WritesThePictureWhereItIsRun) {
  const Outcome outcome = Snapshot({});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  // The picture lands where the caller stands, not in the scene folder.
  EXPECT_FALSE(std::filesystem::exists(scene_.path() / "snapshot.png"));
  ExpectSquare(ReadPicture(caller_.path() / "snapshot.png"), 0, 0);
}

// The scene's files are read while the context is made. When no context can
// be made (here: no EGL vendor library is found), the program ends as it did
// before reading began: exit code 2, no parse log, no ogllist.txt.
TEST_F(SnapshotProgram, WithoutAContextNothingOfTheSceneIsWritten) {
  setenv("__EGL_VENDOR_LIBRARY_FILENAMES", "/nonexistent", 1);
  const Outcome outcome = Snapshot({});
  unsetenv("__EGL_VENDOR_LIBRARY_FILENAMES");
  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_NE(outcome.err.find("no off-screen OpenGL context"), std::string::npos) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_FALSE(std::filesystem::exists(scene_.path() / "ogllist.txt"));
}

// --timings adds its report on standard error and changes nothing else.
TEST_F(SnapshotProgram, TimingsReportEveryPhaseAndChangeNoOutput) {
  const Outcome plain = Snapshot({});
  const std::string picture = ReadFileBytes(caller_.path() / "snapshot.png");
  const Outcome timed = Snapshot({"--timings"});
  EXPECT_EQ(timed.exitCode, 0);
  EXPECT_EQ(timed.out, plain.out);
  EXPECT_TRUE(ReadFileBytes(caller_.path() / "snapshot.png") == picture);
  std::string phases;
  for (std::size_t at = 0; (at = timed.err.find("timing: ", at)) != std::string::npos;) {
    at += 8;
    phases += timed.err.substr(at, timed.err.find(':', at) - at) + ";";
    EXPECT_NE(timed.err.find(" ms wall, ", at), std::string::npos);
  }
  EXPECT_EQ(phases,
            "context;textures;compiling;reading objects.txt with the log;reading scene.txt;"
            "naming the scene's lists;first frame;waiting for the check;PNG;total;");
}

// --quiet keeps the parse log off standard output and changes nothing else.
TEST_F(SnapshotProgram, QuietLeavesOutOnlyTheParseLog) {
  scene_.Write("scene.txt", "begin; \n");  // for a summary line on standard error
  const Outcome plain = Snapshot({});
  const std::string picture = ReadFileBytes(caller_.path() / "snapshot.png");
  const std::string transcript = ReadFileBytes(scene_.path() / "ogllist.txt");
  const Outcome quiet = Snapshot({"--quiet"});
  EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
  EXPECT_NE(plain.out, "");
  EXPECT_EQ(quiet.out, "");
  EXPECT_NE(plain.err, "");
  EXPECT_EQ(quiet.err, plain.err);
  EXPECT_TRUE(ReadFileBytes(caller_.path() / "snapshot.png") == picture);
  EXPECT_TRUE(ReadFileBytes(scene_.path() / "ogllist.txt") == transcript);
}

TEST_F(SnapshotProgram, KeysMoveAndTurnTheCamera) {
  struct Case {
    std::vector<std::string> arguments;
    double eyeZ;
    double heading;
  };
  const Case cases[] = {
      {{"--keys", "up*20"}, -3.0, 0},
      {{"--frames", "30", "--keys", "left*5"}, 0, 0.2},
      {{"--keys", "left*5 up+f1"}, 0, 0},  // F1 looks ahead again, and stops the step
      {{"--keys", "up*2,down*2 right"}, 0, -0.04},
      // The tick that holds Escape is drawn, and it is the last one.
      {{"--frames", "50", "--keys", "up*4 escape up*10"}, -0.6, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.end(), {"--output", "keys.png"});
    const Outcome outcome = Snapshot(arguments);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    SCOPED_TRACE(c.arguments.back());
    ExpectSquare(ReadPicture(caller_.path() / "keys.png"), c.eyeZ, c.heading);
  }
}

TEST_F(SnapshotProgram, TheCreationTickAdvancesTheAnimation) {
  // The creation tick is frame 0 and draws nothing, so the one timer tick is
  // frame 1 and turns a rate of 600 by 60 degrees.
  scene_.Write("scene.txt",
               "begin;\nscene=main;\nlist=square;\ntranslate=(0,0,-6);\nrotate=(0,600,0);\n"
               "scale=(1,1,1);\nendlist;\nendscene;\nend;\n");
  const Outcome outcome = Snapshot({"--output", "turned.png"});
  ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
  ExpectSquare(ReadPicture(caller_.path() / "turned.png"), 0, 0, 60);
}

TEST_F(SnapshotProgram, BitmapsOfTodaysImageToolsShowInTheFrame) {
  // The square as ImageMagick 6.9 writes it with `convert square.png
  // square.bmp`: a 124-byte header over a 4-bit palette, with masks, the sRGB
  // colour space and a rendering intent. Then as a V5 bitmap with 32-bit bit
  // fields whose alpha mask makes every pixel fully transparent, which a
  // texture without alpha must not show.
  const std::string imageMagick = ReadFileBytes(std::filesystem::path(MORVANE_SOURCE_DIR) /
                                                "tests" / "data" / "square_imagemagick.bmp");
  const std::string v5 = WithFileHeader(
      LongHeaderBytes(124, {.width = 2, .height = 2, .bitsPerPixel = 32, .compression = 3}) +
          Le32(0xFF0000) + Le32(0x00FF00) + Le32(0x0000FF) + Le32(0xFFFFFF),
      124);
  for (const std::string& bitmap : {imageMagick, v5}) {
    scene_.Write("square.bmp", bitmap);
    const Outcome outcome = Snapshot({"--output", "square.png"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    ExpectSquare(ReadPicture(caller_.path() / "square.png"), 0, 0);
  }
}

TEST_F(SnapshotProgram, ComparesWithAReferencePicture) {
  ASSERT_EQ(Snapshot({"--output", "ref.png"}).exitCode, 0);
  const std::string reference = (caller_.path() / "ref.png").string();

  // An equal picture passes (SnapshotProgramDemo), an unreadable reference is
  // refused (tests/cases/snapshot). Turning the camera moves the square: far more than 0.1 % of the
  // pixels.
  const Outcome turned =
      Snapshot({"--keys", "left*5", "--output", "turned.png", "--ref", reference});
  EXPECT_EQ(turned.exitCode, 1);
  EXPECT_NE(turned.err.find("% of the pixels"), std::string::npos) << turned.err;
  EXPECT_TRUE(std::filesystem::exists(caller_.path() / "turned.png"));
  EXPECT_TRUE(std::filesystem::exists(caller_.path() / "turned-diff.png"));

  // A generous threshold accepts the same difference.
  const Outcome allowed = Snapshot(
      {"--keys", "left*5", "--output", "allowed.png", "--ref", reference, "--threshold", "100"});
  EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
}

TEST(SnapshotProgramDemo, MatchesItsReferencePicture) {
  // The bundled demo, 100 frames in, as committed; a change that alters what
  // the viewer draws shows up here.
  const std::filesystem::path source = MORVANE_SOURCE_DIR;
  TempDir demo;
  std::filesystem::copy(source / "examples" / "demo", demo.path(),
                        std::filesystem::copy_options::recursive);
  const std::string reference = (source / "tests" / "data" / "demo_frame100.png").string();
  TempDir caller;
  const Outcome outcome =
      RunProgram(caller, {"--frames", "100", "--ref", reference, demo.path().string()});
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
}

}  // namespace
