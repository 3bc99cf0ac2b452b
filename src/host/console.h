// Console output: one unbuffered write per text to standard output, and
// the console set-up made once at start.
#pragma once

#include <cstdint>

#include "host/platform.h"
#include "host/text.h"

namespace tavrel {

// Writes the bytes of text in one write; a failure is recorded.
void PrintText(ByteString text) noexcept;

// Writes the line end, CR LF, in one write.
void PrintLineEnd() noexcept;

// Takes the standard handles, sets the console modes and installs
// ConsoleEventHandler.
void PrepareConsole() noexcept;

// Applies the standard handles of the start-up information, if it has any.
void ApplyStartupHandles() noexcept;

// Ctrl+C, Ctrl+Break and console close are handled (ignored); anything
// else goes on to the next handler.
bool ConsoleEventHandler(std::uint32_t event) noexcept;

// The handle that every write goes to.
Handle StdOutHandle() noexcept;

}  // namespace tavrel
