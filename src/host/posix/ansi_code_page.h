// The ANSI code page of the POSIX build: UTF-8, extended so that any byte
// string survives the trip to UTF-16 and back. A byte that is not part of
// valid UTF-8 becomes the lone surrogate U+DC00 + byte (U+DC80 to U+DCFF)
// and turns back into that byte; any other lone surrogate becomes "?".
#pragma once

#include <cstdint>

namespace tavrel::posix {

// Each returns the number of units the whole input converts to, and writes
// them when out is given and capacity suffices (0 written otherwise).
std::uint32_t BytesToUtf16(const std::uint8_t* bytes, std::uint32_t count, char16_t* out,
                           std::uint32_t capacity) noexcept;
std::uint32_t Utf16ToBytes(const char16_t* units, std::uint32_t count, std::uint8_t* out,
                           std::uint32_t capacity) noexcept;

}  // namespace tavrel::posix
