// The listing over a scripted search: admission, the selection word, the
// listing state and the failures that only end a listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/directory.h"
#include "host/failure.h"
#include "support/find_records.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

using testing::Garbage;
using testing::IsZero;
using testing::Str;
using testing::Wide;

struct ScriptedEntry {
  std::u16string name;
  std::uint32_t attributes;
};

// One folder's entries, delivered in order to every search, with a log of
// the calls. Failures and exhausted storage can be scripted.
class ScriptedListing : public testing::ForwardingPlatform {
public:
  explicit ScriptedListing(std::vector<ScriptedEntry> folder) : entries(std::move(folder)) {}

  Handle FindFirstFileW(const char16_t* pattern, DirEntryInfo* data) noexcept override {
    patterns.emplace_back(pattern);
    log.emplace_back("first");
    if (first_code != 0) {
      SetLastError(first_code);
      if (!first_gives_handle) {
        return INVALID_HANDLE_VALUE;
      }
    }
    const Handle search = next_handle++;
    positions[search] = 0;
    Fill(0, data);
    return search;
  }

  bool FindNextFileW(Handle search, DirEntryInfo* data) noexcept override {
    log.push_back("next " + std::to_string(search));
    const std::size_t position = ++positions[search];
    if (position == fail_at) {
      SetLastError(fail_code);
      return fail_returns;
    }
    if (position >= entries.size()) {
      SetLastError(18);
      return false;
    }
    Fill(position, data);
    return true;
  }

  bool FindClose(Handle search) noexcept override {
    log.push_back("close " + std::to_string(search));
    return true;
  }

  void* Allocate(std::size_t bytes) noexcept override {
    return refuse_storage ? nullptr : target_.Allocate(bytes);
  }

  // The find data of entry i: its name and attributes, with every other
  // field marked so that a record can be compared whole.
  DirEntryInfo DataOf(std::size_t i) const {
    DirEntryInfo data;
    std::memset(&data, static_cast<int>(0x40 + i), sizeof data);
    data.dwFileAttributes = entries[i].attributes;
    std::memcpy(data.cFileName, entries[i].name.c_str(),
                (entries[i].name.size() + 1) * sizeof(char16_t));
    data.cAlternateFileName[0] = u'S';
    data.cAlternateFileName[1] = 0;
    return data;
  }

  std::vector<ScriptedEntry> entries;
  std::vector<std::u16string> patterns;
  std::vector<std::string> log;
  std::uint32_t first_code = 0;
  bool first_gives_handle = false;
  std::size_t fail_at = SIZE_MAX;
  std::uint32_t fail_code = 0;
  bool fail_returns = false;  // what the failing FindNextFileW returns
  bool refuse_storage = false;

private:
  void Fill(std::size_t i, DirEntryInfo* data) const {
    if (i < entries.size()) {
      *data = DataOf(i);
    }
  }

  Handle next_handle = 7;
  std::map<Handle, std::size_t> positions;
};

// A folder with every kind of entry that admission tells apart.
const std::vector<ScriptedEntry> kMixedFolder = {
    {u".", 0x10},         {u"..", 0x10},         {u"file", 0x20},        {u"readonly", 0x01},
    {u"dir", 0x10},       {u"rodir", 0x11},      {u"junction", 0x410},   {u"hiddendir", 0x12},
    {u"systemdir", 0x14}, {u"hiddenfile", 0x02}, {u"systemfile", 0x04},  {u"...", 0x10},
    {u"..x", 0x10},       {u".x", 0x10},         {u"compressed", 0x810},
};

class ListingTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorState();
    RecordError(62);  // an earlier failure, which listing must leave alone
  }
  void TearDown() override { CloseOpenListing(); }

  // Every admitted name in order; each record must hold the whole find
  // data of the entry it names, and the final one all zeros.
  std::vector<std::u16string> Collect(std::uint32_t selection) {
    std::vector<std::u16string> names;
    DirEntryInfo record = Garbage();
    for (WideString name = ListFirst(Wide(u"*.*"), selection, &record); !name.empty();
         name = ListNext(&record)) {
      names.push_back(Str(name));
      bool matched = false;
      for (std::size_t i = 0; i < platform.entries.size(); ++i) {
        if (platform.entries[i].name == names.back()) {
          const DirEntryInfo expected = platform.DataOf(i);
          matched = std::memcmp(&record, &expected, sizeof record) == 0;
        }
      }
      EXPECT_TRUE(matched) << "record of " << ::testing::PrintToString(names.back());
    }
    EXPECT_TRUE(IsZero(record));
    return names;
  }

  ScriptedListing platform{kMixedFolder};
  PlatformOverride use{platform};
};

