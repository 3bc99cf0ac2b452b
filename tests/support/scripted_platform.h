// A platform for fault sweeps: it records what a run prints and places on
// the clipboard, counts the storage requests and fails the chosen ones,
// keeps count of the blocks still held, and counts the guarded system
// calls, of which it can fail one with a chosen last-error code or let it
// succeed while leaving that code behind. The console and the clipboard
// are simulated, so a run touches neither; directories are real.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/forwarding_platform.h"

namespace tavrel::testing {

// How the scripted system call behaves.
enum class CallFault : std::uint8_t {
  Fails,                // not made; returns its failure value with the code set
  SucceedsLeavingCode,  // made; the code is set afterwards
};

class ScriptedPlatform : public ForwardingPlatform {
public:
  explicit ScriptedPlatform(const char16_t* command_line = u"tavrel") noexcept
      : command_line_(command_line) {}

  // Storage: the k-th request (counting from 1) fails, and with
  // fail_from_on every later one as well; 0 fails none.
  std::uint64_t fail_allocation = 0;
  bool fail_from_on = false;
  std::uint64_t allocations = 0;
  std::set<void*> outstanding;
  std::vector<std::uint64_t> zeroed_requests;  // the numbers of the zeroed ones

  // System calls: the n-th guarded call (counting from 1) is scripted; 0
  // scripts none.
  std::uint64_t fault_call = 0;
  CallFault fault = CallFault::Fails;
  std::uint32_t fault_code = 0;
  std::vector<std::string> calls;  // the name of each guarded call, in order

  // What the run did.
  std::string output;
  bool clipboard_set = false;
  std::u16string clipboard;
  // Allocations and guarded calls made by the time of each write and of
  // the clipboard hand-over, to tell which failures came after them.
  std::vector<std::uint64_t> allocations_at_write;
  std::uint64_t allocations_at_clipboard = 0;

  // The error mode the run finds, and the one it leaves.
  static constexpr std::uint32_t kOriginalErrorMode = 0x0003;
  std::uint32_t error_mode = kOriginalErrorMode;
  // Movable blocks obtained and not yet freed or taken by the clipboard.
  std::set<Handle> global_blocks;
  // The names that listing calls returned, by the number of the call.
  std::map<std::size_t, std::u16string> listed_by_call;

  void* Allocate(std::size_t bytes) noexcept override {
    return Keep(RefuseThisOne() ? nullptr : target_.Allocate(bytes));
  }
  void* AllocateZeroed(std::size_t bytes) noexcept override {
    zeroed_requests.push_back(allocations + 1);
    return Keep(RefuseThisOne() ? nullptr : target_.AllocateZeroed(bytes));
  }
  bool Free(void* block) noexcept override {
    outstanding.erase(block);
    return target_.Free(block);
  }

  std::uint32_t SetErrorMode(std::uint32_t mode) noexcept override {
    const std::uint32_t previous = error_mode;
    error_mode = mode;
    return previous;
  }

  const char16_t* GetCommandLineW() noexcept override { return command_line_; }

  // A fatal failure must end the process at once: no guarded call, and so
  // no write, after the scripted one. A death test's child reports a late
  // end through exit code 254.
  [[noreturn]] void ExitProcess(std::uint32_t code) noexcept override {
    const bool at_once = fault_call == 0 || calls.size() == fault_call;
    if (code == 255 && !at_once) {
      std::fprintf(stderr, "guarded calls went on after the fatal fault: %zu of %llu\n",
                   calls.size(), static_cast<unsigned long long>(fault_call));
      std::fflush(stderr);
      target_.ExitProcess(254);
    }
    target_.ExitProcess(code);
    std::abort();  // never reached: the target ends the process
  }

