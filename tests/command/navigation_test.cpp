#include "command/navigation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/failure.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"
#include "support/three_siblings.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

// Records what the run prints and puts on the clipboard, and can refuse
// directory changes other than the one to the parent.
class RunRecordingPlatform : public testing::ForwardingPlatform {
public:
  bool WriteFile(Handle /*file*/, const void* bytes, std::uint32_t count,
                 std::uint32_t* written) noexcept override {
    output.append(static_cast<const char*>(bytes), count);
    *written = count;
    return true;
  }
  Handle SetClipboardData(std::uint32_t format, Handle block) noexcept override {
    const auto* units = static_cast<const char16_t*>(target_.GlobalLock(block));
    clipboard = units;
    clipboard_format = format;
    target_.GlobalUnlock(block);
    target_.GlobalFree(block);
    return block;
  }
  bool SetCurrentDirectoryW(const char16_t* path) noexcept override {
    if (refuse_moves_into_siblings && std::u16string(path) != u"..") {
      SetLastError(5);
      return false;
    }
    return target_.SetCurrentDirectoryW(path);
  }
  void* AllocateZeroed(std::size_t bytes) noexcept override {
    return refuse_zeroed_storage ? nullptr : target_.AllocateZeroed(bytes);
  }
  std::string output;
  std::u16string clipboard;
  std::uint32_t clipboard_format = 0;
  bool refuse_moves_into_siblings = false;
  bool refuse_zeroed_storage = false;
};

class NavigationRun : public testing::ThreeSiblings {
protected:
  std::string RunIn(const char* sibling) {
    fs::current_path(root_ / sibling);
    const PlatformOverride use(platform);
    RunNavigation();
    return platform.output;
  }
  static fs::path Physical(const fs::path& path) { return fs::canonical(path); }

  RunRecordingPlatform platform;
};

#if TAVREL_HOST_WINDOWS
const std::u16string kGammaCommand = u"cd \"..\\Gamma\"";
#else
const std::u16string kGammaCommand = u"cd -P '../Gamma'";
#endif

TEST_F(NavigationRun, MovesIntoTheNextSiblingAfterLineAndClipboard) {
  EXPECT_EQ(RunIn("Beta"), "Moving to next directory (Gamma)\r\n");
  EXPECT_EQ(platform.clipboard, kGammaCommand);
  EXPECT_EQ(platform.clipboard_format, CF_UNICODETEXT);
  EXPECT_EQ(Physical(fs::current_path()), Physical(root_ / "Gamma"));
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(NavigationRun, WrapsFromTheLastToTheFirst) {
  EXPECT_EQ(RunIn("Gamma"), "Looping back to start (Alpha)\r\n");
  EXPECT_EQ(Physical(fs::current_path()), Physical(root_ / "Alpha"));
}

// A folder whose name begins with a dot is hidden on both builds, so it is
// not among the listed siblings.
TEST_F(NavigationRun, NoMatchLeavesTheProcessInTheParentAndTheClipboardAlone) {
  fs::create_directories(root_ / ".hidden");
  EXPECT_EQ(RunIn(".hidden"), "Error parsing directory list. Oops\r\n");
  EXPECT_TRUE(platform.clipboard.empty());
  EXPECT_EQ(Physical(fs::current_path()), Physical(root_));
}

TEST_F(NavigationRun, AFailedMoveIsRecordedAndLeavesTheProcessInTheParent) {
  platform.refuse_moves_into_siblings = true;
  EXPECT_EQ(RunIn("Beta"), "Moving to next directory (Gamma)\r\n");
  EXPECT_EQ(platform.clipboard, kGammaCommand);
  EXPECT_EQ(Physical(fs::current_path()), Physical(root_));
  EXPECT_EQ(ErrorState(), 70);
}

TEST_F(NavigationRun, WithoutStorageForTheNamesTheRunFindsNoMatch) {
  platform.refuse_zeroed_storage = true;
  EXPECT_EQ(RunIn("Beta"), "Error parsing directory list. Oops\r\n");
  EXPECT_TRUE(platform.clipboard.empty());
  EXPECT_EQ(Physical(fs::current_path()), Physical(root_));
}

}  // namespace
}  // namespace tavrel
