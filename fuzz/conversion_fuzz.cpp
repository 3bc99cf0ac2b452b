// The POSIX build's code page: any byte string goes to UTF-16 and comes
// back byte for byte; any UTF-16 text converts to bytes that then make
// the same round trip.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "check.h"
#include "host/text.h"

namespace {

using tavrel::ByteString;
using tavrel::WideString;

void CheckRoundTrip(const ByteString& bytes) {
  const WideString wide = tavrel::ToWide(tavrel::Lend(bytes));
  FUZZ_CHECK(wide.empty() == bytes.empty());
  // A unit never stands for less than one byte.
  FUZZ_CHECK(wide.size() <= bytes.size());
  const ByteString back = tavrel::FromWide(tavrel::Lend(wide));
  FUZZ_CHECK(tavrel::CompareBytes(back, bytes) == tavrel::Ordering::Equal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto count = static_cast<std::uint32_t>(size);
  CheckRoundTrip(ByteString::Borrow(data, count));

  std::vector<char16_t> units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const ByteString bytes =
      tavrel::FromWide(WideString::Borrow(units.data(), static_cast<std::uint32_t>(units.size())));
  FUZZ_CHECK(bytes.empty() == units.empty());
  CheckRoundTrip(bytes);
  return 0;
}
