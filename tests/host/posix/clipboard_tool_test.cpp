// The clipboard text on POSIX systems: which tool gets it and how (through
// stand-in tools that report what they were given), and the real round
// trip through xclip and xsel on an X server of the test's own.
#include "host/posix/clipboard_tool.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/clipboard.h"
#include "host/failure.h"
#include "host/platform.h"
#include "support/text_helpers.h"

extern char** environ;

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testing::Wide;

// Sets environment variables for the lifetime of the object (nullptr
// unsets one) and puts the earlier values back.
class ScopedEnvironment {
public:
  ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
      Set(name, value);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      Set(name.c_str(), value ? value->c_str() : nullptr);
    }
  }

private:
  static void Set(const char* name, const char* value) {
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

class TemporaryFolder {
public:
  TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "tavrel-clipboard-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  [[nodiscard]] const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

std::string FileText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The first executable name in PATH, found before a test narrows PATH.
std::string Installed(const char* name) {
  std::istringstream folders(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string path = folder + "/" + name;
    if (!folder.empty() && access(path.c_str(), X_OK) == 0) {
      return path;
    }
  }
  return {};
}

// Puts a stand-in for a clipboard tool into folder: a script that keeps
// its standard input in NAME.in and reports, one per line, its arguments,
// where its standard output and error go, its ignored signals and whether
// it has a descriptor 7.
void InstallStandIn(const fs::path& folder, const std::string& name, const std::string& ending) {
  const fs::path script = folder / name;
  std::ofstream(script) << "#!/bin/sh\n"
                        << "exec 3>'" << (folder / (name + ".report")).string() << "'\n"
                        << "/bin/cat >'" << (folder / (name + ".in")).string() << "'\n"
                        << "printf '%s\\n' \"$*\" >&3\n"
                        << "streams=$(/bin/readlink /proc/$$/fd/1 /proc/$$/fd/2)\n"
                        << "printf '%s\\n' \"$streams\" >&3\n"
                        << "/bin/sed -n 's/^SigIgn:[[:space:]]*//p' /proc/$$/status >&3\n"
                        << "if [ -e /proc/$$/fd/7 ]; then echo 7; else echo -; fi >&3\n"
                        << ending;
  fs::permissions(script, fs::perms::owner_all);
}

std::vector<std::string> ReportLines(const fs::path& report) {
  std::istringstream text(FileText(report));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) {
    lines.push_back(line);
  }
  return lines;
}

class ClipboardTool : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorState();
    // The command's signal set-up, as the layer makes it.
    static_cast<void>(NativePlatform());
    ASSERT_FALSE(tools.path().empty());
  }
  TemporaryFolder tools;
};

