// The clipboard tool is started without a shell, from an absolute path,
// with fixed arguments: the text reaches it only through a pipe on its
// standard input. Its standard output and error are /dev/null, so that the
// copy it leaves in the background to serve the selection holds none of
// the command's own streams (a caller reading the command's output through
// a pipe sees the end as soon as the command exits). The direct child is
// always waited for, so it never stays behind as a zombie.
#include "host/posix/clipboard_tool.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "host/posix/ansi_code_page.h"

extern char** environ;  // NOLINT(readability-redundant-declaration): not declared by every libc

namespace tavrel::posix {

namespace {

struct Tool {
  const char* session;           // the environment variable that names the session
  const char* const* arguments;  // the program's name, then its arguments
};

constexpr const char* kWlCopy[] = {"wl-copy", nullptr};
constexpr const char* kXclip[] = {"xclip", "-selection", "clipboard", nullptr};
constexpr const char* kXsel[] = {"xsel", "--clipboard", "--input", nullptr};
#ifdef __APPLE__
constexpr const char* kPbcopy[] = {"pbcopy", nullptr};
#endif

constexpr Tool kTools[] = {
    {"WAYLAND_DISPLAY", kWlCopy},
    {"DISPLAY", kXclip},
    {"DISPLAY", kXsel},
#ifdef __APPLE__
    {nullptr, kPbcopy},  // the session's own pasteboard: always there
#endif
};

// The search path when PATH is not set.
constexpr const char* kDefaultPath = "/usr/local/bin:/usr/bin:/bin";

bool SessionPresent(const Tool& tool) noexcept {
  if (tool.session == nullptr) {
    return true;
  }
  const char* value = std::getenv(tool.session);
  return value != nullptr && value[0] != '\0';
}

bool IsExecutableFile(const char* path) noexcept {
  struct stat status {};
  return stat(path, &status) == 0 && S_ISREG(status.st_mode) && access(path, X_OK) == 0;
}

// Writes into path the first "folder/name" that is an executable file,
// over the absolute folders of PATH. Relative folders (an empty entry means
// the current one) are passed over: the command runs in whatever folder the
// user is in, and a program lying there must never be started in the
// tool's place.
bool FindOnPath(const char* name, char (&path)[PATH_MAX]) noexcept {
  const char* search = std::getenv("PATH");
  if (search == nullptr) {
    search = kDefaultPath;
  }
  const std::size_t name_length = std::strlen(name);
  for (const char* folder = search; *folder != '\0';) {
    const char* end = std::strchr(folder, ':');
    const std::size_t folder_length =
        end != nullptr ? static_cast<std::size_t>(end - folder) : std::strlen(folder);
    if (folder[0] == '/' && folder_length + 1 + name_length < sizeof path) {
      std::memcpy(path, folder, folder_length);
      path[folder_length] = '/';
      std::memcpy(path + folder_length + 1, name, name_length + 1);
      if (IsExecutableFile(path)) {
        return true;
      }
    }
    if (end == nullptr) {
      break;
    }
    folder = end + 1;
  }
  return false;
}

// The first tool whose session is there and that is installed, with its
// path; nullptr when there is none.
const Tool* FindTool(char (&path)[PATH_MAX]) noexcept {
  for (const Tool& tool : kTools) {
    if (SessionPresent(tool) && FindOnPath(tool.arguments[0], path)) {
      return &tool;
    }
  }
  return nullptr;
}

// Milliseconds left before the deadline, never negative; a part of a
// millisecond counts as one, so that the wait never ends early.
int MillisecondsLeft(const timespec& deadline) noexcept {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long nanoseconds =
      ((static_cast<long long>(deadline.tv_sec) - now.tv_sec) * 1000000000) +
      (deadline.tv_nsec - now.tv_nsec);
  return nanoseconds > 0 ? static_cast<int>((nanoseconds + 999999) / 1000000) : 0;
}

timespec DeadlineAfter(int milliseconds) noexcept {
  timespec deadline{};
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += milliseconds / 1000;
  deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000;
  if (deadline.tv_nsec >= 1000000000) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000;
  }
  return deadline;
}

// Writes all bytes to the non-blocking descriptor before the deadline;
// false when the reader went away or took too long.
bool WriteAll(int descriptor, const std::uint8_t* bytes, std::size_t count,
              const timespec& deadline) noexcept {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t written = write(descriptor, bytes + done, count - done);
    if (written > 0) {
      done += static_cast<std::size_t>(written);
    } else if (written < 0 && errno == EAGAIN) {
      const int left = MillisecondsLeft(deadline);
      if (left == 0) {
        return false;
      }
      pollfd ready{descriptor, POLLOUT, 0};
      static_cast<void>(poll(&ready, 1, left));
    } else if (written >= 0 || errno != EINTR) {
      return false;
    }
  }
  return true;
}

