#include "scene/scene_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

void AddNamedList(SceneStore& store, std::int32_t id, const char* name) {
  store.currentNamedList.listId = id;
  CopyBounded(store.currentNamedList.name, name);
  store.AppendCurrentNamedList();
}

// A store as the compiler leaves it for "crate" (list 1) and "box" (list 2).
SceneStore CrateAndBox() {
  SceneStore store;
  AddNamedList(store, 1, "crate");
  AddNamedList(store, 2, "box");
  return store;
}

std::int32_t ReadText(SceneStore& store, std::string_view text) {
  LineReader reader(text);
  return ReadScenePieces(store, reader);
}

// Every entry as "NAME ID SHOW SOLID translate rotate scale".
std::vector<std::string> Entries(const SceneStore& store) {
  std::vector<std::string> out;
  for (const SceneEntry& e : store.sceneEntries) {
    std::ostringstream text;
    text << e.listName << ' ' << e.listId << ' ' << e.show << ' ' << e.solid;
    for (const float* v : {e.translate, e.rotate, e.scale}) {
      text << " (" << v[0] << ',' << v[1] << ',' << v[2] << ')';
    }
    out.push_back(text.str());
  }
  return out;
}

// Where the reading stops and why are start-up cases (tests/cases/startup,
// the scene-* folders); here is what it leaves in the store.
TEST(ReadScenePieces, KeepsEveryBlockClosedBeforeItStops) {
  const struct {
    std::string_view text;
    std::int32_t result;
    std::int32_t count;  // entries appended (and counted) before the reading stopped
  } cases[] = {
      {"begin;\nscene=s;\nlist=box;\nendlist;\nlist=crate;\nendlist;\n", kSceneRead, 2},
      {"begin;\nscene=a;\nlist=box;\nendlist;\nendscene;\nscene=b;\nlist=box;\nendlist;\n",
       kSceneRead, 2},
      {"begin;\nscene=s;\nlist=box;\n", kSceneRead, 0},  // a block open at the end is dropped
      {"begin;\nscene=s;\nlist=box;\nendlist;\n\n", kSceneNoSemicolon, 1},
      {"begin;\nscene=s;\nlist=box;\nendlist;\nendlist;\n", kSceneStrayEndList, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    SceneStore store = CrateAndBox();
    EXPECT_EQ(ReadText(store, c.text), c.result);
    EXPECT_EQ(store.sceneEntryCount, c.count);
    EXPECT_EQ(store.sceneEntries.size(), static_cast<std::size_t>(c.count));
  }
  // Nothing of a failing line is applied: the second "scene" fails before its
  // line is looked at further, and a failing "endlist" appends nothing.
  SceneStore store = CrateAndBox();
  EXPECT_EQ(ReadText(store, "begin;\nlist=box;\nscene=a;\nscene=b;\n"), kSceneSecondScene);
  EXPECT_EQ(Entries(store), std::vector<std::string>{});
  EXPECT_STREQ(store.currentSceneEntry.listName, "box");
}

TEST(ReadScenePieces, BlocksShareOneWorkingRecordAndFindTheirListsByName) {
  SceneStore store = CrateAndBox();
  AddNamedList(store, 3, "a=b (x)");
  AddNamedList(store, 4, "abcdefghijklmnopqrstuvwxyz");  // the compiler keeps its first 19
  // Before the first block every field is zero; a field a block does not set
  // keeps the value of the block before; names are lower-cased and cut to 19;
  // show and solid are 1 when their value's second character is '1'.
  ASSERT_EQ(
      ReadText(store,
               "BEGIN;\nScene=Main;\nshow=(1);\ntranslate=(1,2,3);\n"  // no block: ignored
               "LIST=Box;\nENDLIST;\n"
               "list=box;\nshow=(1);\nsolid=(1);\nrotate=(0,5,0);\nscale=(2,2,2);\n"
               "translate=(1,1,1);\nendlist;\n"
               "list=crate;\nlist=a=b (x);\ntranslate=(3,0,0);\nrotate=(7,8);\nendlist;\n"
               "list=ABCDEFGHIJKLMNOPQRSTUVWXYZ;\nEndList;\n"
               "list=box;\nshow=1;\nsolid=x1;\nrotate=(7,8,0,6);\nendlist;\n"  // a 4th: dropped
               "list=box;\nshow=;\nsolid=(10);\n"
               "endlist;\nEndScene;\nEND;\n"),
      kSceneRead);
  EXPECT_EQ(Entries(store), (std::vector<std::string>{
                                "box 2 0 0 (0,0,0) (0,0,0) (0,0,0)",
                                "box 2 1 1 (1,1,1) (0,5,0) (2,2,2)",
                                "a=b (x) 3 1 1 (3,0,0) (7,8,0) (2,2,2)",
                                "abcdefghijklmnopqrs 4 1 1 (3,0,0) (7,8,0) (2,2,2)",
                                "box 2 0 1 (3,0,0) (7,8,0) (2,2,2)",
                                "box 2 0 1 (3,0,0) (7,8,0) (2,2,2)",
                            }));
}

TEST(ReadSceneVector, ReadsEachComponentFromItsOwnCharacters) {
  // Every case starts from (7, 8, 9), so untouched components show.
  const struct {
    const char* value;
    float expected[3];
  } cases[] = {
      {"(0.5,-2,10)", {0.5f, -2, 10}},
      {"( 2 , 2 , 2 )", {2, 2, 2}},
      {"1,2,3", {0, 2, 3}},  // the first character is always skipped
      {"(0,1)", {0, 1, 9}},
      {"(1,2,3", {1, 2, 3}},  // a digit in last place is kept before the store
      {"(1,2,", {1, 2, 9}},
      {"(1,2,3,4,5)", {1, 2, 3}},  // components past the third are dropped
      {"(1-2,3)", {-2, 3, 9}},     // '-' starts the component again
      {"()", {0, 8, 9}},
      {"(1e5,+3,x)", {15, 3, 0}},  // exponents, '+' and letters add nothing
      {"(1.2.3,7)", {1.2f, 7, 9}},
      {"(-12.3456789,123456789.5,0.000000001)", {-12.3456789f, 123456789.5f, 0.000000001f}},
      {"(", {7, 8, 9}},
      {"", {7, 8, 9}},
  };
  for (const auto& c : cases) {
    float target[3] = {7, 8, 9};
    ReadSceneVector(c.value, target);
    EXPECT_EQ(std::vector<float>(target, target + 3),
              std::vector<float>(c.expected, c.expected + 3))
        << c.value;
  }
}

TEST(ListIdLookup, IsThePositionOfTheFirstMatchAndNeverReadsPastAName) {
  const struct {
    std::vector<const char*> names;
    const char* wanted;
    std::int32_t id;
    Cursor cursor;
  } cases[] = {
      {{"a", "b", "b"}, "b", 2, 1},   // the first of two equal names wins
      {{"a", "b", "c"}, "zz", 3, 3},  // no match: the last list, cursor at the end
      {{}, "a", 0, 0},
      {{"box", "boxes"}, "bo", 2, 2},
  };
  for (const auto& c : cases) {
    SceneStore store;
    for (const char* name : c.names)
      AddNamedList(store, 40, name);  // the recorded ids do not count
    char wanted[kListNameSize];
    CopyBounded(wanted, c.wanted);
    EXPECT_EQ(ListIdLookup(store).Find(store, wanted), c.id) << c.wanted;
    EXPECT_EQ(store.namedListCursor, c.cursor) << c.wanted;
  }
  SceneStore store;
  store.namedLists.emplace_back();
  std::memset(store.namedLists[0].name, 'x', kListNameSize);  // no terminator
  char wanted[kListNameSize];
  std::memset(wanted, 'x', kListNameSize);
  EXPECT_EQ(ListIdLookup(store).Find(store, wanted), 1);
}

}  // namespace
