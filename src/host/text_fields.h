// Lower-casing of text and the cutting of a text into fields at a
// delimiter.
#pragma once

#include <cstdint>

#include "host/text.h"

namespace tavrel {

// A copy of w lowered unit by unit by the host's UTF-16 rules; the length
// never changes. When storage is exhausted, records 7 and lends w back
// unlowered: the result then borrows w and must not outlive it.
WideString LowerCase(const WideString& w) noexcept;

// A copy of s lowered byte by byte by one fixed table on every host: A to
// Z, and the seven bytes 0x80, 0x8E, 0x8F, 0x90, 0x99, 0x9A and 0xA5. When
// storage is exhausted, records 7 and lends s back unlowered.
ByteString LowerCase(const ByteString& s) noexcept;

// One more than the number of non-overlapping occurrences of delimiter in
// text, found left to right. An empty delimiter occurs nowhere.
std::int32_t FieldCount(const WideString& text, const WideString& delimiter) noexcept;

// A copy of field n (from 1; a negative n counts from the end, -1 being
// the last), or the empty value when there is no such field. Records 7
// when storage is exhausted.
WideString FieldAt(const WideString& text, const WideString& delimiter, std::int32_t n) noexcept;

}  // namespace tavrel