// Waits for the child until the deadline; past it the child is killed and
// collected. True when it ended with status 0.
bool AwaitSuccess(pid_t child, const timespec& deadline) noexcept {
  constexpr timespec kPollInterval{0, 2000000};  // 2 ms
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) {
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (ended < 0 && errno != EINTR) {
      return false;
    }
    if (MillisecondsLeft(deadline) == 0) {
      static_cast<void>(kill(child, SIGKILL));
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      return false;
    }
    static_cast<void>(nanosleep(&kPollInterval, nullptr));
  }
}

// Starts the tool with the pipe's read end as its standard input and
// /dev/null as its output and error, with the signals that the command
// handles or ignores back at their defaults. False when it did not start.
bool StartTool(const char* path, const Tool& tool, int input, pid_t& child) noexcept {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    return false;
  }
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  sigset_t defaults;
  sigemptyset(&defaults);
  for (const int signal_number : {SIGPIPE, SIGINT, SIGQUIT, SIGHUP}) {
    sigaddset(&defaults, signal_number);
  }
  bool prepared =
      posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO) == 0 &&
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
      posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO) == 0 &&
      posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF) == 0;
#ifdef __GLIBC__
  // Nothing else the command holds, inherited descriptors included, goes
  // with the tool into the background.
  prepared = prepared && posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
#endif
  const bool started =
      prepared && posix_spawn(&child, path, &actions, &attributes,
                              const_cast<char* const*>(tool.arguments), environ) == 0;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

// Runs the tool and feeds it the bytes; true when it took them.
bool Feed(const char* path, const Tool& tool, const std::uint8_t* bytes,
          std::size_t count) noexcept {
  int ends[2] = {-1, -1};
  if (pipe(ends) != 0) {
    return false;
  }
  const int input = ends[0];
  const int output = ends[1];
  // Neither end may stay open in the tool beyond its standard input, or it
  // would never see the end of the text.
  static_cast<void>(fcntl(input, F_SETFD, FD_CLOEXEC));
  static_cast<void>(fcntl(output, F_SETFD, FD_CLOEXEC));
  static_cast<void>(fcntl(output, F_SETFL, O_NONBLOCK));
  const timespec deadline = DeadlineAfter(kToolTimeoutMs);
  pid_t child = -1;
  const bool started = StartTool(path, tool, input, child);
  close(input);
  if (!started) {
    close(output);
    return false;
  }
  const bool sent = WriteAll(output, bytes, count, deadline);
  close(output);
  const bool took = AwaitSuccess(child, deadline);
  return sent && took;
}

}  // namespace

bool HandToClipboardTool(const char16_t* units, std::uint32_t count) noexcept {
  char path[PATH_MAX];
  const Tool* tool = FindTool(path);
  if (tool == nullptr) {
    return false;
  }
  const std::uint32_t size = Utf16ToBytes(units, count, nullptr, 0);
  auto* bytes = static_cast<std::uint8_t*>(std::malloc(size != 0 ? size : 1));
  if (bytes == nullptr) {
    return false;
  }
  Utf16ToBytes(units, count, bytes, size);
  const bool took = Feed(path, *tool, bytes, size);
  std::free(bytes);
  return took;
}

}  // namespace tavrel::posix
