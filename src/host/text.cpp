#include "host/text.h"

#include <cstring>

#include "host/failure.h"
#include "host/platform.h"
#include "host/storage.h"

namespace tavrel {

template <typename Unit>
void CountedText<Unit>::ReleaseBlock() noexcept {
  ReleaseStorage(units_);
}

template class CountedText<std::uint8_t>;
template class CountedText<char16_t>;

namespace {

template <typename Unit>
CountedText<Unit> Copy(const Unit* units, std::uint32_t count) noexcept {
  if (count == 0) {
    return {};
  }
  auto* block = static_cast<Unit*>(ObtainStorage(std::size_t{count} * sizeof(Unit)));
  if (block == nullptr) {
    return {};
  }
  std::memcpy(block, units, std::size_t{count} * sizeof(Unit));
  return CountedText<Unit>::Adopt(block, count);
}

template <typename Unit>
Ordering Compare(const CountedText<Unit>& a, const CountedText<Unit>& b) noexcept {
  const std::uint32_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::uint32_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) {
      return a[i] < b[i] ? Ordering::Less : Ordering::Greater;
    }
  }
  if (a.size() == b.size()) {
    return Ordering::Equal;
  }
  return a.size() < b.size() ? Ordering::Less : Ordering::Greater;
}

}  // namespace

WideString CopyWide(const char16_t* units, std::uint32_t count) noexcept {
  return Copy(units, count);
}

ByteString CopyBytes(const std::uint8_t* bytes, std::uint32_t count) noexcept {
  return Copy(bytes, count);
}

std::uint32_t Length(const ByteString& s) noexcept { return s.size(); }

void Assign(ByteString& target, ByteString value) noexcept {
  if (value.Owns()) {
    target = static_cast<ByteString&&>(value);
    return;
  }
  if (value.empty()) {
    target = ByteString{};
    return;
  }
  if (target.Owns() && target.size() == value.size()) {
    std::memmove(target.block(), value.data(), value.size());
    return;
  }
  target = Copy(value.data(), value.size());
  if (target.empty()) {
    RecordError(7);
  }
}

ByteString Concatenate(ByteString a, ByteString b) noexcept {
  if (a.empty()) {
    return b;
  }
  if (b.empty()) {
    return a;
  }
  const std::uint64_t total = std::uint64_t{a.size()} + b.size();
  void* block = total > UINT32_MAX ? nullptr : ObtainStorage(total);
  if (block == nullptr) {
    RecordError(7);
    return {};
  }
  auto* bytes = static_cast<std::uint8_t*>(block);
  std::memcpy(bytes, a.data(), a.size());
  std::memcpy(bytes + a.size(), b.data(), b.size());
  return ByteString::Adopt(bytes, static_cast<std::uint32_t>(total));
}

Ordering CompareBytes(const ByteString& a, const ByteString& b) noexcept { return Compare(a, b); }

Ordering CompareWide(const WideString& a, const WideString& b) noexcept { return Compare(a, b); }

WideString ToWide(const ByteString& s) noexcept {
  if (s.empty()) {
    return {};
  }
  Platform& system = System();
  const std::uint32_t count = system.MultiByteToWideChar(s.data(), s.size(), nullptr, 0);
  if (count == 0) {
    return {};
  }
  auto* units = static_cast<char16_t*>(ObtainStorage(std::size_t{count} * sizeof(char16_t)));
  if (units == nullptr) {
    return {};
  }
  WideString result = WideString::Adopt(units, count);
  if (system.MultiByteToWideChar(s.data(), s.size(), units, count) != count) {
    return {};
  }
  return result;
}

ByteString FromWide(const WideString& w) noexcept {
  if (w.empty()) {
    return {};
  }
  Platform& system = System();
  const std::uint32_t count = system.WideCharToMultiByte(w.data(), w.size(), nullptr, 0);
  if (count == 0) {
    return {};
  }
  auto* bytes = static_cast<std::uint8_t*>(ObtainStorage(count));
  if (bytes == nullptr) {
    return {};
  }
  ByteString result = ByteString::Adopt(bytes, count);
  if (system.WideCharToMultiByte(w.data(), w.size(), bytes, count) != count) {
    return {};
  }
  return result;
}

}  // namespace tavrel
