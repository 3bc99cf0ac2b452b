// The process entry: the start-up steps, the choice between the usage
// screen and the navigation run, and shutdown.
#pragma once

#include <cstdint>

namespace tavrel {

// Any argument text shows the usage screen; none starts the navigation
// run. Returns the exit code, always 0.
std::int32_t CommandEntry() noexcept;

void ShowUsage() noexcept;

// The whole process: platform check, console set-up, start-up handles,
// argument text, CommandEntry, shutdown. Ends the process.
void RunProcess() noexcept;

}  // namespace tavrel
