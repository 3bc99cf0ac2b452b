#include "host/array.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <utility>

#include "host/failure.h"
#include "host/storage.h"

namespace tavrel {

namespace {

constexpr std::size_t kFoldTableSize = 256;

// T of UpperFoldedOrder: every byte to itself, but a to z onto A to Z.
void FillFoldTable(std::uint8_t* fold) noexcept {
  for (std::size_t b = 0; b < kFoldTableSize; ++b) {
    const bool small_letter = b >= 'a' && b <= 'z';
    fold[b] = static_cast<std::uint8_t>(small_letter ? b - 0x20 : b);
  }
}

bool Before(const ByteString& x, const ByteString& y, const std::uint8_t* fold) noexcept {
  // The same bytes, as when an element meets the pivot lent from it.
  if (x.data() == y.data() && x.size() == y.size()) {
    return false;
  }
  const std::uint32_t common = std::min(x.size(), y.size());
  for (std::uint32_t k = 0; k < common; ++k) {
    const std::uint8_t folded_x = fold[x[k]];
    const std::uint8_t folded_y = fold[y[k]];
    if (folded_x != folded_y) {
      return folded_x < folded_y;
    }
  }
  return x.size() < y.size();
}

// The sort key of a value: its first eight bytes folded, most significant
// first, missing bytes as 0. Keys that differ order their values as Before
// does: the first differing byte is a folded difference, or a missing byte
// against a present one, which is the shorter value coming first. Equal
// keys leave the answer to Before.
std::uint64_t KeyOf(const ByteString& value, const std::uint8_t* fold) noexcept {
  constexpr std::uint32_t kKeyBytes = 8;
  const std::uint32_t present = std::min(value.size(), kKeyBytes);
  std::uint64_t key = 0;
  for (std::uint32_t k = 0; k < kKeyBytes; ++k) {
    key = (key << 8U) | (k < present ? fold[value[k]] : 0U);
  }
  return key;
}

// The elements to sort and, beside each, its key: exchanged together.
// The comparisons take the other value with its key.
struct Keyed {
  ByteString* elements;
  std::uint64_t* keys;
  const std::uint8_t* fold;

