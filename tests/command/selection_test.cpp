#include "command/selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/failure.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

using testing::Bytes;
using testing::Str;
using testing::Wide;

using Names = std::vector<std::string>;

// Paths in these tables are written with "/". On Windows a path from the
// root gets a drive in front and every "/" becomes "\".
std::u16string HostPath(std::u16string path) {
#if TAVREL_HOST_WINDOWS
  if (path.starts_with(u"/") && !path.starts_with(u"//")) {
    path.insert(0, u"C:");
  }
  std::replace(path.begin(), path.end(), u'/', u'\\');
#endif
  return path;
}

class SelectionTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorState();
    CreateArray(names, 1, MaxSiblings);
  }
  void Store(const Names& sorted) {
    for (std::size_t k = 0; k < sorted.size(); ++k) {
      Assign(names[static_cast<std::int32_t>(k) + 1], Bytes(sorted[k]));
    }
  }
  ByteStringArray names;
};

TEST_F(SelectionTest, ThePathDelimiterIsTheHosts) {
#if TAVREL_HOST_WINDOWS
  EXPECT_EQ(Str(PathDelimiter()), "\\");
#else
  EXPECT_EQ(Str(PathDelimiter()), "/");
#endif
}

TEST_F(SelectionTest, TheLeafIsTheLastFieldAsItStandsAndLowered) {
  const struct {
    std::u16string path;
    std::string exact;
    std::string lowered;
  } cases[] = {
    {u"/parent/Beta", "Beta", "beta"},
    {u"/", "", ""},
    {u"/parent/Ann/", "", ""},
    {u"//server/share/Dir", "Dir", "dir"},
    {u"BETA", "BETA", "beta"},
    {u"", "", ""},
#if TAVREL_HOST_WINDOWS
    {u"/parent/\u00C4pfel", "\xC4pfel", "\xE4pfel"},
    {u"/parent/a/b", "b", "b"},
#else
    {u"/parent/\u00C4pfel", "\xC3\x84pfel", "\xC3\xA4pfel"},
    {u"/parent/A\\B", "A\\B", "a\\b"},  // a backslash belongs to the name
#endif
  };
  for (const auto& c : cases) {
    const LeafName leaf = CurrentLeafName(Wide(HostPath(c.path)));
    EXPECT_EQ(Str(leaf.exact), c.exact);
    EXPECT_EQ(Str(leaf.lowered), c.lowered) << c.exact;
  }
}

TEST_F(SelectionTest, TheCountComesFromTheSecondReadingAndTheFieldFromTheFirst) {
  const LeafName leaf =
      CurrentLeafName(Wide(HostPath(u"/parent/Beta")), Wide(HostPath(u"/parent")));
  // Two fields in the second reading: the second of the first is parent.
  EXPECT_EQ(Str(leaf.exact), "parent");
  EXPECT_EQ(Str(leaf.lowered), "parent");
}

constexpr SiblingOutcome kMoving = SiblingOutcome::Moving;
constexpr SiblingOutcome kLoopingBack = SiblingOutcome::LoopingBack;
constexpr SiblingOutcome kNotFound = SiblingOutcome::NotFound;

struct SelectionCase {
  const char* what;
  std::u16string path;
  Names sorted;
  SiblingOutcome outcome;
  std::int32_t index;  // only for a sibling found
};

