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

std::vector<float> Triple(const float (&v)[3]) {
  return {v[0], v[1], v[2]};
}

TEST(ReadScenePieces, BlocksShareOneWorkingRecord) {
  SceneStore store;
  AddCrateAndBox(store);
  ASSERT_EQ(ReadText(store, InScene("show=(1);\ntranslate=(1,2,3);\n"  // no block open: ignored
                                    "list=box;\nendlist;\n"
                                    "list=box;\nshow=(1);\nsolid=(1);\nrotate=(0,5,0);\n"
                                    "scale=(2,2,2);\ntranslate=(1,1,1);\nendlist;\n"
                                    "list=crate;\ntranslate=(3,0,0);\nrotate=(7,8);\nendlist;\n")),
            kSceneRead);
  ASSERT_EQ(store.sceneEntries.size(), 3u);
  // Before the first block every field is zero, so an unset scale is (0, 0, 0).
  const SceneEntry& first = store.sceneEntries[0];
  EXPECT_EQ(first.show, 0);
  EXPECT_EQ(Triple(first.translate), (std::vector<float>{0, 0, 0}));
  EXPECT_EQ(Triple(first.scale), (std::vector<float>{0, 0, 0}));
  // A field a block does not set keeps the value of the block before.
  const SceneEntry& third = store.sceneEntries[2];
  EXPECT_EQ(third.listId, 1);
  EXPECT_EQ(third.show, 1);
  EXPECT_EQ(third.solid, 1);
  EXPECT_EQ(Triple(third.scale), (std::vector<float>{2, 2, 2}));
  EXPECT_EQ(Triple(third.translate), (std::vector<float>{3, 0, 0}));
  EXPECT_EQ(Triple(third.rotate), (std::vector<float>{7, 8, 0}));
}

TEST(ReadScenePieces, ListNamesAreLowerCasedKeptWholeAndCutLikeTheCompilers) {
  SceneStore store;
  AddCrateAndBox(store);
  AddNamedList(store, 3, "a=b (x)");
  AddNamedList(store, 4, "abcdefghijklmnopqrstuvwxyz");  // the compiler keeps its first 19
  ASSERT_EQ(ReadText(store,
                     "BEGIN;\nScene=Main;\nLIST=Box;\nENDLIST;\n"
                     "list=crate;\nlist=a=b (x);\nendlist;\n"  // renames the open block
                     "list=ABCDEFGHIJKLMNOPQRSTUVWXYZ;\nendlist;\nEndScene;\nEND;\n"),
            kSceneRead);
  ASSERT_EQ(store.sceneEntries.size(), 3u);
  EXPECT_STREQ(store.sceneEntries[0].listName, "box");
  EXPECT_EQ(store.sceneEntries[0].listId, 2);
  EXPECT_STREQ(store.sceneEntries[1].listName, "a=b (x)");
  EXPECT_EQ(store.sceneEntries[1].listId, 3);
  EXPECT_STREQ(store.sceneEntries[2].listName, "abcdefghijklmnopqrs");
  EXPECT_EQ(store.sceneEntries[2].listId, 4);
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
    EXPECT_EQ(Triple(target), Triple(c.expected)) << c.value;
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

TEST(ReadSceneFile, ReadsARealFileAndReportsAMissingOne) {
  TempDir dir;
  SceneStore store;
  AddCrateAndBox(store);
  const std::string path = dir.Write(
      "scene.txt", "begin;\r\nscene=s;\r\nlist=crate;\r\nendlist;\r\nendscene;\r\nend;\r\n");
  EXPECT_EQ(ReadSceneFile(store, path.c_str()), kSceneRead);
  EXPECT_EQ(store.sceneEntryCount, 1);
  EXPECT_EQ(store.sceneEntries.at(0).listId, 1);
  // A missing file: count 0, list unchanged.
  EXPECT_EQ(ReadSceneFile(store, (dir.path() / "none.txt").c_str()), kSceneCannotOpen);
  EXPECT_EQ(store.sceneEntryCount, 0);
  EXPECT_EQ(store.sceneEntries.size(), 1u);
}

}  // namespace
