#include "host/failure.h"

#include <gtest/gtest.h>

#include "support/forwarding_platform.h"

namespace tavrel {
namespace {

TEST(ErrorNumberFor, MapsEveryCodeOfTheTable) {
  const struct {
    std::uint32_t code;
    std::uint8_t number;
  } cases[] = {
      {0, 0},    {87, 5},    {8, 7},   {14, 7},  {6, 51},  {11, 51},  {12, 51},
      {13, 51},  {22, 51},   {24, 51}, {2, 53},  {18, 53}, {39, 61},  {112, 61},
      {38, 62},  {4, 67},    {15, 68}, {20, 68}, {5, 70},  {19, 70},  {32, 70},
      {33, 70},  {36, 70},   {21, 71}, {23, 72}, {25, 72}, {31, 72},  {34, 72},
      {35, 72},  {17, 74},   {1, 75},  {16, 75}, {37, 75}, {40, 75},  {109, 75},
      {232, 75}, {1921, 75}, {3, 76},  {7, 241}, {9, 241}, {10, 241}, {0xFFFFFFFF, 75},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorNumberFor(c.code), c.number) << "code " << c.code;
  }
}

TEST(RecordError, KeepsTheMostRecentNumber) {
  ResetErrorState();
  EXPECT_EQ(ErrorState(), 0);
  RecordError(76);
  RecordError(7);
  EXPECT_EQ(ErrorState(), 7);
}

TEST(RecordErrorDeathTest, FatalNumbersEndTheProcessWith255) {
  EXPECT_EXIT(RecordError(241), ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(RecordError(255), ::testing::ExitedWithCode(255), "");
}

// Observes the error mode and the lock while a guarded call runs.
class ModeWatchingPlatform : public testing::ForwardingPlatform {
public:
  std::uint32_t SetErrorMode(std::uint32_t new_mode) noexcept override {
    const std::uint32_t previous = mode;
    mode = new_mode;
    return previous;
  }
  std::uint32_t mode = 0x0001;
};

TEST(GuardedCall, SwitchesTheErrorModeOnlyForTheCall) {
  ModeWatchingPlatform platform;
  const PlatformOverride use(platform);
  std::uint32_t mode_during = 0;
  bool held_during = false;
  const auto call = GuardedCall([&] {
    mode_during = platform.mode;
    held_during = GuardHeld();
    return 42;
  });
  EXPECT_EQ(call.result, 42);
  EXPECT_FALSE(call.Failed());
  EXPECT_EQ(mode_during, kGuardedErrorMode);
  EXPECT_TRUE(held_during);
  EXPECT_EQ(platform.mode, 0x0001U);
  EXPECT_FALSE(GuardHeld());
}

TEST(GuardedCall, ALeftOverLastErrorCountsAsFailureWhateverTheResult) {
  ModeWatchingPlatform platform;
  const PlatformOverride use(platform);
  const auto call = GuardedCall([&] {
    platform.SetLastError(3);
    return true;
  });
  EXPECT_TRUE(call.result);
  EXPECT_TRUE(call.Failed());
  EXPECT_EQ(call.code, 3U);
  EXPECT_EQ(call.number, 76);
}

TEST(GuardedCall, ClearsAStaleLastErrorBeforeTheCall) {
  ModeWatchingPlatform platform;
  const PlatformOverride use(platform);
  platform.SetLastError(5);
  const auto call = GuardedCall([] { return 0; });
  EXPECT_FALSE(call.Failed());
  EXPECT_EQ(call.number, 0);
}

}  // namespace
}  // namespace tavrel
