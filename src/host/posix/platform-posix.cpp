// The platform layer of the POSIX build: the Windows operations that the
// host services call, with the same observable results, over POSIX calls.
// Each failing operation sets the thread's last-error code to the Windows
// code that stands for its errno (last_error.cpp).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "host/platform.h"
#include "host/posix/ansi_code_page.h"
#include "host/posix/argument_line.h"
#include "host/posix/clipboard_tool.h"
#include "host/posix/last_error.h"

namespace tavrel {

namespace {

using posix::LastErrorFromErrno;

thread_local std::uint32_t last_error = 0;
std::atomic<std::uint32_t> error_mode{0};

// The command line, built from the arguments of main.
const char16_t* command_line = u"";

ConsoleHandlerRoutine console_routine = nullptr;

void FailWith(std::uint32_t code) noexcept { last_error = code; }
void FailFromErrno() noexcept { last_error = LastErrorFromErrno(errno); }

// Control events: interrupt (Ctrl+C) is 0, quit (Ctrl+\, the nearest to
// Ctrl+Break) is 1, hang-up (the terminal closing) is 2. An event the
// routine does not handle takes the signal's default action.
void ForwardSignal(int signal_number) {
  std::uint32_t event = 2;
  if (signal_number == SIGINT) {
    event = 0;
  } else if (signal_number == SIGQUIT) {
    event = 1;
  }
  if (console_routine == nullptr || !console_routine(event)) {
    static_cast<void>(std::signal(signal_number, SIG_DFL));
    static_cast<void>(std::raise(signal_number));
  }
}

int DescriptorOf(Handle handle) noexcept { return static_cast<int>(handle); }

// A NUL-terminated UTF-16 text as a NUL-terminated byte path, in storage
// that the caller frees; nullptr with the last-error code set on failure.
char* PathBytes(const char16_t* units) noexcept {
  std::uint32_t count = 0;
  while (units[count] != 0) {
    ++count;
  }
  const std::uint32_t bytes = posix::Utf16ToBytes(units, count, nullptr, 0);
  auto* path = static_cast<char*>(std::malloc(std::size_t{bytes} + 1));
  if (path == nullptr) {
    FailWith(8);
    return nullptr;
  }
  posix::Utf16ToBytes(units, count, reinterpret_cast<std::uint8_t*>(path), bytes);
  path[bytes] = '\0';
  return path;
}

// An open listing: the directory stream. Entries whose type needs a look
// through a link are examined relative to its descriptor.
struct Search {
  DIR* stream;
};

bool IsDotEntry(const char* name) noexcept {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The attribute word of one entry. A name beginning with "." is hidden, as
// shells and file managers hide it; "." and ".." name the folder and its
// parent, and are plain directories as on Windows. There is no system
// attribute. A symbolic link is a reparse point, and a directory as well
// when it resolves to one; an entry of unknown type is looked at first.
std::uint32_t AttributesOf(int folder, const dirent& entry) noexcept {
  std::uint32_t attributes = 0;
  if (entry.d_name[0] == '.' && !IsDotEntry(entry.d_name)) {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
  bool directory = entry.d_type == DT_DIR;
  bool link = entry.d_type == DT_LNK;
  if (entry.d_type == DT_UNKNOWN) {
    struct stat own {};
    if (fstatat(folder, entry.d_name, &own, AT_SYMLINK_NOFOLLOW) == 0) {
      directory = S_ISDIR(own.st_mode);
      link = S_ISLNK(own.st_mode);
    }
  }
  if (link) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    struct stat target {};
    directory = fstatat(folder, entry.d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
  }
  if (directory) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  }
  return attributes != 0 ? attributes : 0x80;  // FILE_ATTRIBUTE_NORMAL
}

// Fills the find data for one entry: its attributes and its long name in
// UTF-16. Times, sizes and the short name stay zero: nothing reads them.
// False when the name does not fit the record's 260 units.
bool Describe(const Search& search, const dirent& entry, DirEntryInfo* data) noexcept {
  const auto* name = reinterpret_cast<const std::uint8_t*>(entry.d_name);
  const auto length = static_cast<std::uint32_t>(std::strlen(entry.d_name));
  constexpr std::uint32_t kNameUnits = sizeof data->cFileName / sizeof data->cFileName[0];
  std::memset(data, 0, sizeof *data);
  // The name with room for its terminator, or 0 when it does not fit.
  if (posix::BytesToUtf16(name, length, data->cFileName, kNameUnits - 1) == 0) {
    return false;
  }
  data->dwFileAttributes = AttributesOf(dirfd(search.stream), entry);
  return true;
}

// Fetches the next entry into data, "." and ".." included as on Windows;
// false with ERROR_NO_MORE_FILES at the end, or the errno's code when
// reading fails. A name too long for the record is passed over.
bool NextEntry(Search& search, DirEntryInfo* data) noexcept {
  DirEntryInfo scratch{};
  DirEntryInfo* target = data != nullptr ? data : &scratch;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(search.stream);
    if (entry == nullptr) {
      if (errno != 0) {
        FailFromErrno();
      } else {
        FailWith(posix::ERROR_NO_MORE_FILES);
      }
      return false;
    }
    if (Describe(search, *entry, target)) {
      return true;
    }
  }
}

// The patterns this layer lists, and the only ones: a last component of
// "*" or "*.*", which both match every entry, after an optional folder
// part that ends in "/" ("*.*", "sub/*", "/*.*"). Any other pattern (a
// plain name, other wildcards, "\" as a separator) gives no search and
// ERROR_INVALID_NAME. Returns the folder to open, in storage the caller
// frees, or nullptr with the last-error code set.
char* FolderOfPattern(const char16_t* pattern) noexcept {
  char* path = PathBytes(pattern);
  if (path == nullptr) {
    return nullptr;
  }
  char* slash = std::strrchr(path, '/');
  char* last = slash != nullptr ? slash + 1 : path;
  if (std::strcmp(last, "*") != 0 && std::strcmp(last, "*.*") != 0) {
    std::free(path);
    FailWith(posix::ERROR_INVALID_NAME);
    return nullptr;
  }
  if (slash == nullptr) {
    path[0] = '.';
    path[1] = '\0';
  } else if (slash == path) {
    path[1] = '\0';  // the root
  } else {
    *slash = '\0';
  }
  return path;
}

// Movable blocks: a header that records the size and the lock count, then
// the bytes, aligned as malloc aligns them. A handle is the header's
// address.
struct alignas(std::max_align_t) Block {
  std::size_t size;
  unsigned locks;
};

constexpr std::uint32_t kErrorNotLocked = 158;  // ERROR_NOT_LOCKED

Block* BlockOf(Handle handle) noexcept { return reinterpret_cast<Block*>(handle); }
char16_t* UnitsOf(Block* block) noexcept { return reinterpret_cast<char16_t*>(block + 1); }

// The text of a CF_UNICODETEXT block: its units up to the first zero unit,
// or all of them when it has none.
std::uint32_t TextLength(Block* block) noexcept {
  const char16_t* units = UnitsOf(block);
  const std::size_t capacity = block->size / sizeof(char16_t);
  std::size_t length = 0;
  while (length < capacity && length < UINT32_MAX && units[length] != 0) {
    ++length;
  }
  return static_cast<std::uint32_t>(length);
}

bool clipboard_open = false;

class PosixPlatform final : public Platform {
public:
  PosixPlatform() noexcept {
    // A write to a pipe whose reader has gone fails with an error code, as
    // on Windows, instead of ending the process.
    static_cast<void>(std::signal(SIGPIPE, SIG_IGN));
  }

