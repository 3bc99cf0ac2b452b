#include "host/array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdio>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "host/failure.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

using testing::Bytes;
using testing::Str;

using Names = std::vector<std::string>;

// Records the storage calls and can fail or refuse them.
class StoragePlatform : public testing::ForwardingPlatform {
public:
  void* Allocate(std::size_t bytes) noexcept override {
    allocated.push_back(bytes);
    return fail_allocate ? nullptr : target_.Allocate(bytes);
  }
  void* AllocateZeroed(std::size_t bytes) noexcept override {
    zeroed.push_back(bytes);
    return fail_allocate ? nullptr : target_.AllocateZeroed(bytes);
  }
  bool Free(void* block) noexcept override {
    freed.push_back(block);
    return !refuse_free && target_.Free(block);
  }
  std::vector<std::size_t> allocated;
  std::vector<std::size_t> zeroed;
  std::vector<void*> freed;
  bool fail_allocate = false;
  bool refuse_free = false;
};

void Fill(ByteStringArray& array, const Names& names) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    Assign(array[array.LowerBound() + static_cast<std::int32_t>(k)], Bytes(names[k]));
  }
}

Names Contents(const ByteStringArray& array, std::int32_t count) {
  Names names;
  for (std::int32_t k = 0; k < count; ++k) {
    names.push_back(Str(array[array.LowerBound() + k]));
  }
  return names;
}

// An array 1 to names.size() holding the names.
class FilledArray {
public:
  explicit FilledArray(const Names& names) {
    CreateArray(array, 1, static_cast<std::int32_t>(names.size()));
    Fill(array, names);
  }
  ByteStringArray array;
};

bool FoldedBefore(const std::string& x, const std::string& y) {
  const auto* xs = reinterpret_cast<const std::uint8_t*>(x.data());
  const auto* ys = reinterpret_cast<const std::uint8_t*>(y.data());
  return UpperFoldedBefore(ByteString::Borrow(xs, static_cast<std::uint32_t>(x.size())),
                           ByteString::Borrow(ys, static_cast<std::uint32_t>(y.size())));
}

// The partition procedure run as plain recursion would run it, each call
// kept as a frame in a vector so that the model itself cannot overflow the
// stack. Returns the recursion depth that plain recursion would reach.
template <typename Value, typename Before>
std::size_t PlainRecursionDepth(std::vector<Value>& values, Before before) {
  struct Frame {
    std::int64_t lo;
    std::int64_t hi;
    std::size_t depth;
  };
  std::vector<Frame> frames{{0, static_cast<std::int64_t>(values.size()) - 1, 1}};
  std::size_t deepest = 0;
  while (!frames.empty()) {
    const Frame frame = frames.back();
    frames.pop_back();
    deepest = std::max(deepest, frame.depth);
    const auto at = [&](std::int64_t p) -> Value& { return values[static_cast<std::size_t>(p)]; };
    const Value pivot = at(frame.lo + ((frame.hi - frame.lo) / 2));
    std::int64_t i = frame.lo;
    std::int64_t j = frame.hi;
    while (i <= j) {
      while (before(at(i), pivot) && i < frame.hi) {
        ++i;
      }
      while (before(pivot, at(j)) && j > frame.lo) {
        --j;
      }
      if (i > j) {
        break;
      }
      if (i < j) {
        std::swap(at(i), at(j));
      }
      ++i;
      --j;
    }
    if (i < frame.hi) {
      frames.push_back({i, frame.hi, frame.depth + 1});
    }
    if (frame.lo < j) {
      frames.push_back({frame.lo, j, frame.depth + 1});
    }
  }
  return deepest;
}

using Exchanges = std::vector<std::pair<std::size_t, std::size_t>>;

// Keys 0 to n - 1 placed so that a run of partitions which makes exactly
// these exchanges ends in sorted order: the exchanges are replayed on the
// positions, and each key starts where it must start to end in its place.
std::vector<int> KeysBefore(std::size_t n, const Exchanges& exchanges) {
  std::vector<std::size_t> origin(n);
  std::iota(origin.begin(), origin.end(), std::size_t{0});
  for (const auto& [a, b] : exchanges) {
    std::swap(origin[a], origin[b]);
  }
  std::vector<int> keys(n);
  for (std::size_t position = 0; position < n; ++position) {
    keys[origin[position]] = static_cast<int>(position);
  }
  return keys;
}