const std::vector<SelectionCase>& Cases() {
  static const std::vector<SelectionCase> cases = {
    {"moving", u"/p/Beta", {"Alpha", "Beta", "Gamma"}, kMoving, 3},
    {"wrapping", u"/p/Gamma", {"Alpha", "Beta", "Gamma"}, kLoopingBack, 1},
    {"solo", u"/p/Solo", {"Solo"}, kLoopingBack, 1},
    {"root", u"/", {"Alpha", "Beta"}, kNotFound, 0},
    {"count 0", u"/p/Beta", {}, kNotFound, 0},
    {"missing", u"/p/Delta", {"Alpha", "Beta"}, kNotFound, 0},
    {"BETA against Beta", u"/p/BETA", {"Alpha", "Beta", "Gamma"}, kMoving, 3},
    {"network path", u"//server/share/Dir", {"alpha", "dir", "zed"}, kMoving, 3},
    {"no separator", u"BETA", {"Alpha", "Beta", "Gamma"}, kMoving, 3},
    {"from beta with Beta beside it", u"/p/beta", {"Alpha", "Beta", "beta", "Gamma"}, kMoving, 4},
    {"from Beta with beta beside it", u"/p/Beta", {"Alpha", "Beta", "beta", "Gamma"}, kMoving, 3},
    {"BETA lowers like both", u"/p/BETA", {"Alpha", "Beta", "beta", "Gamma"}, kMoving, 3},
    {"lowering alike elsewhere", u"/p/Gamma", {"Beta", "beta", "Gamma"}, kLoopingBack, 1},
#if TAVREL_HOST_WINDOWS
    {"capital outside A to Z", u"/p/\u00C4pfel", {"Birne", "\xC4pfel", "\xE9t\xE9"}, kMoving, 3},
    {"euro", u"/p/\u20AC", {"Alpha", "\x80", "\x87"}, kMoving, 3},
    {"double dagger beside the euro", u"/p/\u2021", {"Alpha", "\x80", "\x87"}, kLoopingBack, 1},
    {"small non-ASCII", u"/p/\u00E4pfel", {"Birne", "\xE4pfel", "\xFC"}, kMoving, 3},
    {"lowered small non-ASCII", u"/p/\u00E4PFEL", {"Birne", "\xE4pfel"}, kLoopingBack, 1},
#else
    {"capital outside A to Z", u"/p/\u00C4pfel", {"Birne", "\xC3\x84pfel", "\xC3\xBC"}, kMoving, 3},
    {"table byte 0x80", u"/p/\xDC80", {"Alpha", "\x80", "\x87"}, kMoving, 3},
    {"byte 0x87 beside 0x80", u"/p/\xDC87", {"Alpha", "\x80", "\x87"}, kLoopingBack, 1},
    {"table byte in UTF-8", u"/p/\u010E", {"\xC4\x84", "\xC4\x8E"}, kLoopingBack, 1},
    {"small non-ASCII", u"/p/\u00E4pfel", {"Birne", "\xC3\xA4pfel", "\xC3\xBC"}, kMoving, 3},
    {"lowered small non-ASCII", u"/p/\u00E4PFEL", {"Birne", "\xC3\xA4pfel"}, kLoopingBack, 1},
#endif
  };
  return cases;
}

TEST_F(SelectionTest, ChoosesTheSiblingAfterTheCurrentDirectory) {
  for (const SelectionCase& c : Cases()) {
    ReleaseArray(names);
    CreateArray(names, 1, MaxSiblings);
    Store(c.sorted);
    const auto count = static_cast<std::int32_t>(c.sorted.size());
    const SiblingChoice choice =
        SelectNextSibling(CurrentLeafName(Wide(HostPath(c.path))), names, count);
    EXPECT_EQ(static_cast<int>(choice.outcome), static_cast<int>(c.outcome)) << c.what;
    if (c.outcome != kNotFound) {
      EXPECT_EQ(choice.index, c.index) << c.what;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
      EXPECT_EQ(Str(names[i]), c.sorted[static_cast<std::size_t>(i - 1)]) << c.what;
    }
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(SelectionTest, OnlyTheCountedElementsAreLookedAt) {
  Store({"Alpha", "Beta", "Gamma"});
  const LeafName gamma = CurrentLeafName(Wide(HostPath(u"/p/Gamma")));
  EXPECT_EQ(SelectNextSibling(gamma, names, 0).outcome, kNotFound);
  EXPECT_EQ(SelectNextSibling(gamma, names, 2).outcome, kNotFound);
  const SiblingChoice beta = SelectNextSibling(CurrentLeafName(Wide(u"Beta")), names, 2);
  EXPECT_EQ(beta.outcome, kLoopingBack);
  EXPECT_EQ(beta.index, 1);
}

TEST_F(SelectionTest, ACountBeyondTheArrayStopsAtItsLastElement) {
  ByteStringArray three;
  CreateArray(three, 1, 3);
  Assign(three[3], Literal("Gamma"));
  const SiblingChoice choice =
      SelectNextSibling(CurrentLeafName(Wide(u"Gamma")), three, MaxSiblings);
  EXPECT_EQ(choice.outcome, kLoopingBack);
  EXPECT_EQ(choice.index, 1);
  ByteStringArray without_storage;
  EXPECT_EQ(SelectNextSibling(CurrentLeafName(Wide(u"")), without_storage, 3).outcome, kNotFound);
}

}  // namespace
}  // namespace tavrel
