#include "host/text_fields.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "host/failure.h"
#include "host/platform.h"

namespace tavrel {

namespace {

// A to Z to a to z, and seven bytes of the upper half to the byte of their
// small letter in code page 437 (Ç, Ä, Å, É, Ö, Ü, Ñ), whatever the ANSI
// code page makes of them. Every other byte stays.
constexpr std::array<std::uint8_t, 256> MakeByteLowering() noexcept {
  std::array<std::uint8_t, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) {
    table[b] = static_cast<std::uint8_t>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
  }
  table[0x80] = 0x87;
  table[0x8E] = 0x84;
  table[0x8F] = 0x86;
  table[0x90] = 0x82;
  table[0x99] = 0x94;
  table[0x9A] = 0x81;
  table[0xA5] = 0xA4;
  return table;
}

constexpr std::array<std::uint8_t, 256> kByteLowering = MakeByteLowering();

constexpr std::uint32_t kNowhere = UINT32_MAX;

// The position of the leftmost occurrence of delimiter that lies wholly
// within text from position `from` on; kNowhere when there is none.
std::uint32_t Find(const WideString& text, const WideString& delimiter,
                   std::uint32_t from) noexcept {
  const std::uint32_t width = delimiter.size();
  if (width == 0 || width > text.size()) {
    return kNowhere;
  }
  for (std::uint32_t p = from; p <= text.size() - width; ++p) {
    if (std::equal(delimiter.data(), delimiter.data() + width, text.data() + p)) {
      return p;
    }
  }
  return kNowhere;
}

}  // namespace

WideString LowerCase(const WideString& w) noexcept {
  if (w.empty()) {
    return {};
  }
  WideString copy = CopyWide(w.data(), w.size());
  if (copy.empty()) {
    RecordError(7);
    return Lend(w);
  }
  System().CharLowerBuffW(copy.block(), copy.size());
  return copy;
}

ByteString LowerCase(const ByteString& s) noexcept {
  if (s.empty()) {
    return {};
  }
  ByteString copy = CopyBytes(s.data(), s.size());
  if (copy.empty()) {
    RecordError(7);
    return Lend(s);
  }
  std::uint8_t* bytes = copy.block();
  for (std::uint32_t k = 0; k < copy.size(); ++k) {
    bytes[k] = kByteLowering[bytes[k]];
  }
  return copy;
}

std::int32_t FieldCount(const WideString& text, const WideString& delimiter) noexcept {
  std::int32_t occurrences = 0;
  std::uint32_t from = 0;
  for (std::uint32_t at = Find(text, delimiter, from); at != kNowhere;
       at = Find(text, delimiter, from)) {
    ++occurrences;
    from = at + delimiter.size();
  }
  return occurrences + 1;
}

WideString FieldAt(const WideString& text, const WideString& delimiter, std::int32_t n) noexcept {
  const std::int32_t count = FieldCount(text, delimiter);
  const std::int64_t wanted = n < 0 ? std::int64_t{n} + count + 1 : n;
  if (wanted < 1 || wanted > count) {
    return {};
  }
  std::uint32_t start = 0;
  for (std::int64_t field = 1; field < wanted; ++field) {
    start = Find(text, delimiter, start) + delimiter.size();
  }
  std::uint32_t end = Find(text, delimiter, start);
  if (end == kNowhere) {
    end = text.size();
  }
  WideString copy = CopyWide(text.data() + start, end - start);
  if (copy.empty() && end != start) {
    RecordError(7);
  }
  return copy;
}

}  // namespace tavrel