TEST_F(ClipboardTool, TheSessionAndWhatIsInstalledChooseTheTool) {
  const struct {
    const char* what;
    const char* wayland;
    const char* display;
    std::vector<std::string> installed;
    std::string chosen;  // empty when none runs
    std::string arguments;
  } cases[] = {
      {"Wayland", "wayland-0", ":0", {"wl-copy", "xclip", "xsel"}, "wl-copy", ""},
      {"X", nullptr, ":0", {"wl-copy", "xclip", "xsel"}, "xclip", "-selection clipboard"},
      {"X without xclip", nullptr, ":0", {"wl-copy", "xsel"}, "xsel", "--clipboard --input"},
      {"Wayland without wl-copy",
       "wayland-0",
       ":0",
       {"xclip", "xsel"},
       "xclip",
       "-selection clipboard"},
      {"Wayland, no tool for it", "wayland-0", nullptr, {"xclip", "xsel"}, "", ""},
      {"no session", nullptr, nullptr, {"wl-copy", "xclip", "xsel"}, "", ""},
      {"empty session names", "", "", {"wl-copy", "xclip", "xsel"}, "", ""},
      {"X, nothing installed", nullptr, ":0", {}, "", ""},
  };
  for (const auto& c : cases) {
    const TemporaryFolder folder;
    for (const std::string& name : c.installed) {
      InstallStandIn(folder.path(), name, "");
    }
    const ScopedEnvironment session{
        {"WAYLAND_DISPLAY", c.wayland}, {"DISPLAY", c.display}, {"PATH", folder.path().c_str()}};
    EXPECT_EQ(SetClipboardText(Wide(u"cd -P '../Gamma'")), !c.chosen.empty()) << c.what;
    for (const std::string& name : c.installed) {
      const bool ran = fs::exists(folder.path() / (name + ".report"));
      EXPECT_EQ(ran, name == c.chosen) << c.what << ": " << name;
    }
    if (!c.chosen.empty()) {
      EXPECT_EQ(ReportLines(folder.path() / (c.chosen + ".report")).at(0), c.arguments) << c.what;
      EXPECT_EQ(FileText(folder.path() / (c.chosen + ".in")), "cd -P '../Gamma'") << c.what;
    }
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ClipboardTool, TheTextGoesOnlyThroughStandardInputAsBytes) {
  InstallStandIn(tools.path(), "xclip", "");
  const ScopedEnvironment session{
      {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", ":0"}, {"PATH", tools.path().c_str()}};
  // Quotation marks, a dollar sign, backticks, a backslash, a line end,
  // a non-ASCII letter and the lone surrogates that stand for the
  // non-UTF-8 bytes 0xFF and 0x80.
  const std::u16string text = u"cd -P '../$(x) `y` \"z\\\n\u00E9\xDCFF\xDC80'";
  const std::string bytes = "cd -P '../$(x) `y` \"z\\\n\xC3\xA9\xFF\x80'";
  // A descriptor the command was given beside its standard streams.
  const int inherited = dup2(STDOUT_FILENO, 7);
  ASSERT_EQ(inherited, 7);
  EXPECT_TRUE(SetClipboardText(Wide(text)));
  close(inherited);
  EXPECT_EQ(FileText(tools.path() / "xclip.in"), bytes);
  const std::vector<std::string> report = ReportLines(tools.path() / "xclip.report");
  ASSERT_EQ(report.size(), 5U);
  EXPECT_EQ(report[0], "-selection clipboard");
  EXPECT_EQ(report[1], "/dev/null");
  EXPECT_EQ(report[2], "/dev/null");
  EXPECT_EQ(report[4], "-") << "descriptor 7 reached the tool";
}

TEST_F(ClipboardTool, SignalsTheCommandIgnoresAreAtTheirDefaultsInTheTool) {
  struct sigaction pipe_action {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &pipe_action), 0);
  ASSERT_EQ(pipe_action.sa_handler, SIG_IGN) << "the layer ignores SIGPIPE for the command";
  InstallStandIn(tools.path(), "xclip", "");
  const ScopedEnvironment session{
      {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", ":0"}, {"PATH", tools.path().c_str()}};
  EXPECT_TRUE(SetClipboardText(Wide(u"x")));
  const std::vector<std::string> report = ReportLines(tools.path() / "xclip.report");
  ASSERT_EQ(report.size(), 5U);
  const unsigned long long ignored = std::stoull(report[3], nullptr, 16);
  constexpr unsigned long long kHupIntQuitPipe = 0x1007;
  EXPECT_EQ(ignored & kHupIntQuitPipe, 0U) << "SigIgn " << report[3];
}

TEST_F(ClipboardTool, RelativeFoldersOfThePathAreNeverSearched) {
  const fs::path kept = fs::current_path();
  fs::create_directory(tools.path() / "here");
  fs::create_directory(tools.path() / "absolute");
  InstallStandIn(tools.path(), "xclip", "");
  InstallStandIn(tools.path() / "here", "xclip", "");
  InstallStandIn(tools.path() / "absolute", "xsel", "");
  fs::current_path(tools.path());
  const std::string path = ":.:here:" + (tools.path() / "absolute").string();
  const ScopedEnvironment session{
      {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", ":0"}, {"PATH", path.c_str()}};
  EXPECT_TRUE(SetClipboardText(Wide(u"x")));
  fs::current_path(kept);
  EXPECT_FALSE(fs::exists(tools.path() / "xclip.report"));
  EXPECT_FALSE(fs::exists(tools.path() / "here" / "xclip.report"));
  EXPECT_TRUE(fs::exists(tools.path() / "absolute" / "xsel.report"));
}

TEST_F(ClipboardTool, AFailingToolFailsTheCall) {
  InstallStandIn(tools.path(), "xclip", "exit 1\n");
  const ScopedEnvironment session{
      {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", ":0"}, {"PATH", tools.path().c_str()}};
  EXPECT_FALSE(SetClipboardText(Wide(u"x")));
  EXPECT_TRUE(fs::exists(tools.path() / "xclip.report"));
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ClipboardTool, AHungToolIsStoppedAtTheBoundAndCollected) {
  const fs::path pid_file = tools.path() / "pid";
  InstallStandIn(tools.path(), "xclip",
                 "echo $$ >'" + pid_file.string() + "'\nexec /bin/sleep 30\n");
  const ScopedEnvironment session{
      {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", ":0"}, {"PATH", tools.path().c_str()}};
  const auto start = Clock::now();
  EXPECT_FALSE(SetClipboardText(Wide(u"x")));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, milliseconds(posix::kToolTimeoutMs));
  // Generous above the bound: the machine may be busy with other tests.
  EXPECT_LT(waited, milliseconds(posix::kToolTimeoutMs + 2000));
  // No child is left, not even a zombie: the tool was waited for.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  // On a busy machine the tool may be stopped before it wrote its number.
  const std::string pid_text = FileText(pid_file);
  if (!pid_text.empty()) {
    EXPECT_EQ(kill(std::stoi(pid_text), 0), -1);
    EXPECT_EQ(errno, ESRCH);
  }
}

TEST_F(ClipboardTool, WithoutASessionItFailsAtOnceAndSilently) {
  InstallStandIn(tools.path(), "xclip", "");
  const ScopedEnvironment session{
      {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", nullptr}, {"PATH", tools.path().c_str()}};
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const auto start = Clock::now();
  const bool placed = SetClipboardText(Wide(u"cd -P '../Gamma'"));
  const auto waited = Clock::now() - start;
  const std::string out = ::testing::internal::GetCapturedStdout();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(placed);
  EXPECT_LT(waited, milliseconds(250));
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
  EXPECT_EQ(ErrorState(), 0);
}

// An X server of the test's own on a display that it chooses itself,
// stopped at the end. The tests that need it fail when it cannot start.
class XServer {
public:
  XServer() {
    const std::string program = Installed("Xvfb");
    int ends[2] = {-1, -1};
    if (program.empty() || pipe(ends) != 0) {
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    const char* arguments[] = {"Xvfb",    "-displayfd", "3",        "-nolisten", "tcp",
                               "-screen", "0",          "64x64x24", nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(arguments),
                    environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    std::string number;
    pollfd ready{ends[0], POLLIN, 0};
    char unit = 0;
    while (pid_ > 0 && poll(&ready, 1, 10000) == 1 && read(ends[0], &unit, 1) == 1 &&
           unit != '\n') {
      number += unit;
    }
    close(ends[0]);
    if (!number.empty()) {
      display_ = ":" + number;
    }
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  ~XServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  // Empty when the server did not start.
  [[nodiscard]] const std::string& display() const { return display_; }

private:
  pid_t pid_ = -1;
  std::string display_;
};

// The clipboard's text as xclip reads it, with its exit status.
std::pair<int, std::string> ReadClipboard(const std::string& xclip) {
  const std::string command = xclip + " -selection clipboard -o 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return {-1, {}};
  }
  std::string text;
  char chunk[256];
  for (std::size_t got = 0; (got = std::fread(chunk, 1, sizeof chunk, pipe)) != 0;) {
    text.append(chunk, got);
  }
  return {pclose(pipe), text};
}

// Reads the clipboard until it holds expected, for up to two seconds: the
// copy of the tool that serves the selection claims it a moment after the
// tool reports success.
std::string ClipboardSettlesOn(const std::string& xclip, const std::string& expected) {
  const auto deadline = Clock::now() + milliseconds(2000);
  std::string text;
  do {
    text = ReadClipboard(xclip).second;
  } while (text != expected && Clock::now() < deadline);
  return text;
}

class ClipboardSession : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorState();
    static_cast<void>(NativePlatform());
    ASSERT_FALSE(xclip.empty()) << "xclip is not installed";
    ASSERT_FALSE(xsel.empty()) << "xsel is not installed";
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
  }
  const std::string xclip = Installed("xclip");
  const std::string xsel = Installed("xsel");
  XServer server;
};

TEST_F(ClipboardSession, EveryByteComesBackThroughXclipAndXsel) {
  const struct {
    std::u16string text;
    std::string bytes;
  } texts[] = {
      {u"cd -P '../Gamma'", "cd -P '../Gamma'"},
      {u"cd -P '../it'\\''s $HOME `id` \"q\" \\n'", "cd -P '../it'\\''s $HOME `id` \"q\" \\n'"},
      {u"cd -P '../caf\u00E9 \u65E5\u672C'", "cd -P '../caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC'"},
      {u"cd -P '../\xDCFF\xDC80-x'", "cd -P '../\xFF\x80-x'"},
  };
  for (const std::string& tool : {xclip, xsel}) {
    const TemporaryFolder folder;
    fs::create_symlink(tool, folder.path() / fs::path(tool).filename());
    const ScopedEnvironment session{{"WAYLAND_DISPLAY", nullptr},
                                    {"DISPLAY", server.display().c_str()},
                                    {"PATH", folder.path().c_str()}};
    for (const auto& t : texts) {
      EXPECT_TRUE(SetClipboardText(Wide(t.text))) << tool;
      EXPECT_EQ(ClipboardSettlesOn(xclip, t.bytes), t.bytes) << tool;
    }
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ClipboardSession, ADisplayWithoutAServerFailsWithinTheBound) {
  const std::string display = ":31999";
  ASSERT_FALSE(fs::exists("/tmp/.X11-unix/X31999"));
  const ScopedEnvironment session{{"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", display.c_str()}};
  const auto start = Clock::now();
  EXPECT_FALSE(SetClipboardText(Wide(u"x")));
  EXPECT_LT(Clock::now() - start, milliseconds(posix::kToolTimeoutMs + 2000));
  EXPECT_EQ(ErrorState(), 0);
}

// A caller that reads the command's output through a pipe, as $(tavrel)
// does, sees its end when the command exits, although the tool stays in
// the background to serve the selection.
TEST_F(ClipboardSession, TheToolHoldsNoneOfTheCommandsStreams) {
  const ScopedEnvironment session{{"WAYLAND_DISPLAY", nullptr},
                                  {"DISPLAY", server.display().c_str()}};
  int ends[2] = {-1, -1};
  ASSERT_EQ(pipe(ends), 0);
  const auto start = Clock::now();
  const pid_t command = fork();
  ASSERT_GE(command, 0);
  if (command == 0) {
    dup2(ends[1], 1);
    dup2(ends[1], 2);
    close(ends[0]);
    close(ends[1]);
    const bool placed = SetClipboardText(Wide(u"cd -P '../Beta'"));
    static_cast<void>(write(1, placed ? "placed" : "failed", 6));
    _exit(0);
  }
  close(ends[1]);
  std::string output;
  pollfd readable{ends[0], POLLIN, 0};
  char chunk[64];
  bool ended = false;
  while (!ended && poll(&readable, 1, 3000) == 1) {
    const ssize_t got = read(ends[0], chunk, sizeof chunk);
    ended = got <= 0;
    if (got > 0) {
      output.append(chunk, static_cast<std::size_t>(got));
    }
  }
  const auto waited = Clock::now() - start;
  close(ends[0]);
  waitpid(command, nullptr, 0);
  EXPECT_TRUE(ended) << "the output did not end within three seconds";
  EXPECT_LT(waited, milliseconds(posix::kToolTimeoutMs + 2000));
  EXPECT_EQ(output, "placed");
  EXPECT_EQ(ClipboardSettlesOn(xclip, "cd -P '../Beta'"), "cd -P '../Beta'");
}

}  // namespace
}  // namespace tavrel
