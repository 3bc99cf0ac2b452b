// Fields of a text at a delimiter: the count agrees with a plain
// left-to-right search, every field from either end is found, and the
// fields joined by the delimiter give back the text.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "check.h"
#include "host/text_fields.h"

namespace {

using tavrel::WideString;

std::vector<char16_t> Units(const std::uint8_t* data, std::size_t size) {
  std::vector<char16_t> units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return units;
}

// Where each occurrence of delimiter begins, non-overlapping, left to right.
std::vector<std::size_t> Occurrences(const std::vector<char16_t>& text,
                                     const std::vector<char16_t>& delimiter) {
  std::vector<std::size_t> found;
  if (delimiter.empty()) {
    return found;
  }
  std::size_t p = 0;
  while (p + delimiter.size() <= text.size()) {
    bool match = true;
    for (std::size_t k = 0; k < delimiter.size() && match; ++k) {
      match = text[p + k] == delimiter[k];
    }
    if (match) {
      found.push_back(p);
      p += delimiter.size();
    } else {
      ++p;
    }
  }
  return found;
}

bool SameUnits(const WideString& value, const std::vector<char16_t>& units, std::size_t from,
               std::size_t to) {
  if (value.size() != to - from) {
    return false;
  }
  for (std::uint32_t i = 0; i < value.size(); ++i) {
    if (value[i] != units[from + i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  // The first byte gives the delimiter's length in units (0 to 3); the
  // delimiter follows, then the text.
  const std::size_t delimiter_bytes = std::size_t{data[0] % 4U} * 2;
  if (size < 1 + delimiter_bytes) {
    return 0;
  }
  const std::vector<char16_t> delimiter = Units(data + 1, delimiter_bytes);
  const std::vector<char16_t> text = Units(data + 1 + delimiter_bytes, size - 1 - delimiter_bytes);

  const auto text_value = WideString::Borrow(text.data(), static_cast<std::uint32_t>(text.size()));
  const auto delimiter_value =
      WideString::Borrow(delimiter.data(), static_cast<std::uint32_t>(delimiter.size()));

  const std::vector<std::size_t> found = Occurrences(text, delimiter);
  const auto count = static_cast<std::int32_t>(found.size() + 1);
  FUZZ_CHECK(tavrel::FieldCount(text_value, delimiter_value) == count);

  for (std::int32_t n = 1; n <= count; ++n) {
    const std::size_t from = n == 1 ? 0 : found[static_cast<std::size_t>(n - 2)] + delimiter.size();
    const std::size_t to = n == count ? text.size() : found[static_cast<std::size_t>(n - 1)];
    FUZZ_CHECK(SameUnits(tavrel::FieldAt(text_value, delimiter_value, n), text, from, to));
    FUZZ_CHECK(
        SameUnits(tavrel::FieldAt(text_value, delimiter_value, n - count - 1), text, from, to));
  }
  for (const std::int32_t beyond : {0, count + 1, -count - 1, INT32_MAX, INT32_MIN}) {
    FUZZ_CHECK(tavrel::FieldAt(text_value, delimiter_value, beyond).empty());
  }
  return 0;
}
