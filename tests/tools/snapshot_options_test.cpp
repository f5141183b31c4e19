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

// The refusals of the key script and of the other arguments are cases of
// morvane-snapshot's answers (tests/cases/snapshot).

SnapshotCommand Parse(std::vector<const char*> arguments, SnapshotOptions& options,
                      std::string& error) {
  arguments.insert(arguments.begin(), "morvane-snapshot");
  return ParseSnapshotArguments(static_cast<int>(arguments.size()), arguments.data(), options,
                                error);
}

// Each option's value reaches the program (SnapshotProgram); here are the
// forms the program tests do not use.
TEST(ParseSnapshotArguments, EqualsFormsTheEndOfOptionsAndAnEmptyFolder) {
  SnapshotOptions options;
  std::string error;
  ASSERT_EQ(Parse({"--frames=2", "--keys=up left", "--", "--odd-folder"}, options, error),
            SnapshotCommand::kRun);
  EXPECT_EQ(options.frames, 2u);
  EXPECT_EQ(options.keys.length, 2u);
  EXPECT_EQ(options.directory, "--odd-folder");
  EXPECT_EQ(Parse({""}, options, error), SnapshotCommand::kUsageError);
  EXPECT_EQ(error, "the folder name is empty");
}

}  // namespace