// Every partition finds the largest key of its range in the middle and
// exchanges it with the last: the range loses only its last position, and
// plain recursion goes one level deeper per position.
std::vector<int> MiddleMaximumKeys(std::size_t n) {
  Exchanges exchanges;
  for (std::size_t hi = n - 1; hi >= 1; --hi) {
    exchanges.emplace_back(hi / 2, hi);
  }
  return KeysBefore(n, exchanges);
}

// Every partition of five or more positions finds the smallest key of its
// range first and the second smallest in the middle, and exchanges that
// with the second position: the two smallest form a range of their own
// beside the rest. Both ranges need sorting, and plain recursion goes one
// level deeper per pair.
std::vector<int> LowPairKeys(std::size_t n) {
  Exchanges exchanges;
  for (std::size_t lo = 0; n - lo >= 5; lo += 2) {
    exchanges.emplace_back(lo + 1, lo + ((n - 1 - lo) / 2));
  }
  return KeysBefore(n, exchanges);
}

std::string FiveDigits(int key) {
  char text[8];
  std::snprintf(text, sizeof text, "%05d", key);
  return text;
}

// The nesting that halving the range in hand allows.
std::int32_t Log2Bound(std::int32_t count) {
  return std::max(1, static_cast<std::int32_t>(std::bit_width(static_cast<unsigned>(count))) - 1);
}

class ArrayTest : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
};

TEST_F(ArrayTest, CreationGivesTheBoundsAndEmptyElements) {
  ByteStringArray array;
  EXPECT_FALSE(array.HasStorage());
  CreateArray(array, -2, 2);
  ASSERT_TRUE(array.HasStorage());
  EXPECT_EQ(array.LowerBound(), -2);
  EXPECT_EQ(array.UpperBound(), 2);
  EXPECT_EQ(array.ElementCount(), 5U);
  for (std::int32_t i = -2; i <= 2; ++i) {
    EXPECT_EQ(Length(array[i]), 0U);
    EXPECT_EQ(array[i].data(), nullptr);
  }
  Assign(array[-2], Literal("first"));
  Assign(array[2], Literal("last"));
  EXPECT_EQ(Str(array[-2]), "first");
  EXPECT_EQ(Str(array[2]), "last");
  EXPECT_EQ(Length(array[0]), 0U);
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ArrayTest, SiblingNamesIsOneZeroFilledBlockObtainedAtOnce) {
  StoragePlatform platform;
  const PlatformOverride use(platform);
  ByteStringArray names;
  CreateArray(names, 1, MaxSiblings);
  EXPECT_EQ(platform.zeroed, std::vector<std::size_t>{MaxSiblings * sizeof(ByteString)});
  EXPECT_TRUE(platform.allocated.empty());
  EXPECT_EQ(names.ElementCount(), 32768U);
  EXPECT_EQ(static_cast<void*>(&names[MaxSiblings]), static_cast<void*>(&names[1] + 32767));
  ReleaseArray(names);
}

TEST_F(ArrayTest, BadBoundsRecord9AndExhaustionRecords7WithoutStorage) {
  const struct {
    std::int32_t lower;
    std::int32_t upper;
    bool exhausted;
    std::uint8_t error;
    std::size_t attempts;
  } cases[] = {
      {2, 1, false, 9, 0},
      {INT32_MIN, INT32_MAX, false, 9, 0},  // the count itself passes 32 bits
      {0, INT32_MAX, false, 9, 0},          // the block passes 4 GiB
      {1, MaxSiblings, true, 7, 1},
  };
  for (const auto& c : cases) {
    ResetErrorState();
    StoragePlatform platform;
    const PlatformOverride use(platform);
    platform.fail_allocate = c.exhausted;
    ByteStringArray array;
    CreateArray(array, c.lower, c.upper);
    EXPECT_EQ(ErrorState(), c.error) << c.lower << " to " << c.upper;
    EXPECT_FALSE(array.HasStorage());
    EXPECT_EQ(array.ElementCount(), 0U);
    EXPECT_EQ(platform.zeroed.size(), c.attempts);
  }
}