  bool IsNtFamily() noexcept override { return true; }

  // Never reached, since the platform check always passes here.
  void MessageBoxA(const char* /*text*/) noexcept override {}

  [[noreturn]] void ExitProcess(std::uint32_t code) noexcept override {
    _exit(static_cast<int>(code));
  }

  void* Allocate(std::size_t bytes) noexcept override { return std::malloc(bytes); }
  void* AllocateZeroed(std::size_t bytes) noexcept override { return std::calloc(1, bytes); }
  bool Free(void* block) noexcept override {
    std::free(block);
    return true;
  }

  std::uint32_t SetErrorMode(std::uint32_t mode) noexcept override {
    return error_mode.exchange(mode);
  }
  void SetLastError(std::uint32_t code) noexcept override { last_error = code; }
  std::uint32_t GetLastError() noexcept override { return last_error; }

  std::uint32_t MultiByteToWideChar(const std::uint8_t* bytes, std::uint32_t count, char16_t* out,
                                    std::uint32_t capacity) noexcept override {
    return posix::BytesToUtf16(bytes, count, out, capacity);
  }

  std::uint32_t WideCharToMultiByte(const char16_t* units, std::uint32_t count, std::uint8_t* out,
                                    std::uint32_t capacity) noexcept override {
    return posix::Utf16ToBytes(units, count, out, capacity);
  }

