#include "host/failure.h"

#include <atomic>

namespace tavrel {

namespace {

std::uint8_t error_number = 0;

// The guard is one word: taken by exchanging it for all ones until the old
// value was 0, released by storing 0. The error mode it protects is a
// setting of the whole process.
std::atomic<std::uint32_t> guard_word{0};

}  // namespace

std::uint8_t ErrorState() noexcept { return error_number; }

void ResetErrorState() noexcept { error_number = 0; }

void RecordError(std::uint8_t number) noexcept {
  error_number = number;
  if (number >= kFirstFatalError) {
    System().ExitProcess(255);
  }
}

std::uint8_t ErrorNumberFor(std::uint32_t code) noexcept {
  switch (code) {
    case 0: return 0;
    case 87: return 5;
    case 8:
    case 14: return 7;
    case 6:
    case 11:
    case 12:
    case 13:
    case 22:
    case 24: return 51;
    case 2:
    case 18: return 53;
    case 39:
    case 112: return 61;
    case 38: return 62;
    case 4: return 67;
    case 15:
    case 20: return 68;
    case 5:
    case 19:
    case 32:
    case 33:
    case 36: return 70;
    case 21: return 71;
    case 23:
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 34:
    case 35: return 72;
    case 17: return 74;
    case 3: return 76;
    case 7:
    case 9:
    case 10: return 241;
    default: return 75;  // 1, 16, 37 and every other code of 40 or more
  }
}

std::uint32_t EnterGuard() noexcept {
  while (guard_word.exchange(UINT32_MAX, std::memory_order_acquire) != 0) {
  }
  return System().SetErrorMode(kGuardedErrorMode);
}

void LeaveGuard(std::uint32_t kept_mode) noexcept {
  System().SetErrorMode(kept_mode);
  guard_word.store(0, std::memory_order_release);
}

bool GuardHeld() noexcept { return guard_word.load(std::memory_order_relaxed) != 0; }

}  // namespace tavrel
