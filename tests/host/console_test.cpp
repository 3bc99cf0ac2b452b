#include "host/console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/failure.h"
#include "support/forwarding_platform.h"

namespace tavrel {
namespace {

// Records every write and can make writes fail or fall short.
class WriteRecordingPlatform : public testing::ForwardingPlatform {
public:
  bool WriteFile(Handle file, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    handles.push_back(file);
    writes.emplace_back(static_cast<const char*>(bytes), count);
    if (fail_code != 0) {
      *written = 0;
      SetLastError(fail_code);
      return false;
    }
    *written = count < short_by ? 0 : count - short_by;
    return true;
  }
  std::vector<Handle> handles;
  std::vector<std::string> writes;
  std::uint32_t fail_code = 0;
  std::uint32_t short_by = 0;
};

class ConsoleTest : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
  WriteRecordingPlatform platform;
  PlatformOverride use{platform};
};

TEST_F(ConsoleTest, EachTextIsOneWriteAndTheLineEndIsCrLf) {
  PrintText(Literal("Looping back to start (\xE9t\xE9)"));
  PrintLineEnd();
  ASSERT_EQ(platform.writes.size(), 2U);
  EXPECT_EQ(platform.writes[0], "Looping back to start (\xE9t\xE9)");
  EXPECT_EQ(platform.writes[1], "\r\n");
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ConsoleTest, AnEmptyTextMakesNoWrite) {
  platform.fail_code = 6;
  PrintText(Literal(""));
  EXPECT_TRUE(platform.writes.empty());
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ConsoleTest, FailedWritesAreRecordedAndLaterWritesStillMade) {
  const struct {
    std::uint32_t code;
    std::uint8_t number;
  } cases[] = {{6, 51}, {109, 75}, {232, 75}, {112, 61}};
  for (const auto& c : cases) {
    ResetErrorState();
    platform.fail_code = c.code;
    PrintText(Literal("lost"));
    EXPECT_EQ(ErrorState(), c.number) << "code " << c.code;
  }
  platform.fail_code = 0;
  PrintLineEnd();
  EXPECT_EQ(platform.writes.back(), "\r\n");
}

TEST_F(ConsoleTest, AShortWriteRecords61AndIsNotRepeated) {
  platform.short_by = 1;
  PrintText(Literal("abc"));
  EXPECT_EQ(ErrorState(), 61);
  EXPECT_EQ(platform.writes.size(), 1U);
}

TEST(ConsoleEventHandler, HandlesInterruptBreakAndCloseOnly) {
  EXPECT_TRUE(ConsoleEventHandler(0));
  EXPECT_TRUE(ConsoleEventHandler(1));
  EXPECT_TRUE(ConsoleEventHandler(2));
  EXPECT_FALSE(ConsoleEventHandler(5));
  EXPECT_FALSE(ConsoleEventHandler(6));
}

// Scripts the standard handles and records the console set-up.
class ConsoleSetupPlatform : public testing::ForwardingPlatform {
public:
  Handle GetStdHandle(StandardStream stream) noexcept override {
    return 100 + static_cast<Handle>(stream);
  }
  StartupHandles GetStartupInfoA() noexcept override { return startup; }
  bool GetConsoleMode(Handle console) noexcept override {
    if (console == output_console) {
      return true;
    }
    SetLastError(6);
    return false;
  }
  bool SetConsoleMode(Handle console, std::uint32_t mode) noexcept override {
    modes.emplace_back(console, mode);
    return true;
  }
  bool SetConsoleCtrlHandler(ConsoleHandlerRoutine routine) noexcept override {
    handler = routine;
    return true;
  }
  Handle output_console = -1;
  StartupHandles startup{false, 0, 0, 0};
  std::vector<std::pair<Handle, std::uint32_t>> modes;
  ConsoleHandlerRoutine handler = nullptr;
};

constexpr Handle kInput = 100;
constexpr Handle kOutput = 101;
constexpr Handle kError = 102;

TEST(PrepareConsole, SetsModesOnTheConsoleOutputAndInput) {
  ConsoleSetupPlatform platform;
  const PlatformOverride use(platform);
  platform.output_console = kOutput;
  PrepareConsole();
  using Mode = std::pair<Handle, std::uint32_t>;
  EXPECT_EQ(platform.modes, (std::vector<Mode>{{kOutput, 3}, {kInput, 0}}));
  EXPECT_EQ(platform.handler, &ConsoleEventHandler);
  EXPECT_EQ(StdOutHandle(), kOutput);
}

TEST(PrepareConsole, ARedirectedOutputPutsTheModeOnStandardError) {
  ConsoleSetupPlatform platform;
  const PlatformOverride use(platform);
  PrepareConsole();
  ASSERT_FALSE(platform.modes.empty());
  EXPECT_EQ(platform.modes[0], std::make_pair(kError, std::uint32_t{3}));
  EXPECT_EQ(StdOutHandle(), kOutput);
}

TEST(PrepareConsole, StartupHandlesReplaceStandardOutput) {
  ConsoleSetupPlatform platform;
  const PlatformOverride use(platform);
  PrepareConsole();
  ApplyStartupHandles();
  EXPECT_EQ(StdOutHandle(), kOutput);
  platform.startup = {true, 7, 8, 9};
  ApplyStartupHandles();
  EXPECT_EQ(StdOutHandle(), 8);
}

}  // namespace
}  // namespace tavrel
