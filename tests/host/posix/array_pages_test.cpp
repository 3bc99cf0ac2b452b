// The block of SiblingNames is large (32,768 slots); a listing of a few
// names must not bring all of its pages in, since each page brought in
// costs a fault, and these faults once were most of a short run's time.
#include <sys/mman.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/array.h"
#include "host/failure.h"

namespace tavrel {
namespace {

struct Pages {
  std::size_t resident;
  std::size_t total;
};

// The pages wholly inside the slots of the array, and how many of them are
// resident.
Pages SlotPages(ByteStringArray& array) {
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(&array[array.LowerBound()]);
  const auto end = begin + (std::uintptr_t{array.ElementCount()} * sizeof(ByteString));
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = end / page * page;
  std::vector<unsigned char> residency((last - first) / page);
  EXPECT_EQ(mincore(reinterpret_cast<void*>(first), last - first, residency.data()), 0);
  std::size_t resident = 0;
  for (const unsigned char flags : residency) {
    resident += flags & 1U;
  }
  return {resident, residency.size()};
}

TEST(ArrayPages, ASlotIsTouchedOnlyOnceReached) {
#if defined(__GLIBC__)
  // A process's first block this large is mapped fresh; here earlier tests
  // have freed such blocks, after which the allocator would take it from
  // memory it has used before. Fixing the threshold maps it fresh again.
  // (A sanitizer's allocator maps blocks this large anyway, and ignores it.)
  static_cast<void>(mallopt(M_MMAP_THRESHOLD, 128 * 1024));
#endif
  ResetErrorState();
  ByteStringArray names;
  CreateArray(names, 1, MaxSiblings);
  ASSERT_TRUE(names.HasStorage());
  for (std::int32_t i = 1; i <= 10; ++i) {
    Assign(names[i], Literal("sibling"));
  }
  const Pages reached = SlotPages(names);
  EXPECT_GT(reached.total, 100U);
  EXPECT_LE(reached.resident, 2U);

  // Reaching the last element makes every slot before it an object too.
  EXPECT_EQ(Length(names[MaxSiblings]), 0U);
  const Pages all = SlotPages(names);
  EXPECT_EQ(all.resident, all.total);
  EXPECT_EQ(Length(names[10]), 7U);
  ReleaseArray(names);
  EXPECT_EQ(ErrorState(), 0);
}

}  // namespace
}  // namespace tavrel
