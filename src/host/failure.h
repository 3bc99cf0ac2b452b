// The record of the most recent failure, and the guarded way of making a
// system call: critical-error dialogs off, last-error code cleared before
// the call and read after it.
#pragma once

#include <cstdint>

#include "host/platform.h"

namespace tavrel {

// SEM_FAILCRITICALERRORS with SEM_NOOPENFILEERRORBOX.
inline constexpr std::uint32_t kGuardedErrorMode = 0x8001;

// Numbers at or above this end the process with exit code 255.
inline constexpr std::uint8_t kFirstFatalError = 241;

// The number of the most recent recorded failure; 0 until the first.
std::uint8_t ErrorState() noexcept;

// Back to the state a run starts in (tests run many in one process).
void ResetErrorState() noexcept;

// Stores the number; 241 and above end the process at once with 255.
void RecordError(std::uint8_t number) noexcept;

// The error number for a non-zero system last-error code; 0 for 0.
std::uint8_t ErrorNumberFor(std::uint32_t code) noexcept;

template <typename Result>
struct Guarded {
  Result result;
  std::uint32_t code;   // the last-error code after the call
  std::uint8_t number;  // 0 exactly when code is 0
  [[nodiscard]] bool Failed() const noexcept { return code != 0; }
};

// Takes the guard lock and switches the error mode; returns the kept mode.
std::uint32_t EnterGuard() noexcept;
// Restores the kept mode and releases the lock.
void LeaveGuard(std::uint32_t kept_mode) noexcept;
// Whether the guard lock is held right now.
bool GuardHeld() noexcept;

// Runs one system call under the guard. A non-zero last-error code after
// the call is a failure, whatever the call returned. Records nothing.
template <typename Call>
auto GuardedCall(Call&& call) noexcept -> Guarded<decltype(call())> {
  const std::uint32_t kept = EnterGuard();
  System().SetLastError(0);
  auto result = call();
  const std::uint32_t code = System().GetLastError();
  LeaveGuard(kept);
  return {result, code, ErrorNumberFor(code)};
}

}  // namespace tavrel
