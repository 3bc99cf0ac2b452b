// One-dimensional arrays of ByteString with bounds fixed at creation, and
// their sort in UpperFoldedOrder: bytes compared unsigned after folding a
// to z onto A to Z, a prefix before the longer name.
#pragma once

#include <cstdint>
#include <memory>

#include "host/text.h"

namespace tavrel {

// The most sibling names the command stores: SiblingNames has bounds 1 to
// MaxSiblings.
inline constexpr std::int32_t MaxSiblings = 32768;

class ByteStringArray;

// Gives an array without storage its bounds and one zero-filled block of
// slots, every element empty. Records 9 when upper < lower or the block's
// size overflows 32 bits, 7 when the block cannot be obtained. An array
// that has storage is left as it is.
void CreateArray(ByteStringArray& array, std::int32_t lower, std::int32_t upper) noexcept;

// Releases every element, then the block; the array is then without
// storage. Records 241 (which ends the process) when the block is refused.
void ReleaseArray(ByteStringArray& array) noexcept;

// Sorts the elements lower bound to lower bound + count - 1 in place in
// UpperFoldedOrder; 0 stands for every element. Records 5 for an array
// without storage or a count outside 0 to the element count, 7 when the
// collation table cannot be obtained; nothing is reordered then.
void SortAscending(ByteStringArray& array, std::int32_t count) noexcept;

// SortAscending, returning how deep the partitions nested: the ranges that
// waited at once plus the one in hand, at most log2 of the count (1 for a
// count of 1); 0 when nothing was sorted.
std::int32_t SortAscendingNesting(ByteStringArray& array, std::int32_t count) noexcept;

// Whether x comes before y in UpperFoldedOrder.
bool UpperFoldedBefore(const ByteString& x, const ByteString& y) noexcept;

class ByteStringArray {
public:
  ByteStringArray() noexcept = default;
  ByteStringArray(const ByteStringArray&) = delete;
  ByteStringArray& operator=(const ByteStringArray&) = delete;
  ByteStringArray(ByteStringArray&&) = delete;
  ByteStringArray& operator=(ByteStringArray&&) = delete;
  ~ByteStringArray();

  [[nodiscard]] bool HasStorage() const noexcept { return slots_ != nullptr; }
  [[nodiscard]] std::int32_t LowerBound() const noexcept { return lower_; }
  [[nodiscard]] std::int32_t UpperBound() const noexcept { return upper_; }
  // 0 without storage.
  [[nodiscard]] std::uint32_t ElementCount() const noexcept { return count_; }

  // Unchecked: index within the bounds of an array with storage.
  ByteString& operator[](std::int32_t index) noexcept { return slots_[Reach(index)]; }
  const ByteString& operator[](std::int32_t index) const noexcept { return slots_[Reach(index)]; }

private:
  friend void CreateArray(ByteStringArray& array, std::int32_t lower, std::int32_t upper) noexcept;
  friend void ReleaseArray(ByteStringArray& array) noexcept;
  friend std::int32_t SortAscendingNesting(ByteStringArray& array, std::int32_t count) noexcept;

  [[nodiscard]] std::int64_t Slot(std::int32_t index) const noexcept {
    return std::int64_t{index} - lower_;
  }

  // The slot of index, its element made an object first if it is not yet
  // one. The zero fill already is the empty value; slots become objects in
  // order as they are first reached, so the pages of a large block that a
  // short listing never reaches are never touched.
  [[nodiscard]] std::int64_t Reach(std::int32_t index) const noexcept {
    const std::int64_t slot = Slot(index);
    ConstructUpTo(static_cast<std::uint32_t>(slot + 1));
    return slot;
  }
  // Makes the first count slots objects, those that are not yet.
  void ConstructUpTo(std::uint32_t count) const noexcept {
    if (count > constructed_) {
      std::uninitialized_default_construct(slots_ + constructed_, slots_ + count);
      constructed_ = count;
    }
  }

  // Releases the elements and the block; false when the block was refused.
  bool ReleaseSlots() noexcept;

  ByteString* slots_ = nullptr;
  std::int32_t lower_ = 0;
  std::int32_t upper_ = 0;
  std::uint32_t count_ = 0;
  // The leading slots that are objects: these are destroyed on release.
  mutable std::uint32_t constructed_ = 0;
};

}  // namespace tavrel