  [[nodiscard]] bool ElementBefore(std::int32_t i, std::uint64_t key,
                                   const ByteString& value) const noexcept {
    const std::uint64_t own = keys[i];
    return own != key ? own < key : Before(elements[i], value, fold);
  }
  [[nodiscard]] bool ElementAfter(std::int32_t j, std::uint64_t key,
                                  const ByteString& value) const noexcept {
    const std::uint64_t own = keys[j];
    return own != key ? key < own : Before(value, elements[j], fold);
  }
  void Exchange(std::int32_t i, std::int32_t j) const noexcept {
    swap(elements[i], elements[j]);
    std::swap(keys[i], keys[j]);
  }
};

struct Range {
  std::int32_t lo;
  std::int32_t hi;
  [[nodiscard]] bool NeedsSorting() const noexcept { return lo < hi; }
  [[nodiscard]] std::int32_t Span() const noexcept { return hi - lo; }
};

struct Split {
  Range below;  // lo to j
  Range above;  // i to hi
};

// One partition of r around the value that its middle element holds on
// entry. Both scans stop at elements equal to the pivot, and those are
// exchanged too. Exchanges swap the values' references, not their bytes,
// so the pivot, lent from the middle element, keeps its bytes throughout.
Split Partition(const Keyed& sort, Range r) noexcept {
  const std::int32_t middle = r.lo + ((r.hi - r.lo) / 2);
  const ByteString pivot = Lend(sort.elements[middle]);
  const std::uint64_t pivot_key = sort.keys[middle];
  std::int32_t i = r.lo;
  std::int32_t j = r.hi;
  while (i <= j) {
    while (i < r.hi && sort.ElementBefore(i, pivot_key, pivot)) {
      ++i;
    }
    while (j > r.lo && sort.ElementAfter(j, pivot_key, pivot)) {
      --j;
    }
    if (i > j) {
      break;
    }
    if (i < j) {
      sort.Exchange(i, j);
    }
    ++i;
    --j;
  }
  return {{r.lo, j}, {i, r.hi}};
}

// Enough for any 32-bit count: see SortPositions.
constexpr std::size_t kMaxWaitingRanges = 32;

// Partitions positions 0 to count - 1 until every range is sorted and
// returns the deepest nesting reached. Of the two parts of a partition the
// larger waits and the smaller is taken in hand, so with k ranges waiting
// the range in hand holds at most count / 2^k positions; since a range
// that splits in two holds at least 4, fewer than log2(count) ever wait.
// The parts are disjoint, so the order in which they are taken does not
// change the result.
std::int32_t SortPositions(const Keyed& sort, std::int32_t count) noexcept {
  std::array<Range, kMaxWaitingRanges> waiting{};
  std::size_t held = 0;
  std::size_t deepest = 1;
  Range in_hand{0, count - 1};
  while (true) {
    const Split split = Partition(sort, in_hand);
    const bool below = split.below.NeedsSorting();
    const bool above = split.above.NeedsSorting();
    if (below && above) {
      const bool below_smaller = split.below.Span() < split.above.Span();
      waiting[held++] = below_smaller ? split.above : split.below;
      in_hand = below_smaller ? split.below : split.above;
      deepest = std::max(deepest, held + 1);
    } else if (below) {
      in_hand = split.below;
    } else if (above) {
      in_hand = split.above;
    } else if (held > 0) {
      in_hand = waiting[--held];
    } else {
      return static_cast<std::int32_t>(deepest);
    }
  }
}

}  // namespace

ByteStringArray::~ByteStringArray() { static_cast<void>(ReleaseSlots()); }

bool ByteStringArray::ReleaseSlots() noexcept {
  if (slots_ == nullptr) {
    return true;
  }
  std::destroy_n(slots_, constructed_);
  void* block = slots_;
  slots_ = nullptr;
  lower_ = 0;
  upper_ = 0;
  count_ = 0;
  constructed_ = 0;
  return ReleaseStorage(block);
}

void CreateArray(ByteStringArray& array, std::int32_t lower, std::int32_t upper) noexcept {
  if (array.HasStorage()) {
    return;
  }
  if (upper < lower) {
    RecordError(9);
    return;
  }
  const auto count = static_cast<std::uint64_t>(std::int64_t{upper} - lower + 1);
  const std::uint64_t bytes = count * sizeof(ByteString);
  if (bytes > UINT32_MAX) {
    RecordError(9);
    return;
  }
  void* block = ObtainZeroedStorage(bytes);
  if (block == nullptr) {
    RecordError(7);
    return;
  }
  // The slots become objects as they are first reached (Reach).
  array.slots_ = static_cast<ByteString*>(block);
  array.lower_ = lower;
  array.upper_ = upper;
  array.count_ = static_cast<std::uint32_t>(count);
}

void ReleaseArray(ByteStringArray& array) noexcept {
  if (!array.ReleaseSlots()) {
    RecordError(241);
  }
}

std::int32_t SortAscendingNesting(ByteStringArray& array, std::int32_t count) noexcept {
  if (!array.HasStorage() || count < 0 || std::int64_t{count} > std::int64_t{array.count_}) {
    RecordError(5);
    return 0;
  }
  if (count == 0) {
    count = static_cast<std::int32_t>(array.count_);
  }
  array.ConstructUpTo(static_cast<std::uint32_t>(count));
  // One block: the keys, then the fold table.
  const auto key_count = static_cast<std::size_t>(count);
  void* block = ObtainStorage((key_count * sizeof(std::uint64_t)) + kFoldTableSize);
  if (block == nullptr) {
    RecordError(7);
    return 0;
  }
  auto* keys = static_cast<std::uint64_t*>(block);
  auto* fold = reinterpret_cast<std::uint8_t*>(keys + key_count);
  FillFoldTable(fold);
  for (std::size_t k = 0; k < key_count; ++k) {
    keys[k] = KeyOf(array.slots_[k], fold);
  }
  const std::int32_t nesting = SortPositions(Keyed{array.slots_, keys, fold}, count);
  static_cast<void>(ReleaseStorage(block));
  return nesting;
}

void SortAscending(ByteStringArray& array, std::int32_t count) noexcept {
  static_cast<void>(SortAscendingNesting(array, count));
}

bool UpperFoldedBefore(const ByteString& x, const ByteString& y) noexcept {
  std::array<std::uint8_t, kFoldTableSize> fold{};
  FillFoldTable(fold.data());
  return Before(x, y, fold.data());
}

}  // namespace tavrel