TEST_F(ArrayTest, CreatingAnArrayThatHasStorageKeepsItsElements) {
  FilledArray filled({"kept", "too"});
  CreateArray(filled.array, 5, 9);
  EXPECT_EQ(filled.array.LowerBound(), 1);
  EXPECT_EQ(filled.array.UpperBound(), 2);
  EXPECT_EQ(Contents(filled.array, 2), (Names{"kept", "too"}));
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ArrayTest, ReleaseGivesBackEveryElementThenTheBlock) {
  StoragePlatform platform;
  const PlatformOverride use(platform);
  ByteStringArray array;
  CreateArray(array, 1, 4);
  Assign(array[1], Literal("one"));
  Assign(array[3], Literal("three"));
  const void* first = array[1].data();
  const void* third = array[3].data();
  void* block = &array[1];
  ReleaseArray(array);
  ASSERT_EQ(platform.freed.size(), 3U);
  EXPECT_EQ(platform.freed[0], first);
  EXPECT_EQ(platform.freed[1], third);
  EXPECT_EQ(platform.freed[2], block);
  EXPECT_FALSE(array.HasStorage());
  EXPECT_EQ(array.ElementCount(), 0U);

  ReleaseArray(array);
  ByteStringArray never_created;
  ReleaseArray(never_created);
  EXPECT_EQ(platform.freed.size(), 3U);
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ArrayTest, AnArrayGoingOutOfScopeReleasesWhatItHolds) {
  StoragePlatform platform;
  const PlatformOverride use(platform);
  {
    ByteStringArray array;
    CreateArray(array, 1, 2);
    Assign(array[2], Literal("held"));
  }
  EXPECT_EQ(platform.freed.size(), 2U);
  EXPECT_EQ(platform.zeroed.size(), 1U);
}

TEST_F(ArrayTest, CreationAfterReleaseTakesNewBounds) {
  FilledArray filled({"a"});
  ReleaseArray(filled.array);
  CreateArray(filled.array, 3, 4);
  EXPECT_EQ(filled.array.LowerBound(), 3);
  EXPECT_EQ(filled.array.ElementCount(), 2U);
  EXPECT_EQ(Length(filled.array[3]), 0U);
}

TEST(ArrayDeathTest, ARefusedBlockEndsTheProcessWith255) {
  ByteStringArray array;
  CreateArray(array, 1, MaxSiblings);
  Assign(array[1], Literal("name"));
  StoragePlatform refusing;
  refusing.refuse_free = true;
  const PlatformOverride use(refusing);
  EXPECT_EXIT(ReleaseArray(array), ::testing::ExitedWithCode(255), "");
}

class SortTest : public ArrayTest {};

TEST_F(SortTest, UpperFoldedOrderComparesFoldedUnsignedBytesThenLength) {
  const struct {
    std::string x;
    std::string y;
    bool x_first;
    bool y_first;
  } cases[] = {
      {"abc", "abcd", true, false},  {"ABC", "abc", false, false},
      {"Abc", "aBC", false, false},  {"", "a", true, false},
      {"", "", false, false},        {"Zed", "_x", true, false},
      {"zed", "_x", true, false},    {"_x", "{", true, false},
      {"~", "\x80", true, false},    {"9", "A", true, false},
      {"10", "9", true, false},      {"B", "a", false, true},
      {"\xE9", "\xC9", false, true}, {std::string("a\0b", 3), "a", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UpperFoldedBefore(Bytes(c.x), Bytes(c.y)), c.x_first) << c.x << " | " << c.y;
    EXPECT_EQ(UpperFoldedBefore(Bytes(c.y), Bytes(c.x)), c.y_first) << c.y << " | " << c.x;
  }
}

