// The operating-system operations that the host services are built on.
//
// Each member stands for one Windows operation and keeps its name. The
// Windows build forwards them to the real API; the POSIX build supplies the
// same observable results from a layer of its own. Tests can put a scripted
// platform in place of the native one to fail any call in turn.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrel {

// A system handle: a Windows HANDLE, or a file descriptor or search
// pointer on POSIX, carried as an integer.
using Handle = std::intptr_t;
// Windows constants keep their names; the Windows layer takes them from
// the system headers instead.
#ifndef INVALID_HANDLE_VALUE
inline constexpr Handle INVALID_HANDLE_VALUE = -1;
#endif

// Handles with the meaning that the Windows STD_*_HANDLE constants select.
enum class StandardStream : std::uint8_t { Input, Output, Error };

// The record a listing step fills, laid out as WIN32_FIND_DATAW.
struct DirEntryInfo {
  std::uint32_t dwFileAttributes;
  std::uint32_t ftCreationTime[2];
  std::uint32_t ftLastAccessTime[2];
  std::uint32_t ftLastWriteTime[2];
  std::uint32_t nFileSizeHigh;
  std::uint32_t nFileSizeLow;
  std::uint32_t dwReserved0;
  std::uint32_t dwReserved1;
  char16_t cFileName[260];
  char16_t cAlternateFileName[14];
};
static_assert(sizeof(DirEntryInfo) == 592, "DirEntryInfo must match WIN32_FIND_DATAW");

#ifndef FILE_ATTRIBUTE_HIDDEN
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr std::uint32_t CF_UNICODETEXT = 13;
inline constexpr std::uint32_t GMEM_MOVEABLE = 2;
#endif

// The standard handles that the start-up information names, when it
// carries any (STARTF_USESTDHANDLES).
struct StartupHandles {
  bool present;
  Handle input;
  Handle output;
  Handle error;
};

using ConsoleHandlerRoutine = bool (*)(std::uint32_t event);

class Platform {
public:
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  Platform(Platform&&) = delete;
  Platform& operator=(Platform&&) = delete;
  virtual ~Platform() = default;

  // Start and end of the process.
  virtual bool IsNtFamily() noexcept = 0;                   // GetVersionExA
  virtual void MessageBoxA(const char* text) noexcept = 0;  // task-modal OK box
  [[noreturn]] virtual void ExitProcess(std::uint32_t code) noexcept = 0;

  // Storage for text and arrays. Exhaustion is reported by nullptr, a
  // refused release by false.
  virtual void* Allocate(std::size_t bytes) noexcept = 0;
  virtual void* AllocateZeroed(std::size_t bytes) noexcept = 0;
  virtual bool Free(void* block) noexcept = 0;

  // Failure plumbing.
  virtual std::uint32_t SetErrorMode(std::uint32_t mode) noexcept = 0;
  virtual void SetLastError(std::uint32_t code) noexcept = 0;
  virtual std::uint32_t GetLastError() noexcept = 0;

  // Conversions through the ANSI code page. Each returns the number of
  // units produced, or only counts them when the output is null; 0 means
  // failure.
  virtual std::uint32_t MultiByteToWideChar(const std::uint8_t* bytes, std::uint32_t count,
                                            char16_t* out, std::uint32_t capacity) noexcept = 0;
  virtual std::uint32_t WideCharToMultiByte(const char16_t* units, std::uint32_t count,
                                            std::uint8_t* out, std::uint32_t capacity) noexcept = 0;
  virtual void CharLowerBuffW(char16_t* units, std::uint32_t count) noexcept = 0;

  // Console.
  virtual Handle GetStdHandle(StandardStream stream) noexcept = 0;
  virtual StartupHandles GetStartupInfoA() noexcept = 0;
  virtual bool GetConsoleMode(Handle console) noexcept = 0;
  virtual bool SetConsoleMode(Handle console, std::uint32_t mode) noexcept = 0;
  virtual bool SetConsoleCtrlHandler(ConsoleHandlerRoutine routine) noexcept = 0;
  virtual bool WriteFile(Handle file, const void* bytes, std::uint32_t count,
                         std::uint32_t* written) noexcept = 0;

  // The process command line, NUL-terminated, owned by the platform.
  virtual const char16_t* GetCommandLineW() noexcept = 0;

  // Directories. GetCurrentDirectoryW returns the length written, or the
  // size needed (terminator included) when the buffer is too small.
  virtual std::uint32_t GetCurrentDirectoryW(std::uint32_t size, char16_t* buffer) noexcept = 0;
  virtual bool SetCurrentDirectoryW(const char16_t* path) noexcept = 0;
  virtual Handle FindFirstFileW(const char16_t* pattern, DirEntryInfo* data) noexcept = 0;
  virtual bool FindNextFileW(Handle search, DirEntryInfo* data) noexcept = 0;
  virtual bool FindClose(Handle search) noexcept = 0;

  // Clipboard and the movable blocks it takes over.
  virtual bool OpenClipboard() noexcept = 0;
  virtual bool CloseClipboard() noexcept = 0;
  virtual Handle SetClipboardData(std::uint32_t format, Handle block) noexcept = 0;
  virtual Handle GlobalAlloc(std::uint32_t flags, std::size_t bytes) noexcept = 0;
  virtual void* GlobalLock(Handle block) noexcept = 0;
  virtual bool GlobalUnlock(Handle block) noexcept = 0;
  virtual Handle GlobalFree(Handle block) noexcept = 0;
};

// The platform every host service calls: the native one unless a test has
// put another in its place.
Platform& System() noexcept;

// The build's own platform layer.
Platform& NativePlatform() noexcept;

// Hands the arguments of main to the native layer. The POSIX layer builds
// its command line from them; Windows reads its own.
void TakeProcessArguments(int argc, char** argv) noexcept;

// Replaces the platform for the lifetime of the object (tests only).
class PlatformOverride {
public:
  explicit PlatformOverride(Platform& replacement) noexcept;
  PlatformOverride(const PlatformOverride&) = delete;
  PlatformOverride& operator=(const PlatformOverride&) = delete;
  PlatformOverride(PlatformOverride&&) = delete;
  PlatformOverride& operator=(PlatformOverride&&) = delete;
  ~PlatformOverride();

private:
  Platform* previous_;
};

}  // namespace tavrel
