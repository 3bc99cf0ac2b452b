// A platform that forwards every operation to another one, by default the
// native layer. Tests derive from it and override only the operations
// whose results they script or observe.
#pragma once

#include <cstdlib>

#include "host/platform.h"

namespace tavrel::testing {

class ForwardingPlatform : public Platform {
public:
  explicit ForwardingPlatform(Platform& target = NativePlatform()) noexcept : target_(target) {}

  bool IsNtFamily() noexcept override { return target_.IsNtFamily(); }
  void MessageBoxA(const char* text) noexcept override { target_.MessageBoxA(text); }
  [[noreturn]] void ExitProcess(std::uint32_t code) noexcept override {
    target_.ExitProcess(code);
    std::abort();  // never reached: the target ends the process
  }
  void* Allocate(std::size_t bytes) noexcept override { return target_.Allocate(bytes); }
  void* AllocateZeroed(std::size_t bytes) noexcept override {
    return target_.AllocateZeroed(bytes);
  }
  bool Free(void* block) noexcept override { return target_.Free(block); }
  std::uint32_t SetErrorMode(std::uint32_t mode) noexcept override {
    return target_.SetErrorMode(mode);
  }
  void SetLastError(std::uint32_t code) noexcept override { target_.SetLastError(code); }
  std::uint32_t GetLastError() noexcept override { return target_.GetLastError(); }
  std::uint32_t MultiByteToWideChar(const std::uint8_t* bytes, std::uint32_t count, char16_t* out,
                                    std::uint32_t capacity) noexcept override {
    return target_.MultiByteToWideChar(bytes, count, out, capacity);
  }
  std::uint32_t WideCharToMultiByte(const char16_t* units, std::uint32_t count, std::uint8_t* out,
                                    std::uint32_t capacity) noexcept override {
    return target_.WideCharToMultiByte(units, count, out, capacity);
  }
  void CharLowerBuffW(char16_t* units, std::uint32_t count) noexcept override {
    target_.CharLowerBuffW(units, count);
  }
  Handle GetStdHandle(StandardStream stream) noexcept override {
    return target_.GetStdHandle(stream);
  }
  StartupHandles GetStartupInfoA() noexcept override { return target_.GetStartupInfoA(); }
  bool GetConsoleMode(Handle console) noexcept override { return target_.GetConsoleMode(console); }
  bool SetConsoleMode(Handle console, std::uint32_t mode) noexcept override {
    return target_.SetConsoleMode(console, mode);
  }
  bool SetConsoleCtrlHandler(ConsoleHandlerRoutine routine) noexcept override {
    return target_.SetConsoleCtrlHandler(routine);
  }
  bool WriteFile(Handle file, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    return target_.WriteFile(file, bytes, count, written);
  }
  const char16_t* GetCommandLineW() noexcept override { return target_.GetCommandLineW(); }
  std::uint32_t GetCurrentDirectoryW(std::uint32_t size, char16_t* buffer) noexcept override {
    return target_.GetCurrentDirectoryW(size, buffer);
  }
  bool SetCurrentDirectoryW(const char16_t* path) noexcept override {
    return target_.SetCurrentDirectoryW(path);
  }
  Handle FindFirstFileW(const char16_t* pattern, DirEntryInfo* data) noexcept override {
    return target_.FindFirstFileW(pattern, data);
  }
  bool FindNextFileW(Handle search, DirEntryInfo* data) noexcept override {
    return target_.FindNextFileW(search, data);
  }
  bool FindClose(Handle search) noexcept override { return target_.FindClose(search); }
  bool OpenClipboard() noexcept override { return target_.OpenClipboard(); }
  bool CloseClipboard() noexcept override { return target_.CloseClipboard(); }
  Handle SetClipboardData(std::uint32_t format, Handle block) noexcept override {
    return target_.SetClipboardData(format, block);
  }
  Handle GlobalAlloc(std::uint32_t flags, std::size_t bytes) noexcept override {
    return target_.GlobalAlloc(flags, bytes);
  }
  void* GlobalLock(Handle block) noexcept override { return target_.GlobalLock(block); }
  bool GlobalUnlock(Handle block) noexcept override { return target_.GlobalUnlock(block); }
  Handle GlobalFree(Handle block) noexcept override { return target_.GlobalFree(block); }

protected:
  Platform& target_;
};

}  // namespace tavrel::testing