TEST_F(ListingTest, TheSelectionWordDecidesWhichEntriesAreAdmitted) {
  using Names = std::vector<std::u16string>;
  const Names files = {u"file", u"readonly"};
  const struct {
    std::uint32_t selection;
    Names admitted;
  } cases[] = {
      // Subdirectories that are neither hidden nor system, whatever else.
      {0x90, {u"dir", u"rodir", u"junction", u"...", u"..x", u".x", u"compressed"}},
      // Bits other than 0x02, 0x04, 0x10 and 0x80 are dropped.
      {0x90 | 0x08 | 0x01 | 0x100 | 0x80000000,
       {u"dir", u"rodir", u"junction", u"...", u"..x", u".x", u"compressed"}},
      // Ordinary files only.
      {0, files},
      // SelectOnly alone, or with dropped bits only, is cleared too.
      {0x80, files},
      {0x88, files},
      {0x82, {u"hiddenfile"}},
      {0x84, {u"systemfile"}},
      {0x92,
       {u"dir", u"rodir", u"junction", u"hiddendir", u"hiddenfile", u"...", u"..x", u".x",
        u"compressed"}},
      {0x12,
       {u"file", u"readonly", u"dir", u"rodir", u"junction", u"hiddendir", u"hiddenfile", u"...",
        u"..x", u".x", u"compressed"}},
      {0xFFFFFFFF,
       {u"dir", u"rodir", u"junction", u"hiddendir", u"systemdir", u"hiddenfile", u"systemfile",
        u"...", u"..x", u".x", u"compressed"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Collect(c.selection), c.admitted) << "selection " << std::hex << c.selection;
  }
  EXPECT_EQ(ErrorState(), 62);
}

TEST_F(ListingTest, AfterTheEndListNextGivesNothingAndCallsNothing) {
  Collect(0x90);
  const std::size_t calls = platform.log.size();
  EXPECT_EQ(platform.log.back(), "close 7");
  for (int i = 0; i < 2; ++i) {
    DirEntryInfo record = Garbage();
    EXPECT_TRUE(ListNext(&record).empty());
    EXPECT_TRUE(IsZero(record));
  }
  EXPECT_TRUE(ListFirst(Wide(u""), 0x90, nullptr).empty());
  EXPECT_EQ(platform.log.size(), calls);
  EXPECT_EQ(ErrorState(), 62);
}

TEST_F(ListingTest, ListFirstClosesTheOpenSearchAndStartsAgain) {
  EXPECT_EQ(Str(ListFirst(Wide(u"*.*"), 0x90, nullptr)), u"dir");
  EXPECT_EQ(Str(ListNext(nullptr)), u"rodir");
  EXPECT_EQ(Str(ListFirst(Wide(u"*.*"), 0x90, nullptr)), u"dir");
  EXPECT_EQ(Str(ListNext(nullptr)), u"rodir");
  const std::vector<std::string> expected = {"first",  "next 7",  "next 7", "next 7", "next 7",
                                             "next 7", "close 7", "first",  "next 8", "next 8",
                                             "next 8", "next 8",  "next 8"};
  EXPECT_EQ(platform.log, expected);
}

TEST_F(ListingTest, AnEmptyPatternContinuesWithTheSelectionOfTheOpenSearch) {
  EXPECT_EQ(Str(ListFirst(Wide(u"*.*"), 0x90, nullptr)), u"dir");
  // Selection 0 would admit only files; the open search keeps 0x90.
  EXPECT_EQ(Str(ListFirst(Wide(u""), 0, nullptr)), u"rodir");
  EXPECT_EQ(Str(ListFirst(Wide(u""), 0x04, nullptr)), u"junction");
  EXPECT_EQ(platform.patterns.size(), 1U);
}

TEST_F(ListingTest, FailuresOfTheSearchEndTheListingAndRecordNothing) {
  const struct {
    const char* what;
    std::uint32_t first_code;
    bool first_gives_handle;
    std::size_t fail_at;
    std::uint32_t fail_code;
    bool fail_returns;
    std::size_t names_before;
  } cases[] = {
      {"no search: path not found", 3, false, SIZE_MAX, 0, false, 0},
      {"no search: a code whose number would be fatal", 9, false, SIZE_MAX, 0, false, 0},
      {"a search, with a last-error code left", 87, true, SIZE_MAX, 0, false, 0},
      {"the next entry fails", 0, false, 6, 31, false, 2},
      {"the next entry fails with a fatal code", 0, false, 5, 10, false, 1},
      {"the next entry comes with a last-error code left", 0, false, 5, 87, true, 1},
  };
  for (const auto& c : cases) {
    ScriptedListing failing(kMixedFolder);
    const PlatformOverride use_failing(failing);
    failing.first_code = c.first_code;
    failing.first_gives_handle = c.first_gives_handle;
    failing.fail_at = c.fail_at;
    failing.fail_code = c.fail_code;
    failing.fail_returns = c.fail_returns;
    std::size_t names = 0;
    DirEntryInfo record = Garbage();
    for (WideString name = ListFirst(Wide(u"*.*"), 0x90, &record); !name.empty();
         name = ListNext(&record)) {
      ++names;
    }
    EXPECT_EQ(names, c.names_before) << c.what;
    EXPECT_TRUE(IsZero(record)) << c.what;
    EXPECT_EQ(ErrorState(), 62) << c.what;
    const bool handle_given = c.first_code == 0 || c.first_gives_handle;
    const auto closes = std::count(failing.log.begin(), failing.log.end(), "close 7");
    EXPECT_EQ(closes, handle_given ? 1 : 0) << c.what;
    EXPECT_TRUE(ListNext(nullptr).empty()) << c.what;
  }
}

TEST_F(ListingTest, ExhaustedStorageGivesAnEmptyNameButKeepsTheSearchOpen) {
  const WideString pattern = Wide(u"*.*");
  platform.refuse_storage = true;
  DirEntryInfo record = Garbage();
  EXPECT_TRUE(ListFirst(pattern, 0x90, &record).empty());
  EXPECT_EQ(record.dwFileAttributes, 0x10U);
  EXPECT_EQ(Str(WideString::Borrow(record.cFileName, 3)), u"dir");
  EXPECT_EQ(ErrorState(), 62);
  platform.refuse_storage = false;
  EXPECT_EQ(Str(ListNext(&record)), u"rodir");
  EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "close 7"), 0);
}