  // A fixed mapping, whatever the locale: A to Z and the Latin-1 capitals
  // U+00C0 to U+00DE (but U+00D7, the multiplication sign) to their small
  // letters, 0x20 above each.
  void CharLowerBuffW(char16_t* units, std::uint32_t count) noexcept override {
    for (std::uint32_t i = 0; i < count; ++i) {
      const char16_t unit = units[i];
      const bool ascii_capital = unit >= u'A' && unit <= u'Z';
      const bool latin1_capital = unit >= 0xC0 && unit <= 0xDE && unit != 0xD7;
      if (ascii_capital || latin1_capital) {
        units[i] = static_cast<char16_t>(unit + 0x20);
      }
    }
  }

  Handle GetStdHandle(StandardStream stream) noexcept override {
    switch (stream) {
      case StandardStream::Input: return STDIN_FILENO;
      case StandardStream::Output: return STDOUT_FILENO;
      case StandardStream::Error: return STDERR_FILENO;
    }
    return INVALID_HANDLE_VALUE;
  }

  StartupHandles GetStartupInfoA() noexcept override { return {false, 0, 0, 0}; }

  bool GetConsoleMode(Handle console) noexcept override {
    if (isatty(DescriptorOf(console)) == 1) {
      return true;
    }
    FailWith(posix::ERROR_INVALID_HANDLE);
    return false;
  }

  // The terminal's settings belong to the user: a console is accepted and
  // left as it is.
  bool SetConsoleMode(Handle console, std::uint32_t /*mode*/) noexcept override {
    return GetConsoleMode(console);
  }

  bool SetConsoleCtrlHandler(ConsoleHandlerRoutine routine) noexcept override {
    console_routine = routine;
    struct sigaction action {};
    action.sa_handler = ForwardSignal;
    sigemptyset(&action.sa_mask);
    const bool installed = sigaction(SIGINT, &action, nullptr) == 0 &&
                           sigaction(SIGQUIT, &action, nullptr) == 0 &&
                           sigaction(SIGHUP, &action, nullptr) == 0;
    if (!installed) {
      FailFromErrno();
    }
    return installed;
  }

  bool WriteFile(Handle file, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    ssize_t done = -1;
    do {
      done = write(DescriptorOf(file), bytes, count);
    } while (done < 0 && errno == EINTR);
    if (done < 0) {
      *written = 0;
      FailFromErrno();
      return false;
    }
    *written = static_cast<std::uint32_t>(done);
    return true;
  }

  const char16_t* GetCommandLineW() noexcept override { return command_line; }

