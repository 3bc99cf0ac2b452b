// Small conversions between test literals and the product's text values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/text.h"

namespace tavrel::testing {

inline ByteString Bytes(std::string_view text) {
  return CopyBytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                   static_cast<std::uint32_t>(text.size()));
}

inline WideString Wide(std::u16string_view text) {
  return CopyWide(text.data(), static_cast<std::uint32_t>(text.size()));
}

inline std::string Str(const ByteString& s) {
  return s.empty() ? std::string() : std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

inline std::u16string Str(const WideString& w) {
  return w.empty() ? std::u16string() : std::u16string(w.data(), w.size());
}

}  // namespace tavrel::testing