  bool GetConsoleMode(Handle /*console*/) noexcept override {
    return Call("GetConsoleMode", true, false, [] { return true; });
  }
  bool SetConsoleMode(Handle /*console*/, std::uint32_t /*mode*/) noexcept override {
    return Call("SetConsoleMode", true, false, [] { return true; });
  }
  bool SetConsoleCtrlHandler(ConsoleHandlerRoutine /*routine*/) noexcept override {
    return Call("SetConsoleCtrlHandler", true, false, [] { return true; });
  }
  bool WriteFile(Handle /*file*/, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    allocations_at_write.push_back(allocations);
    return Call("WriteFile", true, false, [&] {
      output.append(static_cast<const char*>(bytes), count);
      *written = count;
      return true;
    });
  }
  std::uint32_t GetCurrentDirectoryW(std::uint32_t size, char16_t* buffer) noexcept override {
    return Call("GetCurrentDirectoryW", true, 0U,
                [&] { return target_.GetCurrentDirectoryW(size, buffer); });
  }
  bool SetCurrentDirectoryW(const char16_t* path) noexcept override {
    return Call("SetCurrentDirectoryW", true, false,
                [&] { return target_.SetCurrentDirectoryW(path); });
  }
  Handle FindFirstFileW(const char16_t* pattern, DirEntryInfo* data) noexcept override {
    return Call("FindFirstFileW", true, INVALID_HANDLE_VALUE, [&] {
      const Handle search = target_.FindFirstFileW(pattern, data);
      if (search != INVALID_HANDLE_VALUE) {
        listed_by_call[calls.size()] = data->cFileName;
      }
      return search;
    });
  }
  bool FindNextFileW(Handle search, DirEntryInfo* data) noexcept override {
    return Call("FindNextFileW", true, false, [&] {
      const bool found = target_.FindNextFileW(search, data);
      if (found) {
        listed_by_call[calls.size()] = data->cFileName;
      }
      return found;
    });
  }
  // A refused close still closes the real search, so that sweeps leak no
  // handles of their own.
  bool FindClose(Handle search) noexcept override {
    return Call("FindClose", false, false, [&] { return target_.FindClose(search); });
  }
  bool OpenClipboard() noexcept override {
    return Call("OpenClipboard", true, false, [] { return true; });
  }
  bool CloseClipboard() noexcept override {
    return Call("CloseClipboard", true, false, [] { return true; });
  }
  // The clipboard takes the block: its text is recorded and the block
  // freed, as the system would once it has taken it.
  Handle SetClipboardData(std::uint32_t format, Handle block) noexcept override {
    allocations_at_clipboard = allocations;
    return Call("SetClipboardData", true, Handle{0}, [&] {
      const auto* units = static_cast<const char16_t*>(target_.GlobalLock(block));
      clipboard = units;
      clipboard_set = format == CF_UNICODETEXT;
      target_.GlobalUnlock(block);
      global_blocks.erase(block);
      target_.GlobalFree(block);
      return block;
    });
  }
  Handle GlobalAlloc(std::uint32_t flags, std::size_t bytes) noexcept override {
    return Call("GlobalAlloc", true, Handle{0}, [&] {
      const Handle block = target_.GlobalAlloc(flags, bytes);
      if (block != 0) {
        global_blocks.insert(block);
      }
      return block;
    });
  }
  void* GlobalLock(Handle block) noexcept override {
    return Call("GlobalLock", true, static_cast<void*>(nullptr),
                [&] { return target_.GlobalLock(block); });
  }
  bool GlobalUnlock(Handle block) noexcept override {
    return Call("GlobalUnlock", false, false, [&] { return target_.GlobalUnlock(block); });
  }
  // A refused free still frees, for the same reason as FindClose.
  Handle GlobalFree(Handle block) noexcept override {
    global_blocks.erase(block);
    return Call("GlobalFree", false, block, [&] { return target_.GlobalFree(block); });
  }

private:
  bool RefuseThisOne() noexcept {
    ++allocations;
    return fail_allocation != 0 &&
           (allocations == fail_allocation || (fail_from_on && allocations > fail_allocation));
  }
  void* Keep(void* block) {
    if (block != nullptr) {
      outstanding.insert(block);
    }
    return block;
  }

  // One guarded call. A failing call is not made, unless skipping it
  // would leave the test a search or a block of its own to clean up.
  template <typename Result, typename Real>
  Result Call(const char* name, bool skip_when_failing, Result failure, Real real) {
    calls.emplace_back(name);
    if (calls.size() == fault_call) {
      if (fault == CallFault::Fails) {
        if (!skip_when_failing) {
          static_cast<void>(real());
        }
        target_.SetLastError(fault_code);
        return failure;
      }
      const Result result = real();
      target_.SetLastError(fault_code);
      return result;
    }
    return real();
  }

  const char16_t* command_line_;
};

}  // namespace tavrel::testing