TEST_F(ListingTest, PatternsAreCutTo256UnitsAndAFolderEndingListsTheFolder) {
  const std::u16string a255(255, u'a');
  const struct {
    std::u16string given;
    std::u16string asked;
  } cases[] = {
    {u"*.*", u"*.*"},
    {u"C:", u"C:*.*"},
    {u"C:\\Users\\", u"C:\\Users\\*.*"},
    {u"C:\\Users", u"C:\\Users"},
    {std::u16string(300, u'a'), std::u16string(256, u'a')},
    {a255 + u"\\tail", a255 + u"\\*.*"},
    {a255 + u"b\\", a255 + u"b"},
#if TAVREL_HOST_POSIX
    {u"/home/", u"/home/*.*"},
#else
    {u"C:/Users/", u"C:/Users/"},
#endif
  };
  for (const auto& c : cases) {
    platform.patterns.clear();
    static_cast<void>(ListFirst(Wide(c.given), 0x90, nullptr));
    ASSERT_EQ(platform.patterns.size(), 1U);
    EXPECT_EQ(platform.patterns[0], c.asked);
  }
}

TEST_F(ListingTest, CloseOpenListingClosesOnlyAnOpenSearch) {
  CloseOpenListing();
  EXPECT_TRUE(platform.log.empty());
  EXPECT_EQ(Str(ListFirst(Wide(u"*.*"), 0x90, nullptr)), u"dir");
  CloseOpenListing();
  CloseOpenListing();
  EXPECT_TRUE(ListNext(nullptr).empty());
  const std::vector<std::string> expected = {"first",  "next 7", "next 7",
                                             "next 7", "next 7", "close 7"};
  EXPECT_EQ(platform.log, expected);
}

TEST_F(ListingTest, EachThreadHasItsOwnListing) {
  EXPECT_EQ(Str(ListFirst(Wide(u"*.*"), 0x90, nullptr)), u"dir");
  std::vector<std::u16string> other;
  std::thread([&other] {
    EXPECT_TRUE(ListNext(nullptr).empty());
    for (WideString name = ListFirst(Wide(u"*.*"), 0x82, nullptr); !name.empty();
         name = ListNext(nullptr)) {
      other.push_back(Str(name));
    }
  }).join();
  EXPECT_EQ(other, std::vector<std::u16string>{u"hiddenfile"});
  EXPECT_EQ(Str(ListNext(nullptr)), u"rodir");
  EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "close 8"), 1);
  EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "close 7"), 0);
}

}  // namespace
}  // namespace tavrel
