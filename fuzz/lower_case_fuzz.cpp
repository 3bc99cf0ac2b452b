// Lower-casing: the length never changes; A to Z become a to z and every
// other ASCII unit stays; the byte form follows its one fixed table.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "check.h"
#include "host/text_fields.h"

namespace {

// The byte form's table beyond A to Z.
std::uint8_t ExpectedLowerByte(std::uint8_t b) {
  switch (b) {
    case 0x80: return 0x87;
    case 0x8E: return 0x84;
    case 0x8F: return 0x86;
    case 0x90: return 0x82;
    case 0x99: return 0x94;
    case 0x9A: return 0x81;
    case 0xA5: return 0xA4;
    default: return b >= 'A' && b <= 'Z' ? static_cast<std::uint8_t>(b + 0x20) : b;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = tavrel::ByteString::Borrow(data, static_cast<std::uint32_t>(size));
  const tavrel::ByteString lowered_bytes = tavrel::LowerCase(bytes);
  FUZZ_CHECK(lowered_bytes.size() == size);
  for (std::uint32_t i = 0; i < lowered_bytes.size(); ++i) {
    FUZZ_CHECK(lowered_bytes[i] == ExpectedLowerByte(data[i]));
  }

  std::vector<char16_t> units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const auto wide =
      tavrel::WideString::Borrow(units.data(), static_cast<std::uint32_t>(units.size()));
  const tavrel::WideString lowered = tavrel::LowerCase(wide);
  FUZZ_CHECK(lowered.size() == units.size());
  for (std::uint32_t i = 0; i < lowered.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= u'A' && unit <= u'Z') {
      FUZZ_CHECK(lowered[i] == unit + (u'a' - u'A'));
    } else if (unit < 0x80) {
      FUZZ_CHECK(lowered[i] == unit);
    }
  }
  return 0;
}