TEST_F(SortTest, SortsNameTablesInUpperFoldedOrder) {
  const struct {
    Names given;
    Names sorted;
  } cases[] = {
      {{"beta", "Alpha", "alpha2", "_x", "Zed", "a_b", "ab"},
       {"ab", "Alpha", "alpha2", "a_b", "beta", "Zed", "_x"}},
      {{"Zebra", "~tmp", "10", "", "apple", ".git", "\xE9t\xE9", "9", " space", "Mango", "[old]",
        "-dash", "banana", "2020", "Eve"},
       {"", " space", "-dash", ".git", "10", "2020", "9", "apple", "banana", "Eve", "Mango",
        "Zebra", "[old]", "~tmp", "\xE9t\xE9"}},
      {{"abcd", "abc", "ab", "abcde"}, {"ab", "abc", "abcd", "abcde"}},
  };
  for (const auto& c : cases) {
    FilledArray filled(c.given);
    SortAscending(filled.array, static_cast<std::int32_t>(c.given.size()));
    EXPECT_EQ(Contents(filled.array, static_cast<std::int32_t>(c.given.size())), c.sorted);
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(SortTest, NamesThatCollateEqualAreExchanged) {
  const struct {
    Names given;
    Names sorted;
  } cases[] = {
      {{"A", "a"}, {"a", "A"}},
      {{"a", "A"}, {"A", "a"}},
      {{"abc", "ABC", "Abc"}, {"Abc", "ABC", "abc"}},
  };
  for (const auto& c : cases) {
    FilledArray filled(c.given);
    SortAscending(filled.array, static_cast<std::int32_t>(c.given.size()));
    EXPECT_EQ(Contents(filled.array, static_cast<std::int32_t>(c.given.size())), c.sorted);
  }
}

TEST_F(SortTest, ExchangesMoveReferencesAndTheTableIsBuiltOncePerCall) {
  const Names given = {"delta", "Alpha", "charlie", "bravo", "echo", "alpha"};
  FilledArray filled(given);
  std::vector<std::pair<std::string, const std::uint8_t*>> blocks;
  for (std::int32_t i = 1; i <= 6; ++i) {
    blocks.emplace_back(Str(filled.array[i]), filled.array[i].data());
  }
  StoragePlatform platform;
  const PlatformOverride use(platform);
  SortAscending(filled.array, 6);
  // One block: a key of 8 bytes per element, then the 256-byte fold table.
  EXPECT_EQ(platform.allocated, std::vector<std::size_t>{(6 * 8) + 256});
  EXPECT_EQ(platform.freed.size(), 1U);
  for (std::int32_t i = 1; i <= 6; ++i) {
    const auto same_name = [&](const auto& entry) { return entry.first == Str(filled.array[i]); };
    const auto original = std::find_if(blocks.begin(), blocks.end(), same_name);
    ASSERT_NE(original, blocks.end());
    EXPECT_EQ(filled.array[i].data(), original->second) << Str(filled.array[i]);
  }
}

TEST_F(SortTest, TheCountDecidesWhichElementsMove) {
  const Names given = {"delta", "Charlie", "bravo", "a first", "0 before all"};
  const struct {
    std::int32_t count;
    Names sorted;
  } cases[] = {
      {1, given},
      {3, {"bravo", "Charlie", "delta", "a first", "0 before all"}},
      {0, {"0 before all", "a first", "bravo", "Charlie", "delta"}},
  };
  for (const auto& c : cases) {
    FilledArray filled(given);
    SortAscending(filled.array, c.count);
    EXPECT_EQ(Contents(filled.array, 5), c.sorted) << "count " << c.count;
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(SortTest, CountZeroOnEmptySiblingNamesChangesNothingVisible) {
  ByteStringArray names;
  CreateArray(names, 1, MaxSiblings);
  const std::int32_t nesting = SortAscendingNesting(names, 0);
  EXPECT_GE(nesting, 1);
  EXPECT_LE(nesting, 15);
  EXPECT_EQ(ErrorState(), 0);
  std::int32_t holding = 0;
  for (std::int32_t i = 1; i <= MaxSiblings; ++i) {
    holding += names[i].data() != nullptr || Length(names[i]) != 0 ? 1 : 0;
  }
  EXPECT_EQ(holding, 0);
}

TEST_F(SortTest, BadArgumentsRecord5AndExhaustionRecords7WithNothingReordered) {
  const struct {
    bool created;
    std::int32_t count;
    bool exhausted;
    std::uint8_t error;
  } cases[] = {
      {false, 0, false, 5}, {true, -1, false, 5}, {true, INT32_MIN, false, 5},
      {true, 3, false, 5},  {true, 2, true, 7},
  };
  for (const auto& c : cases) {
    ResetErrorState();
    ByteStringArray array;
    if (c.created) {
      CreateArray(array, 1, 2);
      Fill(array, {"b", "a"});
    }
    StoragePlatform platform;
    const PlatformOverride use(platform);
    platform.fail_allocate = c.exhausted;
    EXPECT_EQ(SortAscendingNesting(array, c.count), 0);
    EXPECT_EQ(ErrorState(), c.error) << "count " << c.count;
    if (c.created) {
      EXPECT_EQ(Contents(array, 2), (Names{"b", "a"}));
    }
  }
}

// Names from pieces that often collate equal, so that the order that the
// procedure gives to equal names is put to the test.
Names RandomNames(std::mt19937& random, std::size_t count) {
  static const std::string pieces[] = {"a", "A", "b", "B", "_", "~", "0", "\xE9", "ab", "AB", "z"};
  std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> length(0, 3);
  Names names(count);
  for (auto& name : names) {
    for (int k = length(random); k > 0; --k) {
      name += pieces[piece(random)];
    }
  }
  return names;
}

TEST_F(SortTest, RandomArraysComeOutAsThePlainProcedureOrdersThem) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> size(1, 600);
  for (int round = 0; round < 300; ++round) {
    const Names given = RandomNames(random, size(random));
    const auto count = static_cast<std::int32_t>(given.size());
    FilledArray filled(given);
    const std::int32_t nesting = SortAscendingNesting(filled.array, count);
    const Names sorted = Contents(filled.array, count);

    Names model = given;
    PlainRecursionDepth(model, FoldedBefore);
    ASSERT_EQ(sorted, model) << "round " << round;
    EXPECT_TRUE(std::is_permutation(sorted.begin(), sorted.end(), given.begin()));
    for (std::int32_t i = 1; i < count; ++i) {
      ASSERT_FALSE(UpperFoldedBefore(filled.array[i + 1], filled.array[i])) << "round " << round;
    }
    EXPECT_GE(nesting, 1);
    EXPECT_LE(nesting, Log2Bound(count)) << "count " << count;
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(SortTest, InputsThatDrivePlainRecursionDeepStayShallowAtFullSize) {
  const struct {
    const char* what;
    std::vector<int> keys;
    std::size_t plain_depth;
  } cases[] = {
      {"middle maximum", MiddleMaximumKeys(MaxSiblings), MaxSiblings - 1},
      {"low pair", LowPairKeys(MaxSiblings), MaxSiblings / 2},
  };
  for (const auto& c : cases) {
    std::vector<int> model = c.keys;
    EXPECT_EQ(PlainRecursionDepth(model, std::less<>()), c.plain_depth) << c.what;
    ASSERT_TRUE(std::is_sorted(model.begin(), model.end())) << c.what;

    ByteStringArray names;
    CreateArray(names, 1, MaxSiblings);
    for (std::int32_t i = 1; i <= MaxSiblings; ++i) {
      Assign(names[i], Bytes(FiveDigits(c.keys[static_cast<std::size_t>(i - 1)])));
    }
    const std::int32_t nesting = SortAscendingNesting(names, 0);
    EXPECT_GE(nesting, 1) << c.what;
    EXPECT_LE(nesting, 15) << c.what;
    std::int32_t misplaced = 0;
    for (std::int32_t i = 1; i <= MaxSiblings; ++i) {
      misplaced += Str(names[i]) == FiveDigits(i - 1) ? 0 : 1;
    }
    EXPECT_EQ(misplaced, 0) << c.what;
  }
  EXPECT_EQ(ErrorState(), 0);
}

}  // namespace
}  // namespace tavrel
