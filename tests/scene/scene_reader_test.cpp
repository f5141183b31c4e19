#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/test_files.h"

namespace {

void AddNamedList(SceneStore& store, std::int32_t id, const char* name) {
  store.currentNamedList.listId = id;
  CopyBounded(store.currentNamedList.name, name);
  store.AppendCurrentNamedList();
}

// A store as the compiler leaves it for "crate" (list 1) and "box" (list 2).
void AddCrateAndBox(SceneStore& store) {
  AddNamedList(store, 1, "crate");
  AddNamedList(store, 2, "box");
}

std::int32_t ReadText(SceneStore& store, std::string_view text) {
  LineReader reader(text);
  return ReadScenePieces(store, reader);
}

// Wraps block lines into a complete, accepted scene.
std::string InScene(std::string_view blocks) {
  return "begin;\nscene=main;\n" + std::string(blocks) + "endscene;\nend;\n";
}

TEST(ReadScenePieces, OneBlockBecomesOneEntry) {
  SceneStore store;
  AddCrateAndBox(store);
  const std::int32_t result = ReadText(store, InScene("list=box;\ntranslate=(0,0,-6);\n"
                                                      "rotate=(0,1,0);\nscale=(1,1,1);\n"
                                                      "show=(1);\nendlist;\n"));
  EXPECT_EQ(result, kSceneRead);
  EXPECT_EQ(store.sceneEntryCount, 1);
  ASSERT_EQ(store.sceneEntries.size(), 1u);
  const SceneEntry& entry = store.sceneEntries[0];
  EXPECT_EQ(entry.listId, 2);
  EXPECT_STREQ(entry.listName, "box");
  EXPECT_EQ(entry.show, 1);
  EXPECT_EQ(entry.solid, 0);
  EXPECT_EQ(std::vector<float>(entry.translate, entry.translate + 3),
            (std::vector<float>{0, 0, -6}));
  EXPECT_EQ(std::vector<float>(entry.rotate, entry.rotate + 3), (std::vector<float>{0, 1, 0}));
  EXPECT_EQ(std::vector<float>(entry.scale, entry.scale + 3), (std::vector<float>{1, 1, 1}));
  // The lookup leaves the named-list cursor on the list it found.
  EXPECT_EQ(store.namedListCursor, 1u);
}

struct ResultCase {
  const char* name;
  std::string_view text;
  std::int32_t result;
  std::int32_t count;  // entries appended (and counted) before the reading stopped
};

void PrintTo(const ResultCase& c, std::ostream* out) {
  *out << c.name;
}

class ResultCodes : public testing::TestWithParam<ResultCase> {};

TEST_P(ResultCodes, StopAtTheLineThatCausesThem) {
  SceneStore store;
  AddCrateAndBox(store);
  EXPECT_EQ(ReadText(store, GetParam().text), GetParam().result);
  EXPECT_EQ(store.sceneEntryCount, GetParam().count);
  EXPECT_EQ(store.sceneEntries.size(), static_cast<std::size_t>(GetParam().count));
}

constexpr char kTwoBlocks[] = "begin;\nscene=s;\nlist=box;\nendlist;\nlist=crate;\nendlist;\n";

INSTANTIATE_TEST_SUITE_P(
    ReadScenePieces, ResultCodes,
    testing::Values(
        ResultCase{"EmptyFile", "", 0, 0}, ResultCase{"EndOfFileWithoutEnd", kTwoBlocks, 0, 2},
        ResultCase{"BlockOpenAtEndOfFileIsDropped", "begin;\nscene=s;\nlist=box;\n", 0, 0},
        ResultCase{"LinesAfterEndAreNotRead", "begin;\nend;\nbegin;\n\nx=1;\n", 0, 0},
        ResultCase{"UnknownKeywordBeforeBegin", "hello;\nbegin;\nend;\n", 0, 0},
        ResultCase{"UnknownKeyAfterBegin", "begin;\ncolour=(1,2,3);\nend;\n", 0, 0},
        ResultCase{"KeywordsAsAssignmentsAreIgnored",
                   "begin;\nbegin=1;\nendlist=;\nendscene=x;\nend=y;\nend;\n", 0, 0},
        ResultCase{"SeveralScenesInOneBody",
                   "begin;\nscene=a;\nlist=box;\nendlist;\nendscene;\n"
                   "scene=b;\nlist=box;\nendlist;\nendscene;\nend;\n",
                   0, 2},
        ResultCase{"CrLfLineBreaks", "begin;\r\nscene=s;\r\nlist=box;\r\nendlist;\r\n", 0, 1},
        ResultCase{"LoneCrBeforeTheEnd", "begin;\r", 0, 0},
        ResultCase{"EmptyLine", "begin;\n\nend;\n", 2, 0},
        ResultCase{"BlankAfterSemicolon", "begin; \n", 2, 0},
        ResultCase{"LastLineWithoutNewline", "begin;\nscene=s;\nendscene;\nend;", 2, 0},
        ResultCase{"LineWithoutSemicolon", "begin\n", 2, 0},
        ResultCase{"SingleCharacter", ";", 2, 0},
        ResultCase{"NulByteEndsTheLine", std::string_view("begin\0;\n", 8), 2, 0},
        ResultCase{"FailureKeepsEarlierEntries", "begin;\nscene=s;\nlist=box;\nendlist;\n\n", 2, 1},
        ResultCase{"SecondBegin", "begin;\nbegin;\n", 3, 0},
        ResultCase{"SecondBeginAfterBlocks", "begin;\nscene=s;\nlist=box;\nendlist;\nbegin;\n", 3,
                   1},
        ResultCase{"SecondScene", "begin;\nscene=a;\nscene=b;\n", 4, 0},
        ResultCase{"EndListWithoutBegin", "endlist;\n", 5, 0},
        ResultCase{"EndListWithoutScene", "begin;\nlist=box;\nendlist;\n", 5, 0},
        ResultCase{"EndListWithoutList", "begin;\nscene=s;\nendlist;\n", 5, 0},
        ResultCase{"SceneAsKeywordIsIgnored", "begin;\nscene;\nlist=box;\nendlist;\n", 5, 0},
        ResultCase{"EndSceneWithoutBegin", "endscene;\n", 6, 0},
        ResultCase{"EndSceneWithoutScene", "begin;\nendscene;\n", 6, 0},
        ResultCase{"EndSceneWithListOpen", "begin;\nscene=s;\nlist=box;\nendscene;\n", 6, 0},
        ResultCase{"EndWithoutBegin", "end;\n", 7, 0},
        ResultCase{"EndWithSceneOpen", "begin;\nscene=s;\nend;\n", 7, 0},
        ResultCase{"EndWithListOpen", "begin;\nlist=box;\nend;\n", 7, 0},
        ResultCase{"AssignmentBeforeBegin", "list=box;\n", 8, 0},
        ResultCase{"AnyAssignmentBeforeBegin", "x=;\nbegin;\n", 8, 0}),
    [](const testing::TestParamInfo<ResultCase>& param) { return param.param.name; });

TEST(ReadScenePieces, NothingOfAFailingLineIsApplied) {
  SceneStore store;
  AddCrateAndBox(store);
  // The second "scene" fails before anything else of its line is looked at,
  // and a failing "endlist" appends nothing.
  EXPECT_EQ(ReadText(store, "begin;\nlist=box;\nscene=a;\nscene=b;\n"), kSceneSecondScene);
  EXPECT_TRUE(store.sceneEntries.empty());
  EXPECT_STREQ(store.currentSceneEntry.listName, "box");
}

TEST(ReadScenePieces, FieldsCarryOverFromTheBlockBefore) {
  SceneStore store;
  AddCrateAndBox(store);
  ASSERT_EQ(ReadText(store, InScene("list=box;\nshow=(1);\nsolid=(1);\nrotate=(0,5,0);\n"
                                    "scale=(2,2,2);\ntranslate=(1,1,1);\nendlist;\n"
                                    "list=crate;\ntranslate=(3,0,0);\nrotate=(7,8);\nendlist;\n")),
            kSceneRead);
  ASSERT_EQ(store.sceneEntries.size(), 2u);
  const SceneEntry& second = store.sceneEntries[1];
  EXPECT_EQ(second.listId, 1);
  EXPECT_EQ(second.show, 1);
  EXPECT_EQ(second.solid, 1);
  EXPECT_EQ(std::vector<float>(second.scale, second.scale + 3), (std::vector<float>{2, 2, 2}));
  EXPECT_EQ(std::vector<float>(second.translate, second.translate + 3),
            (std::vector<float>{3, 0, 0}));
  // A two-component vector leaves the third rate of the block before.
  EXPECT_EQ(std::vector<float>(second.rotate, second.rotate + 3), (std::vector<float>{7, 8, 0}));
}

TEST(ReadScenePieces, BeforeTheFirstBlockEveryFieldIsZero) {
  SceneStore store;
  AddCrateAndBox(store);
  ASSERT_EQ(ReadText(store, InScene("list=box;\nendlist;\n")), kSceneRead);
  const SceneEntry& entry = store.sceneEntries.at(0);
  EXPECT_EQ(std::vector<float>(entry.scale, entry.scale + 3), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(entry.show, 0);
}

TEST(ReadScenePieces, PlacementLinesOutsideABlockAreIgnored) {
  SceneStore store;
  AddCrateAndBox(store);
  ASSERT_EQ(ReadText(store, InScene("show=(1);\ntranslate=(1,2,3);\nlist=box;\nendlist;\n"
                                    "scale=(4,4,4);\n")),
            kSceneRead);
  EXPECT_EQ(store.sceneEntries.at(0).show, 0);
  EXPECT_EQ(store.sceneEntries.at(0).translate[0], 0);
  EXPECT_EQ(store.currentSceneEntry.scale[0], 0);
}

TEST(ReadScenePieces, CaseDoesNotMatter) {
  SceneStore store;
  AddCrateAndBox(store);
  ASSERT_EQ(
      ReadText(store, "BEGIN;\nScene=Main;\nLIST=Box;\nShow=(1);\nENDLIST;\nEndScene;\nEND;\n"),
      kSceneRead);
  EXPECT_STREQ(store.sceneEntries.at(0).listName, "box");
  EXPECT_EQ(store.sceneEntries.at(0).listId, 2);
  EXPECT_EQ(store.sceneEntries.at(0).show, 1);
}

TEST(ReadScenePieces, ListRenamesTheOpenBlockAndKeepsEveryCharacter) {
  SceneStore store;
  AddNamedList(store, 1, "a=b (x)");
  AddCrateAndBox(store);
  ASSERT_EQ(ReadText(store, InScene("list=crate;\nlist=a=b (x);\nendlist;\n")), kSceneRead);
  EXPECT_STREQ(store.sceneEntries.at(0).listName, "a=b (x)");
  EXPECT_EQ(store.sceneEntries.at(0).listId, 1);
}

TEST(ReadScenePieces, LongNamesAreCutAsTheCompilerCutsThem) {
  SceneStore store;
  AddCrateAndBox(store);
  AddNamedList(store, 3, "abcdefghijklmnopqrstuvwxyz");  // stored as its first 19
  ASSERT_EQ(ReadText(store, InScene("list=ABCDEFGHIJKLMNOPQRSTUVWXYZ;\nendlist;\n")), kSceneRead);
  EXPECT_STREQ(store.sceneEntries.at(0).listName, "abcdefghijklmnopqrs");
  EXPECT_EQ(store.sceneEntries.at(0).listId, 3);
}

TEST(ReadScenePieces, LongLinesArriveAsPiecesThatFail) {
  SceneStore store;
  // A 300-character line: its first 254-character piece has no ';' before its last.
  const std::string line = "list=" + std::string(293, 'x') + ";\n";
  EXPECT_EQ(ReadText(store, "begin;\nscene=s;\n" + line), kSceneNoSemicolon);
}

struct FlagCase {
  const char* value;
  std::int32_t flag;
};

TEST(ReadScenePieces, ShowAndSolidLookAtTheSecondCharacter) {
  const FlagCase cases[] = {{"(1)", 1}, {"(0)", 0}, {"1", 0}, {"", 0}, {"x1", 1}, {"(10)", 1}};
  for (const FlagCase& c : cases) {
    SceneStore store;
    store.currentSceneEntry.show = 7;
    store.currentSceneEntry.solid = 7;
    const std::string block =
        "list=a;\nshow=" + std::string(c.value) + ";\nsolid=" + c.value + ";\nendlist;\n";
    ASSERT_EQ(ReadText(store, InScene(block)), kSceneRead) << c.value;
    EXPECT_EQ(store.sceneEntries.at(0).show, c.flag) << c.value;
    EXPECT_EQ(store.sceneEntries.at(0).solid, c.flag) << c.value;
  }
}

struct VectorCase {
  const char* value;
  float expected[3];
};

TEST(ReadSceneVector, ReadsEachComponentFromItsOwnCharacters) {
  // Every case starts from (7, 8, 9), so untouched components show.
  const VectorCase cases[] = {
      {"(0.5,-2,10)", {0.5f, -2, 10}},
      {"(10.5,2,3)", {10.5f, 2, 3}},
      {"(1.5,-2,0.25)", {1.5f, -2, 0.25f}},
      {"( 2 , 2 , 2 )", {2, 2, 2}},
      {"1,2,3", {0, 2, 3}},  // the first character is always skipped
      {"(0,1)", {0, 1, 9}},
      {"(4)", {4, 8, 9}},
      {"(1,2,3", {1, 2, 3}},  // a digit in last place is kept before the store
      {"(1,2,", {1, 2, 9}},
      {"(1,2,3,4,5)", {1, 2, 3}},  // components past the third are dropped
      {"(1-2,3)", {-2, 3, 9}},     // '-' starts the component again
      {"(-,5)", {0, 5, 9}},
      {"()", {0, 8, 9}},
      {"(1e5,+3,x)", {15, 3, 0}},  // exponents, '+' and letters add nothing
      {"(1.2.3,7)", {1.2f, 7, 9}},
      {"(-12.3456789,123456789.5,0.000000001)", {-12.3456789f, 123456789.5f, 0.000000001f}},
      {"(", {7, 8, 9}},
      {"", {7, 8, 9}},
  };
  for (const VectorCase& c : cases) {
    float target[3] = {7, 8, 9};
    ReadSceneVector(c.value, target);
    EXPECT_EQ(std::vector<float>(target, target + 3),
              std::vector<float>(c.expected, c.expected + 3))
        << c.value;
  }
}

TEST(ListIdLookup, IsThePositionOfTheFirstMatch) {
  struct Case {
    std::vector<const char*> names;
    const char* wanted;
    std::int32_t id;
    Cursor cursor;
  };
  const Case cases[] = {
      {{"a", "b", "c"}, "b", 2, 1},
      {{"a", "b", "b"}, "b", 2, 1},   // the first of two equal names wins
      {{"a", "b", "c"}, "zz", 3, 3},  // no match: the last list, cursor at the end
      {{}, "a", 0, 0},                // no lists at all
      {{"box", "boxes"}, "boxes", 2, 1},
      {{"box", "boxes"}, "bo", 2, 2},
      {{"", "x"}, "", 1, 0},
  };
  for (const Case& c : cases) {
    SceneStore store;
    // The ids recorded in the lists are not what the lookup returns.
    for (const char* name : c.names) AddNamedList(store, 40, name);
    const ListIdLookup lists(store);
    char wanted[kListNameSize];
    CopyBounded(wanted, c.wanted);
    EXPECT_EQ(lists.Find(store, wanted), c.id) << c.wanted;
    EXPECT_EQ(store.namedListCursor, c.cursor) << c.wanted;
  }
}

TEST(ListIdLookup, NeverReadsPastAnUnterminatedName) {
  SceneStore store;
  store.currentNamedList.listId = 1;
  std::memset(store.currentNamedList.name, 'x', kListNameSize);
  store.AppendCurrentNamedList();
  const ListIdLookup lists(store);
  char wanted[kListNameSize];
  std::memset(wanted, 'x', kListNameSize);
  EXPECT_EQ(lists.Find(store, wanted), 1);
}

TEST(ReadSceneFile, ReadsARealFile) {
  TempDir dir;
  SceneStore store;
  AddCrateAndBox(store);
  const std::string path = dir.Write(
      "scene.txt", "begin;\r\nscene=s;\r\nlist=crate;\r\nendlist;\r\nendscene;\r\nend;\r\n");
  EXPECT_EQ(ReadSceneFile(store, path.c_str()), kSceneRead);
  EXPECT_EQ(store.sceneEntryCount, 1);
  EXPECT_EQ(store.sceneEntries.at(0).listId, 1);
}

TEST(ReadSceneFile, MissingFileGivesOneAndCountZero) {
  TempDir dir;
  SceneStore store;
  store.AppendCurrentSceneEntry();
  store.sceneEntryCount = 1;
  EXPECT_EQ(ReadSceneFile(store, (dir.path() / "scene.txt").c_str()), kSceneCannotOpen);
  EXPECT_EQ(store.sceneEntryCount, 0);
  EXPECT_EQ(store.sceneEntries.size(), 1u);
  // A folder opens but yields no line, so it reads as an empty scene.
  EXPECT_EQ(ReadSceneFile(store, dir.path().c_str()), kSceneRead);
}

}  // namespace
