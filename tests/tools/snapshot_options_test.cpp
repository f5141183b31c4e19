#include "tools/snapshot_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/key_script.h"

namespace {

// Keys as a short text, so a table can say what a tick holds.
std::string Describe(const HeldKeys& k) {
  std::string s;
  if (k.up) s += "U";
  if (k.down) s += "D";
  if (k.left) s += "L";
  if (k.right) s += "R";
  if (k.f1) s += "F";
  if (k.escape) s += "E";
  return s.empty() ? "-" : s;
}

std::string Play(const KeyScript& script, int ticks) {
  KeyScriptPlayer player(script);
  std::string s;
  for (int i = 0; i < ticks; ++i) s += Describe(player.Next()) + " ";
  return s;
}

TEST(ParseKeyScript, TokensHoldTheirKeysOverTheFirstTicks) {
  struct Case {
    const char* text;
    std::uint64_t length;
    const char* ticks;  // the first five ticks
  };
  const Case cases[] = {
      {"", 0, "- - - - - "},
      {"up", 1, "U - - - - "},
      {"up*2 left", 3, "U U L - - "},
      {"up+left*2,,down", 3, "UL UL D - - "},
      {"  none*2\tescape ", 3, "- - E - - "},
      {"f1+right+escape+none", 1, "RFE - - - - "},
  };
  for (const Case& c : cases) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(ParseKeyScript(c.text, script, error)) << c.text << ": " << error;
    EXPECT_EQ(script.length, c.length) << c.text;
    EXPECT_EQ(Play(script, 5), c.ticks) << c.text;
  }
}

TEST(ParseKeyScript, RejectsWhatItCannotRead) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"jump", "unknown key 'jump'"},
      {"Up", "unknown key 'Up'"},
      {"up+", "a key name is missing"},
      {"*3", "a key name is missing"},
      {"up*0", "count"},
      {"up*2x", "count"},
      {"up*1000000001", "count"},
      {"up*99999999999999999999999", "count"},
      {"up*600000000 down*600000000", "more than 1000000000 ticks"},
  };
  for (const Case& c : cases) {
    KeyScript script;
    std::string error;
    EXPECT_FALSE(ParseKeyScript(c.text, script, error)) << c.text;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.text;
  }
}

TEST(KeyScriptPlayer, LongRunsCostNoMemory) {
  KeyScript script;
  std::string error;
  ASSERT_TRUE(ParseKeyScript("up*1000000000", script, error));
  EXPECT_EQ(script.runs.size(), 1u);
  EXPECT_EQ(script.length, 1000000000u);
}

SnapshotCommand Parse(std::vector<const char*> arguments, SnapshotOptions& options,
                      std::string& error) {
  arguments.insert(arguments.begin(), "morvane-snapshot");
  return ParseSnapshotArguments(static_cast<int>(arguments.size()), arguments.data(), options,
                                error);
}

TEST(ParseSnapshotArguments, DefaultsAndValues) {
  SnapshotOptions options;
  std::string error;
  ASSERT_EQ(Parse({}, options, error), SnapshotCommand::kRun);
  EXPECT_EQ(options.frames, 1u);
  EXPECT_EQ(options.keys.length, 0u);
  EXPECT_EQ(options.output, "snapshot.png");
  EXPECT_EQ(options.directory, ".");

  EXPECT_FALSE(options.timings);
  ASSERT_EQ(Parse({"--frames", "7", "--keys=up*3 left", "--output", "a.png", "--ref", "r.png",
                   "--timings", "--threshold", "2.5", "scenes/x"},
                  options, error),
            SnapshotCommand::kRun)
      << error;
  EXPECT_EQ(options.reference, "r.png");
  EXPECT_EQ(options.thresholdPercent, 2.5);
  EXPECT_EQ(options.frames, 7u);
  EXPECT_EQ(options.keys.length, 4u);
  EXPECT_EQ(options.output, "a.png");
  EXPECT_EQ(options.directory, "scenes/x");
  EXPECT_TRUE(options.timings);

  SnapshotOptions dashed;
  ASSERT_EQ(Parse({"--frames=2", "--", "--odd-folder"}, dashed, error), SnapshotCommand::kRun);
  EXPECT_EQ(dashed.frames, 2u);
  EXPECT_EQ(dashed.directory, "--odd-folder");
}

TEST(ParseSnapshotArguments, UsageErrorsSayWhatIsWrong) {
  struct Case {
    std::vector<const char*> arguments;
    const char* reason;
  };
  const Case cases[] = {
      {{"--frames", "0"}, "--frames needs a whole number"},
      {{"--frames=abc"}, "--frames needs a whole number"},
      {{"--frames"}, "--frames needs a value"},
      {{"--keys", "fly"}, "unknown key 'fly'"},
      {{"--output="}, "--output needs a file name"},
      {{"--colour", "red"}, "unknown option '--colour'"},
      {{"a", "b"}, "more than one folder"},
      {{"--ref="}, "--ref needs a file name"},
      {{"--threshold", "-1"}, "--threshold needs a percentage"},
      {{"--threshold", "101"}, "--threshold needs a percentage"},
      {{"--threshold", "5%"}, "--threshold needs a percentage"},
      {{""}, "folder name is empty"},
  };
  for (const Case& c : cases) {
    SnapshotOptions options;
    std::string error;
    EXPECT_EQ(Parse(c.arguments, options, error), SnapshotCommand::kUsageError) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

}  // namespace
