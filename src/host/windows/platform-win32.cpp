// The platform layer of the Windows build: every member forwards to the
// real Win32 operation of the same name.
#include <windows.h>

#include <cstddef>

#include "host/platform.h"

namespace tavrel {

static_assert(sizeof(WIN32_FIND_DATAW) == sizeof(DirEntryInfo));
static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == offsetof(DirEntryInfo, cFileName));
static_assert(offsetof(WIN32_FIND_DATAW, cAlternateFileName) ==
              offsetof(DirEntryInfo, cAlternateFileName));
static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

HANDLE ToSystem(Handle handle) noexcept { return reinterpret_cast<HANDLE>(handle); }
Handle FromSystem(HANDLE handle) noexcept { return reinterpret_cast<Handle>(handle); }
LPWSTR Wide(char16_t* units) noexcept { return reinterpret_cast<LPWSTR>(units); }
LPCWSTR Wide(const char16_t* units) noexcept { return reinterpret_cast<LPCWSTR>(units); }
WIN32_FIND_DATAW* FindData(DirEntryInfo* data) noexcept {
  return reinterpret_cast<WIN32_FIND_DATAW*>(data);
}

ConsoleHandlerRoutine console_routine = nullptr;

BOOL WINAPI ForwardConsoleEvent(DWORD event) {
  return console_routine != nullptr && console_routine(event) ? TRUE : FALSE;
}

class Win32Platform final : public Platform {
public:
  bool IsNtFamily() noexcept override {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return ::GetVersionExA(&version) != FALSE && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }

  void MessageBoxA(const char* text) noexcept override {
    ::MessageBoxA(nullptr, text, nullptr, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
  }

  [[noreturn]] void ExitProcess(std::uint32_t code) noexcept override { ::ExitProcess(code); }

  void* Allocate(std::size_t bytes) noexcept override {
    return ::HeapAlloc(::GetProcessHeap(), 0, bytes);
  }

  void* AllocateZeroed(std::size_t bytes) noexcept override {
    return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
  }

  bool Free(void* block) noexcept override {
    return ::HeapFree(::GetProcessHeap(), 0, block) != FALSE;
  }

  std::uint32_t SetErrorMode(std::uint32_t mode) noexcept override { return ::SetErrorMode(mode); }
  void SetLastError(std::uint32_t code) noexcept override { ::SetLastError(code); }
  std::uint32_t GetLastError() noexcept override { return ::GetLastError(); }

  std::uint32_t MultiByteToWideChar(const std::uint8_t* bytes, std::uint32_t count, char16_t* out,
                                    std::uint32_t capacity) noexcept override {
    const int units =
        ::MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, reinterpret_cast<LPCCH>(bytes),
                              static_cast<int>(count), Wide(out), static_cast<int>(capacity));
    return units > 0 ? static_cast<std::uint32_t>(units) : 0;
  }

  std::uint32_t WideCharToMultiByte(const char16_t* units, std::uint32_t count, std::uint8_t* out,
                                    std::uint32_t capacity) noexcept override {
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, Wide(units), static_cast<int>(count),
                                            reinterpret_cast<LPSTR>(out),
                                            static_cast<int>(capacity), nullptr, nullptr);
    return bytes > 0 ? static_cast<std::uint32_t>(bytes) : 0;
  }

  void CharLowerBuffW(char16_t* units, std::uint32_t count) noexcept override {
    ::CharLowerBuffW(Wide(units), count);
  }

  Handle GetStdHandle(StandardStream stream) noexcept override {
    DWORD which = STD_ERROR_HANDLE;
    if (stream == StandardStream::Input) {
      which = STD_INPUT_HANDLE;
    } else if (stream == StandardStream::Output) {
      which = STD_OUTPUT_HANDLE;
    }
    return FromSystem(::GetStdHandle(which));
  }

  StartupHandles GetStartupInfoA() noexcept override {
    STARTUPINFOA info{};
    info.cb = sizeof info;
    ::GetStartupInfoA(&info);
    return {(info.dwFlags & STARTF_USESTDHANDLES) != 0, FromSystem(info.hStdInput),
            FromSystem(info.hStdOutput), FromSystem(info.hStdError)};
  }

  bool GetConsoleMode(Handle console) noexcept override {
    DWORD mode = 0;
    return ::GetConsoleMode(ToSystem(console), &mode) != FALSE;
  }

  bool SetConsoleMode(Handle console, std::uint32_t mode) noexcept override {
    return ::SetConsoleMode(ToSystem(console), mode) != FALSE;
  }

  bool SetConsoleCtrlHandler(ConsoleHandlerRoutine routine) noexcept override {
    console_routine = routine;
    return ::SetConsoleCtrlHandler(ForwardConsoleEvent, TRUE) != FALSE;
  }

  bool WriteFile(Handle file, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(ToSystem(file), bytes, count, &done, nullptr);
    *written = done;
    return ok != FALSE;
  }

  const char16_t* GetCommandLineW() noexcept override {
    return reinterpret_cast<const char16_t*>(::GetCommandLineW());
  }

  std::uint32_t GetCurrentDirectoryW(std::uint32_t size, char16_t* buffer) noexcept override {
    return ::GetCurrentDirectoryW(size, Wide(buffer));
  }

  bool SetCurrentDirectoryW(const char16_t* path) noexcept override {
    return ::SetCurrentDirectoryW(Wide(path)) != FALSE;
  }

  Handle FindFirstFileW(const char16_t* pattern, DirEntryInfo* data) noexcept override {
    return FromSystem(::FindFirstFileW(Wide(pattern), FindData(data)));
  }

  bool FindNextFileW(Handle search, DirEntryInfo* data) noexcept override {
    return ::FindNextFileW(ToSystem(search), FindData(data)) != FALSE;
  }

  bool FindClose(Handle search) noexcept override { return ::FindClose(ToSystem(search)) != FALSE; }

  bool OpenClipboard() noexcept override { return ::OpenClipboard(nullptr) != FALSE; }
  bool CloseClipboard() noexcept override { return ::CloseClipboard() != FALSE; }

  Handle SetClipboardData(std::uint32_t format, Handle block) noexcept override {
    return FromSystem(::SetClipboardData(format, ToSystem(block)));
  }

  Handle GlobalAlloc(std::uint32_t flags, std::size_t bytes) noexcept override {
    return FromSystem(::GlobalAlloc(flags, bytes));
  }

  void* GlobalLock(Handle block) noexcept override { return ::GlobalLock(ToSystem(block)); }

  bool GlobalUnlock(Handle block) noexcept override {
    return ::GlobalUnlock(ToSystem(block)) != FALSE;
  }

  Handle GlobalFree(Handle block) noexcept override {
    return FromSystem(::GlobalFree(ToSystem(block)));
  }
};

}  // namespace

Platform& NativePlatform() noexcept {
  static Win32Platform platform;
  return platform;
}

void TakeProcessArguments(int /*argc*/, char** /*argv*/) noexcept {}

}  // namespace tavrel
