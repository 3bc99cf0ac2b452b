#include "host/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

struct TailCase {
  const char* what;
  std::u16string line;
  std::u16string tail;
};

const TailCase kTailCases[] = {
    {"name alone", u"tavrel", u""},
    {"name and spaces only", u"tavrel   ", u""},
    {"nothing trimmed", u"tavrel  x y  ", u"x y  "},
    {"quoted name with spaces, no gap", u"\"C:\\My Tools\\tavrel.exe\"x", u"x"},
    {"quoted name and spaces", u"\"C:\\My Tools\\tavrel.exe\"   ", u""},
    {"tab is argument text", u"tavrel\tx", u"\tx"},
    {"non-breaking space belongs to the name", u"tavrel\u00A0x", u""},
    {"leading space skips no name", u" tavrel x", u"tavrel x"},
    {"quotation mark inside unquoted name", u"tav\"rel x", u"x"},
    {"name above U+007F", u"t\u00E4vrel\u4E00 /?", u"/?"},
    {"two quotation marks", u"tavrel \"\"", u"\"\""},
    {"carriage return stays", u"tavrel \r", u"\r"},
    {"unclosed quotation mark", u"\"C:\\tavrel.exe x", u""},
    {"empty command line", u"", u""},
    {"a lone quotation mark", u"\"", u""},
};

TEST(SkipProgramName, FindsWhereTheArgumentTextBegins) {
  for (const auto& c : kTailCases) {
    const std::uint32_t start = SkipProgramName(c.line.c_str());
    ASSERT_LE(start, c.line.size()) << c.what;
    EXPECT_EQ(c.line.substr(start), c.tail) << c.what;
  }
}

TEST(SkipProgramName, TreatsAMissingLineAsEmpty) { EXPECT_EQ(SkipProgramName(nullptr), 0U); }

class CommandLinePlatform : public testing::ForwardingPlatform {
public:
  explicit CommandLinePlatform(const char16_t* line) : line_(line) {}
  const char16_t* GetCommandLineW() noexcept override { return line_; }

private:
  const char16_t* line_;
};

TEST(CommandTail, HandsOutTheSameWholeTextEachTime) {
  CommandLinePlatform platform(u"tavrel  --help \"x\" ");
  const PlatformOverride use(platform);
  FixTailStart();
  const WideString first = CommandTail();
  const WideString second = CommandTail();
  EXPECT_EQ(testing::Str(first), u"--help \"x\" ");
  EXPECT_EQ(testing::Str(second), testing::Str(first));
  EXPECT_NE(first.data(), second.data());
}

}  // namespace
}  // namespace tavrel
