// The argument text: whatever follows the program name on the process
// command line, handed out whole, never split or unquoted.
#pragma once

#include <cstdint>

#include "host/text.h"

namespace tavrel {

// The position, in UTF-16 units, where the argument text of a
// NUL-terminated command line begins. Never reads past the terminator.
std::uint32_t SkipProgramName(const char16_t* command_line) noexcept;

// Fixes the start of the argument text of the process command line; called
// once at start-up.
void FixTailStart() noexcept;

// A new copy of the argument text; empty when there is none or storage is
// exhausted.
WideString CommandTail() noexcept;

// Whether there is no argument text. Obtains no storage, so exhausted
// storage cannot pass for an empty argument text.
bool ArgumentTextIsEmpty() noexcept;

}  // namespace tavrel
