#include "command/entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/failure.h"
#include "support/forwarding_platform.h"

namespace tavrel {
namespace {

const std::vector<std::string> kUsageWrites = {
    "Tavrel / The Tavrel Authors / tavrel.example.org / authors@tavrel.example.org / Free Software",
    "\r\n",
    "\r\n",
    "Usage: Just type 'tavrel'",
    "\r\n",
    "Effect: This moves you to the next alphabetical directory. It's the equivalent",
    "\r\n",
    "    of typing 'cd ..' and then moving into the next directory alphabetically",
    "\r\n",
    "    from where you just started.",
    "\r\n",
    "\r\n",
};

// A command line of the test's choosing; writes are recorded, not made.
class EntryPlatform : public testing::ForwardingPlatform {
public:
  explicit EntryPlatform(const char16_t* line) : line_(line) {}
  const char16_t* GetCommandLineW() noexcept override { return line_; }
  bool WriteFile(Handle /*file*/, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    writes.emplace_back(static_cast<const char*>(bytes), count);
    *written = count;
    return true;
  }
  std::vector<std::string> writes;

private:
  const char16_t* line_;
};

TEST(ShowUsage, WritesTheSevenLinesInTwelveWrites) {
  EntryPlatform platform(u"tavrel x");
  const PlatformOverride use(platform);
  ShowUsage();
  EXPECT_EQ(platform.writes, kUsageWrites);
  EXPECT_EQ(kUsageWrites[5].size(), 78U);
  EXPECT_EQ(kUsageWrites[7].size(), 76U);
  EXPECT_EQ(kUsageWrites[9].size(), 32U);
}

TEST(CommandEntry, AnyArgumentTextShowsTheUsageScreenAndReturns0) {
  const char16_t* const lines[] = {u"tavrel x", u"tavrel /?",   u"tavrel --help",
                                   u"tavrel\t", u"tavrel \"\"", u"\"tavrel.exe\"x",
                                   u" tavrel"};
  for (const char16_t* line : lines) {
    EntryPlatform platform(line);
    const PlatformOverride use(platform);
    ResetErrorState();
    FixTailStart();
    EXPECT_EQ(CommandEntry(), 0);
    EXPECT_EQ(platform.writes, kUsageWrites);
    EXPECT_EQ(ErrorState(), 0);
  }
}

}  // namespace
}  // namespace tavrel
