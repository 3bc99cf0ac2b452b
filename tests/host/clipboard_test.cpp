#include "host/clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/failure.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

enum class Step : std::uint8_t { None, Open, Alloc, Lock, Unlock, SetData, Close };

// Scripts the clipboard operations over a block of the test's own and logs
// every call. The step named by fail answers with its failure value when
// refuse is set, or with its usual value otherwise, and leaves code as the
// last-error code.
class ScriptedClipboard : public testing::ForwardingPlatform {
public:
  static constexpr Handle kBlock = 0x4B10C;

  bool OpenClipboard() noexcept override {
    return Answer(Step::Open, "OpenClipboard", true, false);
  }
  bool CloseClipboard() noexcept override {
    return Answer(Step::Close, "CloseClipboard", true, false);
  }
  Handle GlobalAlloc(std::uint32_t flags, std::size_t bytes) noexcept override {
    alloc_flags = flags;
    memory.assign(bytes, 0xCD);
    return Answer(Step::Alloc, "GlobalAlloc", kBlock, Handle{0});
  }
  void* GlobalLock(Handle block) noexcept override {
    EXPECT_EQ(block, kBlock);
    return Answer(Step::Lock, "GlobalLock", static_cast<void*>(memory.data()),
                  static_cast<void*>(nullptr));
  }
  bool GlobalUnlock(Handle block) noexcept override {
    EXPECT_EQ(block, kBlock);
    return Answer(Step::Unlock, "GlobalUnlock", false, false);
  }
  Handle SetClipboardData(std::uint32_t format, Handle block) noexcept override {
    format_set = format;
    EXPECT_EQ(block, kBlock);
    return Answer(Step::SetData, "SetClipboardData", block, Handle{0});
  }
  Handle GlobalFree(Handle block) noexcept override {
    EXPECT_EQ(block, kBlock);
    calls.emplace_back("GlobalFree");
    return 0;
  }

  Step fail = Step::None;
  bool refuse = true;
  std::uint32_t code = 0;

  std::vector<std::string> calls;
  std::vector<std::uint8_t> memory;
  std::uint32_t alloc_flags = 0;
  std::uint32_t format_set = 0;

private:
  template <typename Result>
  Result Answer(Step step, const char* name, Result usual, Result failure) noexcept {
    calls.emplace_back(name);
    if (step != fail) {
      return usual;
    }
    SetLastError(code);
    return refuse ? failure : usual;
  }
};

class SetClipboardTextTest : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
  ScriptedClipboard clipboard;
  PlatformOverride use{clipboard};
};

using testing::Wide;

TEST_F(SetClipboardTextTest, TheBlockHoldsTheUnitsUnchangedAndOneZeroUnit) {
  // Ten units: quotation marks, a backslash, a space, a non-ASCII letter
  // and a surrogate pair.
  const std::u16string text = u"\"..\\a \u00E9\U0001F600\"";
  ASSERT_EQ(text.size(), 10U);
  EXPECT_TRUE(SetClipboardText(Wide(text)));
  ASSERT_EQ(clipboard.memory.size(), 22U);
  EXPECT_EQ(std::memcmp(clipboard.memory.data(), text.data(), 20), 0);
  EXPECT_EQ(clipboard.memory[20], 0);
  EXPECT_EQ(clipboard.memory[21], 0);
  EXPECT_EQ(clipboard.alloc_flags, GMEM_MOVEABLE);
  EXPECT_EQ(clipboard.format_set, CF_UNICODETEXT);
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(SetClipboardTextTest, AnEmptyTextPlacesAnEmptyClipboardText) {
  EXPECT_TRUE(SetClipboardText(WideString()));
  EXPECT_EQ(clipboard.memory, (std::vector<std::uint8_t>{0, 0}));
}

TEST_F(SetClipboardTextTest, EveryPathFreesWhatTheClipboardDidNotTakeAndClosesIt) {
  const std::vector<std::string> placed = {"OpenClipboard", "GlobalAlloc",      "GlobalLock",
                                           "GlobalUnlock",  "SetClipboardData", "CloseClipboard"};
  const std::vector<std::string> refused_data = {"OpenClipboard", "GlobalAlloc",      "GlobalLock",
                                                 "GlobalUnlock",  "SetClipboardData", "GlobalFree",
                                                 "CloseClipboard"};
  const std::vector<std::string> lock_failed = {"OpenClipboard", "GlobalAlloc", "GlobalLock",
                                                "GlobalFree", "CloseClipboard"};
  const struct {
    const char* what;
    Step fail;
    bool refuse;
    std::uint32_t code;
    bool result;
    std::vector<std::string> calls;
  } cases[] = {
      {"success", Step::None, true, 0, true, placed},
      {"busy clipboard", Step::Open, true, 5, false, {"OpenClipboard"}},
      {"no storage",
       Step::Alloc,
       true,
       8,
       false,
       {"OpenClipboard", "GlobalAlloc", "CloseClipboard"}},
      {"lock refused", Step::Lock, true, 6, false, lock_failed},
      {"block refused", Step::SetData, true, 5, false, refused_data},
      // The unlock's and the close's results are not looked at.
      {"unlock fails", Step::Unlock, true, 158, true, placed},
      {"close fails", Step::Close, true, 1418, true, placed},
      // A null answer fails the step even without a last-error code.
      {"null block",
       Step::Alloc,
       true,
       0,
       false,
       {"OpenClipboard", "GlobalAlloc", "CloseClipboard"}},
      {"null address", Step::Lock, true, 0, false, lock_failed},
      {"null data", Step::SetData, true, 0, false, refused_data},
      // A code after a usual answer fails the step; what the system holds
      // is still given back: the open clipboard is closed, a block it took
      // is left to it, one it did not is freed.
      {"opened with a code", Step::Open, false, 5, false, {"OpenClipboard", "CloseClipboard"}},
      {"block with a code",
       Step::Alloc,
       false,
       8,
       false,
       {"OpenClipboard", "GlobalAlloc", "GlobalFree", "CloseClipboard"}},
      {"address with a code", Step::Lock, false, 6, false, lock_failed},
      {"taken with a code", Step::SetData, false, 5, false, placed},
  };
  for (const auto& c : cases) {
    clipboard.calls.clear();
    clipboard.fail = c.fail;
    clipboard.refuse = c.refuse;
    clipboard.code = c.code;
    EXPECT_EQ(SetClipboardText(Wide(u"cd \"..\\Gamma\"")), c.result) << c.what;
    EXPECT_EQ(clipboard.calls, c.calls) << c.what;
    EXPECT_EQ(ErrorState(), 0) << c.what;
  }
}

}  // namespace
}  // namespace tavrel
