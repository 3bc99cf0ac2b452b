#include "host/text.h"

#include <gtest/gtest.h>

#include <utility>

#include "host/failure.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

using testing::Bytes;
using testing::Str;
using testing::Wide;

// Fails every allocation while it is in place.
class ExhaustedPlatform : public testing::ForwardingPlatform {
public:
  void* Allocate(std::size_t /*bytes*/) noexcept override { return nullptr; }
};

class TextTest : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
};

TEST_F(TextTest, EmptyValueOwnsNothing) {
  const ByteString empty;
  EXPECT_EQ(Length(empty), 0U);
  EXPECT_EQ(empty.data(), nullptr);
  EXPECT_FALSE(empty.Owns());
  EXPECT_EQ(Length(Literal("..")), 2U);
  EXPECT_EQ(Bytes("").data(), nullptr);
}

TEST_F(TextTest, AssignTakesOverATemporaryWithoutCopying) {
  ByteString target = Bytes("old");
  ByteString temporary = Bytes("new value");
  const std::uint8_t* block = temporary.data();
  Assign(target, std::move(temporary));
  EXPECT_EQ(target.data(), block);
  EXPECT_EQ(Str(target), "new value");
}

TEST_F(TextTest, AssignReusesTheTargetBlockWhenLengthsAgree) {
  ByteString target = Bytes("abc");
  const std::uint8_t* block = target.data();
  const ByteString source = Bytes("xyz");
  Assign(target, Lend(source));
  EXPECT_EQ(target.data(), block);
  EXPECT_EQ(Str(target), "xyz");
  EXPECT_EQ(Str(source), "xyz");
  EXPECT_NE(source.data(), target.data());
}

TEST_F(TextTest, AssignCopiesALentValueOfAnotherLength) {
  ByteString target = Bytes("ab");
  Assign(target, Literal("literal"));
  EXPECT_TRUE(target.Owns());
  EXPECT_EQ(Str(target), "literal");
  Assign(target, Literal(""));
  EXPECT_EQ(Length(target), 0U);
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(TextTest, AssignWithoutStorageLeavesTargetEmptyAndRecords7) {
  ByteString target = Bytes("ab");
  {
    ExhaustedPlatform exhausted;
    const PlatformOverride use(exhausted);
    Assign(target, Literal("longer"));
  }
  EXPECT_EQ(Length(target), 0U);
  EXPECT_EQ(ErrorState(), 7);
}

TEST_F(TextTest, ConcatenatePassesAnEmptySidesPartnerThrough) {
  const ByteString name = Bytes("alpha");
  const ByteString left = Concatenate(Literal(""), Lend(name));
  EXPECT_EQ(left.data(), name.data());
  EXPECT_FALSE(left.Owns());
  const ByteString right = Concatenate(Lend(name), ByteString{});
  EXPECT_EQ(right.data(), name.data());

  const ByteString joined = Concatenate(Literal("Moving to next directory ("), Lend(name));
  EXPECT_EQ(Length(joined), 31U);
  EXPECT_EQ(Str(joined), "Moving to next directory (alpha");
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(TextTest, ConcatenateWithoutStorageRecords7) {
  ExhaustedPlatform exhausted;
  const PlatformOverride use(exhausted);
  const ByteString joined = Concatenate(Literal("a"), Literal("b"));
  EXPECT_EQ(ErrorState(), 7);
  EXPECT_EQ(Length(joined), 0U);
}

struct ComparisonCase {
  std::string a;
  std::string b;
  Ordering expected;
};

TEST_F(TextTest, CompareBytesIsOrdinalOnUnsignedBytes) {
  const ComparisonCase cases[] = {
      {"abc", "abc", Ordering::Equal},  {"ab", "abc", Ordering::Less},
      {"abc", "ab", Ordering::Greater}, {"ABC", "abc", Ordering::Less},
      {"\xE4", "z", Ordering::Greater}, {"", "", Ordering::Equal},
      {"", "a", Ordering::Less},        {std::string("a\0b", 3), "a", Ordering::Greater},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareBytes(Bytes(c.a), Bytes(c.b)), c.expected) << c.a << " vs " << c.b;
  }
}

TEST_F(TextTest, CompareWideOnlyEqualsTheEmptyTextWhenItHasNoUnits) {
  EXPECT_EQ(CompareWide(Wide(u" "), WideString{}), Ordering::Greater);
  EXPECT_EQ(CompareWide(WideString{}, ToWide(Literal(""))), Ordering::Equal);
  EXPECT_EQ(CompareWide(Wide(u"\uFFFF"), Wide(u"a")), Ordering::Greater);
  EXPECT_EQ(CompareWide(Wide(u"Ab"), Wide(u"ab")), Ordering::Less);
}

TEST_F(TextTest, ConversionsKeepAsciiAndNulBytes) {
  const std::string samples[] = {"plain ASCII text", std::string("a\0b", 3), "~!@#$%^&*()"};
  for (const auto& sample : samples) {
    const WideString wide = ToWide(Bytes(sample));
    EXPECT_EQ(wide.size(), sample.size());
    EXPECT_EQ(Str(FromWide(wide)), sample);
  }
  EXPECT_TRUE(ToWide(ByteString{}).empty());
  EXPECT_TRUE(FromWide(WideString{}).empty());
}

TEST_F(TextTest, ConversionsWithoutStorageGiveEmptyAndRecordNothing) {
  ExhaustedPlatform exhausted;
  const PlatformOverride use(exhausted);
  EXPECT_TRUE(ToWide(Literal("abc")).empty());
  EXPECT_TRUE(FromWide(WideString::Borrow(u"abc", 3)).empty());
  EXPECT_EQ(ErrorState(), 0);
}

#if TAVREL_HOST_WINDOWS
// The test prefix runs with the ANSI code page 1252.
TEST_F(TextTest, ConversionsGoThroughWindows1252) {
  EXPECT_EQ(Str(ToWide(Bytes("\xC4pfel"))), u"\u00C4pfel");
  EXPECT_EQ(Str(ToWide(Bytes("\x80"))), u"\u20AC");
  EXPECT_EQ(Str(FromWide(Wide(u"\u00E4"))), "\xE4");
  // A Cyrillic letter has no place in 1252: best fit or the default "?".
  const std::string lacking = Str(FromWide(Wide(u"\u0416")));
  EXPECT_EQ(lacking.size(), 1U);
  EXPECT_NE(lacking, "\x16");
}
#else
// The POSIX build's code page is UTF-8 that keeps every byte.
TEST_F(TextTest, ConversionsGoThroughUtf8KeepingEveryByte) {
  EXPECT_EQ(Str(ToWide(Bytes("\xC3\x84pfel"))), u"\u00C4pfel");
  EXPECT_EQ(Str(FromWide(Wide(u"\u20AC"))), "\xE2\x82\xAC");
  EXPECT_EQ(Str(ToWide(Bytes("a\xFF"))), u"a\xDCFF");
  EXPECT_EQ(Str(FromWide(ToWide(Bytes("bad \xC3 \xED\xA0\x80 end")))), "bad \xC3 \xED\xA0\x80 end");
  EXPECT_EQ(Str(FromWide(Wide(u"\xD800x"))), "?x");
}
#endif

}  // namespace
}  // namespace tavrel
