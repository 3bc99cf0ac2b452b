// The sort of sibling names: the sorted part is in UpperFoldedOrder and a
// permutation of what it held, the rest is untouched, and
// UpperFoldedBefore agrees with a plain fold-then-compare.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "check.h"
#include "host/array.h"

namespace {

using Name = std::vector<std::uint8_t>;

Name Folded(const Name& name) {
  Name folded = name;
  for (std::uint8_t& b : folded) {
    if (b >= 'a' && b <= 'z') {
      b = static_cast<std::uint8_t>(b - 0x20);
    }
  }
  return folded;
}

Name Copy(const tavrel::ByteString& s) { return {s.data(), s.data() + s.size()}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte chooses how many elements are sorted (0 for all); then
  // names, each a length byte (0 to 15) and its bytes.
  const std::uint8_t count_choice = data[0];
  std::vector<Name> names;
  std::size_t p = 1;
  while (p < size) {
    const std::size_t length = std::min<std::size_t>(data[p] % 16U, size - p - 1);
    names.emplace_back(data + p + 1, data + p + 1 + length);
    p += 1 + length;
  }
  if (names.empty()) {
    return 0;
  }
  const auto elements = static_cast<std::int32_t>(names.size());
  const std::int32_t count = count_choice % (elements + 1);
  const std::int32_t sorted = count == 0 ? elements : count;

  tavrel::ByteStringArray array;
  tavrel::CreateArray(array, 1, elements);
  FUZZ_CHECK(array.HasStorage());
  for (std::int32_t i = 1; i <= elements; ++i) {
    const Name& name = names[static_cast<std::size_t>(i - 1)];
    tavrel::Assign(array[i],
                   tavrel::CopyBytes(name.data(), static_cast<std::uint32_t>(name.size())));
  }
  tavrel::SortAscending(array, count);

  for (std::int32_t i = 1; i < sorted; ++i) {
    const Name a = Copy(array[i]);
    const Name b = Copy(array[i + 1]);
    FUZZ_CHECK(!tavrel::UpperFoldedBefore(array[i + 1], array[i]));
    FUZZ_CHECK(tavrel::UpperFoldedBefore(array[i], array[i + 1]) == (Folded(a) < Folded(b)));
  }
  std::vector<Name> before(names.begin(), names.begin() + sorted);
  std::vector<Name> after;
  for (std::int32_t i = 1; i <= sorted; ++i) {
    after.push_back(Copy(array[i]));
  }
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  FUZZ_CHECK(before == after);
  for (std::int32_t i = sorted + 1; i <= elements; ++i) {
    FUZZ_CHECK(Copy(array[i]) == names[static_cast<std::size_t>(i - 1)]);
  }
  tavrel::ReleaseArray(array);
  return 0;
}