  std::uint32_t GetCurrentDirectoryW(std::uint32_t size, char16_t* buffer) noexcept override {
    char* path = getcwd(nullptr, 0);
    if (path == nullptr) {
      FailFromErrno();
      return 0;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(path);
    const auto length = static_cast<std::uint32_t>(std::strlen(path));
    const std::uint32_t units = posix::BytesToUtf16(bytes, length, nullptr, 0);
    std::uint32_t result = units + 1;  // too small: the size needed
    if (units < size) {
      posix::BytesToUtf16(bytes, length, buffer, units);
      buffer[units] = 0;
      result = units;
    }
    std::free(path);
    return result;
  }

  bool SetCurrentDirectoryW(const char16_t* path) noexcept override {
    char* bytes = PathBytes(path);
    if (bytes == nullptr) {
      return false;
    }
    const bool changed = chdir(bytes) == 0;
    if (!changed) {
      FailFromErrno();
    }
    std::free(bytes);
    return changed;
  }

  Handle FindFirstFileW(const char16_t* pattern, DirEntryInfo* data) noexcept override {
    char* folder = FolderOfPattern(pattern);
    if (folder == nullptr) {
      return INVALID_HANDLE_VALUE;
    }
    DIR* stream = opendir(folder);
    std::free(folder);
    if (stream == nullptr) {
      FailFromErrno();
      return INVALID_HANDLE_VALUE;
    }
    auto* search = static_cast<Search*>(std::malloc(sizeof(Search)));
    if (search == nullptr) {
      closedir(stream);
      FailWith(8);
      return INVALID_HANDLE_VALUE;
    }
    search->stream = stream;
    if (!NextEntry(*search, data)) {
      // An empty folder has no first entry, as a drive root without any.
      if (last_error == posix::ERROR_NO_MORE_FILES) {
        FailWith(posix::ERROR_FILE_NOT_FOUND);
      }
      closedir(stream);
      std::free(search);
      return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<Handle>(search);
  }

  bool FindNextFileW(Handle search, DirEntryInfo* data) noexcept override {
    if (search == INVALID_HANDLE_VALUE || search == 0) {
      FailWith(posix::ERROR_INVALID_HANDLE);
      return false;
    }
    return NextEntry(*reinterpret_cast<Search*>(search), data);
  }

  bool FindClose(Handle search) noexcept override {
    if (search == INVALID_HANDLE_VALUE || search == 0) {
      FailWith(posix::ERROR_INVALID_HANDLE);
      return false;
    }
    auto* open = reinterpret_cast<Search*>(search);
    closedir(open->stream);
    std::free(open);
    return true;
  }

  // There is no open state shared with other programs: opening always
  // works, and the text reaches the session's clipboard when it is set.
  bool OpenClipboard() noexcept override {
    clipboard_open = true;
    return true;
  }

  bool CloseClipboard() noexcept override {
    if (!clipboard_open) {
      FailWith(posix::ERROR_CLIPBOARD_NOT_OPEN);
      return false;
    }
    clipboard_open = false;
    return true;
  }

  // Hands the block's text to the session's clipboard tool, which keeps a
  // copy of its own: the block the clipboard took is freed here. A block
  // that was refused stays with the caller.
  Handle SetClipboardData(std::uint32_t format, Handle block) noexcept override {
    if (!clipboard_open) {
      FailWith(posix::ERROR_CLIPBOARD_NOT_OPEN);
      return 0;
    }
    if (format != CF_UNICODETEXT || block == 0) {
      FailWith(posix::ERROR_INVALID_PARAMETER);
      return 0;
    }
    Block* header = BlockOf(block);
    if (!posix::HandToClipboardTool(UnitsOf(header), TextLength(header))) {
      FailWith(1);  // ERROR_INVALID_FUNCTION: no tool took the text
      return 0;
    }
    std::free(header);
    return block;
  }

  // Every block is movable; its bytes are not zeroed.
  Handle GlobalAlloc(std::uint32_t /*flags*/, std::size_t bytes) noexcept override {
    if (bytes > SIZE_MAX - sizeof(Block)) {
      FailWith(8);
      return 0;
    }
    auto* header = static_cast<Block*>(std::malloc(sizeof(Block) + bytes));
    if (header == nullptr) {
      FailWith(8);
      return 0;
    }
    header->size = bytes;
    header->locks = 0;
    return reinterpret_cast<Handle>(header);
  }

  void* GlobalLock(Handle block) noexcept override {
    if (block == 0) {
      FailWith(posix::ERROR_INVALID_HANDLE);
      return nullptr;
    }
    ++BlockOf(block)->locks;
    return UnitsOf(BlockOf(block));
  }

  // True while the block is still locked; false with no code once it is
  // unlocked.
  bool GlobalUnlock(Handle block) noexcept override {
    if (block == 0) {
      FailWith(posix::ERROR_INVALID_HANDLE);
      return false;
    }
    Block* header = BlockOf(block);
    if (header->locks == 0) {
      FailWith(kErrorNotLocked);
      return false;
    }
    return --header->locks != 0;
  }

  // Null once the block is freed, as on Windows.
  Handle GlobalFree(Handle block) noexcept override {
    std::free(BlockOf(block));
    return 0;
  }
};

}  // namespace

Platform& NativePlatform() noexcept {
  static PosixPlatform platform;
  return platform;
}

void TakeProcessArguments(int argc, char** argv) noexcept {
  command_line = posix::BuildCommandLine(argc, argv);
}

}  // namespace tavrel
