#include "host/posix/ansi_code_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tavrel::posix {
namespace {

std::u16string ToUnits(const std::string& bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto count = static_cast<std::uint32_t>(bytes.size());
  std::u16string units(BytesToUtf16(data, count, nullptr, 0), u'\0');
  EXPECT_EQ(BytesToUtf16(data, count, units.data(), static_cast<std::uint32_t>(units.size())),
            units.size());
  return units;
}

std::string ToBytes(const std::u16string& units) {
  const auto count = static_cast<std::uint32_t>(units.size());
  std::string bytes(Utf16ToBytes(units.data(), count, nullptr, 0), '\0');
  auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
  EXPECT_EQ(Utf16ToBytes(units.data(), count, out, static_cast<std::uint32_t>(bytes.size())),
            bytes.size());
  return bytes;
}

TEST(AnsiCodePage, DecodesWellFormedUtf8Exactly) {
  EXPECT_EQ(ToUnits("A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), u"A\u00E4\u20AC\U0001F600");
  EXPECT_EQ(ToBytes(u"A\u00E4\u20AC\U0001F600"), "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(AnsiCodePage, EscapesEachByteThatIsNotWellFormed) {
  const struct {
    std::string bytes;
    std::u16string units;
  } cases[] = {
      {"\xFF", u"\xDCFF"},
      {"\x80", u"\xDC80"},
      {"\xC3", u"\xDCC3"},                                // truncated sequence
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // overlong solidus
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},            // encoded surrogate
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
      {"\xE2\x82x", u"\xDCE2\xDC82x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUnits(c.bytes), c.units);
    EXPECT_EQ(ToBytes(c.units), c.bytes);
  }
}

TEST(AnsiCodePage, LoneSurrogatesOfOtherOriginBecomeQuestionMarks) {
  EXPECT_EQ(ToBytes(u"\xD800"), "?");
  EXPECT_EQ(ToBytes(u"\xDC7F"), "?");
  EXPECT_EQ(ToBytes(u"a\xDBFFz"), "a?z");
}

TEST(AnsiCodePage, AnyByteStringSurvivesTheRoundTrip) {
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 40);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(static_cast<std::size_t>(length(random)), '\0');
    for (char& b : bytes) {
      b = static_cast<char>(byte(random));
    }
    ASSERT_EQ(ToBytes(ToUnits(bytes)), bytes);
  }
}

TEST(AnsiCodePage, ReportsAnOutputThatIsTooSmall) {
  char16_t out[2];
  const auto* bytes = reinterpret_cast<const std::uint8_t*>("abc");
  EXPECT_EQ(BytesToUtf16(bytes, 3, out, 2), 0U);
  EXPECT_EQ(BytesToUtf16(bytes, 3, nullptr, 0), 3U);
  std::uint8_t narrow[2];
  EXPECT_EQ(Utf16ToBytes(u"abc", 3, narrow, 2), 0U);
  EXPECT_EQ(Utf16ToBytes(u"abc", 3, nullptr, 0), 3U);
  // Past the ASCII a name takes the general path, also when it begins as ASCII.
  EXPECT_EQ(BytesToUtf16(reinterpret_cast<const std::uint8_t*>("ab\xC3\xA9"), 4, out, 2), 0U);
  EXPECT_EQ(Utf16ToBytes(u"ab\u00E9", 3, narrow, 2), 0U);
}

}  // namespace
}  // namespace tavrel::posix
