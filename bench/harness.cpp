// Times whole processes: each command is started with posix_spawn and
// waited for with wait4, after a warm-up, round by round with the order
// turned each round, so that drift on a shared machine hits every command
// alike. The children run with DISPLAY and WAYLAND_DISPLAY removed and
// their output on /dev/null.
//
//   bench_harness ROUNDS WARMUP { LABEL FOLDER PROGRAM ARGUMENT... ; }...
//
// Prints one line per command: label, median, minimum and maximum in
// microseconds, and the peak resident set in KiB of one more, untimed run.
// That peak is the high-water mark of the child's own address space, read
// from /proc at its exit stop under ptrace: a spawned child's rusage would
// also carry the harness's memory, which the child's address space
// shares until it executes the program.
#include <fcntl.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;  // NOLINT(readability-redundant-declaration): not declared by every libc

namespace {

struct Command {
  std::string label;
  std::string folder;
  std::vector<char*> arguments;
  std::vector<double> micros;
  long peak_kib = 0;
};

std::vector<char*> QuietEnvironment() {
  std::vector<char*> kept;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) != 0 &&
        std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) != 0) {
      kept.push_back(*entry);
    }
  }
  kept.push_back(nullptr);
  return kept;
}

double Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// One run; false when the command could not be started or failed.
bool RunOnce(Command& command, std::vector<char*>& environment, bool record) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, command.folder.c_str());
  const double start = Now();
  pid_t child = 0;
  const int failed = posix_spawn(&child, command.arguments[0], &actions, nullptr,
                                 command.arguments.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    std::fprintf(stderr, "%s: cannot start %s\n", command.label.c_str(), command.arguments[0]);
    return false;
  }
  int status = 0;
  waitpid(child, &status, 0);
  const double elapsed = Now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s: status %d\n", command.label.c_str(), status);
    return false;
  }
  if (record) {
    command.micros.push_back(elapsed);
  }
  return true;
}

long HighWaterKib(pid_t child) {
  std::ifstream status("/proc/" + std::to_string(child) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) {
      return std::atol(line.c_str() + 6);
    }
  }
  return 0;
}

// One traced run, stopped just before the child exits to read its peak.
long PeakKib(const Command& command, std::vector<char*>& environment) {
  const pid_t child = fork();
  if (child == 0) {
    ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, 0);
    dup2(quiet, 1);
    dup2(quiet, 2);
    if (chdir(command.folder.c_str()) == 0) {
      execve(command.arguments[0], command.arguments.data(), environment.data());
    }
    _exit(127);
  }
  long peak = 0;
  int status = 0;
  bool options_set = false;
  while (waitpid(child, &status, 0) == child && WIFSTOPPED(status)) {
    int forwarded = 0;
    if (!options_set) {
      ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACEEXIT);
      options_set = true;
    } else if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      peak = HighWaterKib(child);
    } else {
      forwarded = WSTOPSIG(status);
    }
    ptrace(PTRACE_CONT, child, nullptr, forwarded);
  }
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s ROUNDS WARMUP { LABEL FOLDER PROGRAM ARG... ; }...\n", argv[0]);
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  const int warmup = std::atoi(argv[2]);
  std::vector<Command> commands;
  for (int k = 3; k + 2 < argc;) {
    Command command{argv[k], argv[k + 1], {}, {}, 0};
    for (k += 2; k < argc && std::strcmp(argv[k], ";") != 0; ++k) {
      command.arguments.push_back(argv[k]);
    }
    command.arguments.push_back(nullptr);
    ++k;
    commands.push_back(std::move(command));
  }
  std::vector<char*> environment = QuietEnvironment();
  const std::size_t count = commands.size();
  for (int round = -warmup; round < rounds; ++round) {
    for (std::size_t step = 0; step < count; ++step) {
      Command& command = commands[(step + static_cast<std::size_t>(round + warmup)) % count];
      if (!RunOnce(command, environment, round >= 0)) {
        return 1;
      }
    }
  }
  for (Command& command : commands) {
    command.peak_kib = PeakKib(command, environment);
    std::vector<double>& m = command.micros;
    std::sort(m.begin(), m.end());
    const std::size_t n = m.size();
    const double median = n % 2 == 1 ? m[n / 2] : (m[n / 2 - 1] + m[n / 2]) / 2;
    std::printf("%s %.1f %.1f %.1f %ld\n", command.label.c_str(), median, m.front(), m.back(),
                command.peak_kib);
  }
  return 0;
}
