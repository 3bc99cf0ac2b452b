#include "host/text_fields.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "host/failure.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

using testing::Bytes;
using testing::Str;
using testing::Wide;

// A host whose UTF-16 lower-casing turns every unit into '*', to show
// which form goes through the host.
class StarLoweringPlatform : public testing::ForwardingPlatform {
public:
  void CharLowerBuffW(char16_t* units, std::uint32_t count) noexcept override {
    counts.push_back(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      units[i] = u'*';
    }
  }
  std::vector<std::uint32_t> counts;
};

class ExhaustedPlatform : public testing::ForwardingPlatform {
public:
  void* Allocate(std::size_t /*bytes*/) noexcept override { return nullptr; }
};

class TextFieldsTest : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
};

TEST_F(TextFieldsTest, ByteLowerCaseMapsByItsFixedTable) {
  const struct {
    std::string given;
    std::string lowered;
  } cases[] = {
      {"NEW Folder 2", "new folder 2"},
      {"\x8E", "\x84"},
      {"\xC4\xC9\xD6\xDE", "\xC4\xC9\xD6\xDE"},
      {"\x80\x8E\x8F\x90\x99\x9A\xA5", "\x87\x84\x86\x82\x94\x81\xA4"},
      {"@[`{AZ", "@[`{az"},
      {std::string("A\0Z", 3), std::string("a\0z", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Str(LowerCase(Bytes(c.given))), c.lowered) << c.given;
  }
  const std::string changing = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x80\x8E\x8F\x90\x99\x9A\xA5";
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    if (changing.find(one) == std::string::npos) {
      EXPECT_EQ(Str(LowerCase(Bytes(one))), one) << "byte " << b;
    }
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(TextFieldsTest, LowerCaseReturnsANewValueAndLeavesTheOperand) {
  const ByteString name = Bytes("MiXeD");
  const ByteString lowered = LowerCase(name);
  EXPECT_EQ(Str(name), "MiXeD");
  EXPECT_EQ(Str(lowered), "mixed");
  EXPECT_TRUE(lowered.Owns());
  EXPECT_NE(lowered.data(), name.data());

  const WideString wide = Wide(u"MiXeD");
  const WideString wide_lowered = LowerCase(wide);
  EXPECT_EQ(Str(wide), u"MiXeD");
  EXPECT_EQ(Str(wide_lowered), u"mixed");
  EXPECT_NE(wide_lowered.data(), wide.data());

  EXPECT_EQ(LowerCase(ByteString{}).data(), nullptr);
  EXPECT_EQ(LowerCase(WideString{}).data(), nullptr);
}

TEST_F(TextFieldsTest, WideLowerCaseKeepsTheLengthUnitForUnit) {
  const struct {
    std::u16string given;
    std::u16string lowered;
  } cases[] = {
      {u"\u00C4r", u"\u00E4r"},
      {u"ABC xyz", u"abc xyz"},
      {u"\u00C9T\u00C9", u"\u00E9t\u00E9"},
      {u"\xD83D\xDE00Z", u"\xD83D\xDE00z"},  // a surrogate pair stays two units
      {u"\xDC80Q", u"\xDC80q"},              // so does a lone surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Str(LowerCase(Wide(c.given))), c.lowered);
  }
}

TEST_F(TextFieldsTest, OnlyTheWideFormGoesThroughTheHost) {
  StarLoweringPlatform platform;
  const PlatformOverride use(platform);
  EXPECT_EQ(Str(LowerCase(Wide(u"Ab\u00C4"))), u"***");
  EXPECT_EQ(platform.counts, std::vector<std::uint32_t>{3});
  EXPECT_EQ(Str(LowerCase(Bytes("Ab\xC4"))), "ab\xC4");
  EXPECT_EQ(platform.counts.size(), 1U);
  EXPECT_EQ(Str(LowerCase(WideString{})), u"");
  EXPECT_EQ(platform.counts.size(), 1U);
}

TEST_F(TextFieldsTest, WithoutStorageLowerCaseRecords7AndGivesTheTextUnlowered) {
  const ByteString name = Bytes("ABC");
  const WideString wide = Wide(u"ABC");
  ExhaustedPlatform exhausted;
  const PlatformOverride use(exhausted);
  EXPECT_EQ(Str(LowerCase(name)), "ABC");
  EXPECT_EQ(ErrorState(), 7);
  ResetErrorState();
  EXPECT_EQ(Str(LowerCase(wide)), u"ABC");
  EXPECT_EQ(ErrorState(), 7);
}

// The leaf of the current directory is lowered as UTF-16, then converted;
// a listed name is converted, then lowered by the byte table. Only for
// some names do both routes meet.
TEST_F(TextFieldsTest, TheTwoRoutesAgreeOnAsciiOnly) {
  const struct {
    std::u16string name;
    std::string leaf_side;
    std::string entry_side;
  } cases[] = {
    {u"NEW Folder", "new folder", "new folder"},
#if TAVREL_HOST_WINDOWS
    {u"\u00C4pfel", "\xE4pfel", "\xC4pfel"},
    {u"\u017D", "\x9E", "\x84"},
    {u"\u20AC", "\x80", "\x87"},
#else
    {u"\u00C4pfel", "\xC3\xA4pfel", "\xC3\x84pfel"},
    {u"\u010E", "\xC4\x8E", "\xC4\x84"},  // UTF-8 C4 8E holds a byte of the table
    {u"\xDC80", "\x80", "\x87"},          // the raw byte 0x80
#endif
  };
  for (const auto& c : cases) {
    const WideString name = Wide(c.name);
    EXPECT_EQ(Str(FromWide(LowerCase(name))), c.leaf_side);
    EXPECT_EQ(Str(LowerCase(FromWide(name))), c.entry_side);
  }
}

TEST_F(TextFieldsTest, FieldsAreThePiecesBetweenOccurrencesOfTheDelimiter) {
  const struct {
    std::u16string text;
    std::u16string delimiter;
    std::vector<std::u16string> fields;
  } cases[] = {
      {u"C:\\Users\\Ann", u"\\", {u"C:", u"Users", u"Ann"}},
      {u"C:\\", u"\\", {u"C:", u""}},
      {u"C:\\Users\\Ann\\", u"\\", {u"C:", u"Users", u"Ann", u""}},
      {u"\\\\server\\share\\dir", u"\\", {u"", u"", u"server", u"share", u"dir"}},
      {u"Ann", u"\\", {u"Ann"}},
      {u"", u"\\", {u""}},
      {u"a---b", u"--", {u"a", u"-b"}},
      {u"----", u"--", {u"", u"", u""}},
      {u"-", u"--", {u"-"}},
      {u"x--y--", u"--", {u"x", u"y", u""}},
      {u"aXbxc", u"X", {u"a", u"bxc"}},
  };
  for (const auto& c : cases) {
    const WideString text = Wide(c.text);
    const WideString delimiter = Wide(c.delimiter);
    const auto count = static_cast<std::int32_t>(c.fields.size());
    EXPECT_EQ(FieldCount(text, delimiter), count);
    for (std::int32_t n = 1; n <= count; ++n) {
      const auto expected = c.fields[static_cast<std::size_t>(n - 1)];
      EXPECT_EQ(Str(FieldAt(text, delimiter, n)), expected);
      EXPECT_EQ(Str(FieldAt(text, delimiter, n - count - 1)), expected);
    }
    for (const std::int32_t n : {0, count + 1, -count - 1, INT32_MAX, INT32_MIN}) {
      EXPECT_TRUE(FieldAt(text, delimiter, n).empty()) << "n " << n;
    }
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(TextFieldsTest, FieldAtCopiesTheField) {
  const WideString text = Wide(u"C:\\Users\\Ann");
  const WideString last = FieldAt(text, Wide(u"\\"), -1);
  EXPECT_TRUE(last.Owns());
  EXPECT_NE(last.data(), text.data() + 9);
  EXPECT_EQ(Str(text), u"C:\\Users\\Ann");
}

TEST_F(TextFieldsTest, WithoutStorageFieldAtRecords7AndFieldCountStillCounts) {
  const WideString text = Wide(u"C:\\Users\\Ann");
  const WideString delimiter = Wide(u"\\");
  ExhaustedPlatform exhausted;
  const PlatformOverride use(exhausted);
  EXPECT_EQ(FieldCount(text, delimiter), 3);
  EXPECT_EQ(ErrorState(), 0);
  static_cast<void>(FieldAt(text, delimiter, 3));
  EXPECT_EQ(ErrorState(), 7);
  ResetErrorState();
  // An empty field needs no storage.
  EXPECT_TRUE(FieldAt(WideString::Borrow(u"C:\\", 3), delimiter, 2).empty());
  EXPECT_EQ(ErrorState(), 0);
}

}  // namespace
}  // namespace tavrel
