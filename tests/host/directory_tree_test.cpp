// Listings of real folders through the build's own platform layer.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/directory.h"
#include "host/directory_tree.h"
#include "host/failure.h"
#include "support/find_records.h"
#include "support/text_helpers.h"

#if TAVREL_HOST_WINDOWS
#include <windows.h>
#endif

namespace tavrel {
namespace {

using testing::DirectoryTest;
using testing::Garbage;
using testing::IsZero;
using testing::kSeparator;
using testing::ListAll;
using testing::Str;
using testing::TempTree;
using testing::Wide;
using testing::WidePath;
using Names = std::set<std::u16string>;
namespace fs = std::filesystem;

#if TAVREL_HOST_WINDOWS
// Sets the hidden, system or read-only attribute of an entry; Wine keeps
// them in the Linux file's extended attributes.
void MarkWith(const fs::path& path, std::uint32_t attribute) {
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), attribute)) << path;
}
#endif

// A parent folder with every kind of sibling that the listing tells apart.
class TreeListingTest : public DirectoryTest {
protected:
  void SetUp() override {
    DirectoryTest::SetUp();
    for (const char16_t* name :
         {u"Alpha", u"Beta", u"G\u00e4mma \u00fcn\u00ef", u".hidden", u"..odd", u".x", u"Empty"}) {
      tree.Folder(name);
    }
    tree.File("file.txt");
    tree.File(".profile");
    tree.Link("Link", "Alpha");
    tree.Link("FileLink", "file.txt");
#if TAVREL_HOST_WINDOWS
    MarkWith(tree.Folder("Secret"), FILE_ATTRIBUTE_HIDDEN);
    MarkWith(tree.Folder("Sys"), FILE_ATTRIBUTE_SYSTEM);
    MarkWith(tree.Folder("ReadOnly"), FILE_ATTRIBUTE_READONLY);
#endif
    RecordError(62);  // an earlier failure, which listing must leave alone
  }

  TempTree tree;
  const Names subdirectories_ = {
    u"Alpha",
    u"Beta",
    u"G\u00e4mma \u00fcn\u00ef",
    u"Link",
    u"Empty",
#if TAVREL_HOST_WINDOWS
    u"ReadOnly",
#endif
  };
  const Names hidden_ = {
    u".hidden",
    u"..odd",
    u".x",
    u".profile",
#if TAVREL_HOST_WINDOWS
    u"Secret",
#endif
  };
  const Names files_ = {u"file.txt", u"FileLink"};
};

Names Union(const Names& a, const Names& b) {
  Names both = a;
  both.insert(b.begin(), b.end());
  return both;
}

TEST_F(TreeListingTest, TheRunsSelectionGivesExactlyTheVisibleSubdirectories) {
  ChangeDirectory(WidePath(tree.root()));
  Names listed;
  DirEntryInfo record = Garbage();
  for (WideString name = ListFirst(Wide(u"*.*"), 0x90, &record); !name.empty();
       name = ListNext(&record)) {
    const std::u16string text = Str(name);
    listed.insert(text);
    EXPECT_EQ(std::u16string(record.cFileName), text);
    const std::uint32_t attributes = record.dwFileAttributes;
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0U) << ::testing::PrintToString(text);
    EXPECT_EQ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0, text == u"Link")
        << ::testing::PrintToString(text);
  }
  EXPECT_EQ(listed, subdirectories_);
  EXPECT_TRUE(IsZero(record));
  EXPECT_EQ(ErrorState(), 62);
}

TEST_F(TreeListingTest, OtherSelectionsAdmitHiddenEntriesAndFiles) {
  const struct {
    std::uint32_t selection;
    Names admitted;
  } cases[] = {
      {0x92, Union(subdirectories_, hidden_)},
      {0x82, {u".profile"}},
      {0x12, Union(Union(subdirectories_, hidden_), files_)},
      {0x00, files_},
      {0x80, files_},
      {0x02, Union(files_, {u".profile"})},
  };
  const WideString pattern = WidePath(tree.root() / "*.*");
  for (const auto& c : cases) {
    EXPECT_EQ(ListAll(pattern, c.selection), c.admitted) << "selection " << std::hex << c.selection;
  }
  EXPECT_EQ(ErrorState(), 62);
}

#if TAVREL_HOST_WINDOWS
TEST_F(TreeListingTest, SystemEntriesNeedTheSystemBit) {
  const WideString pattern = WidePath(tree.root() / "*.*");
  EXPECT_EQ(ListAll(pattern, 0x94), Union(subdirectories_, {u"Sys"}));
  EXPECT_EQ(ListAll(pattern, 0x84), Names{});
}

TEST_F(TreeListingTest, ADriveLetterWithAColonListsThatDrivesCurrentDirectory) {
  ChangeDirectory(WidePath(tree.root()));
  const std::u16string drive = tree.root().root_name().u16string();
  EXPECT_EQ(ListAll(Wide(drive), 0x90), subdirectories_);
}
#endif

TEST_F(TreeListingTest, APatternEndingInASeparatorListsThatFolder) {
  std::u16string folder = tree.root().u16string();
  folder += kSeparator;
  EXPECT_EQ(ListAll(Wide(folder), 0x90), subdirectories_);
  EXPECT_EQ(ErrorState(), 62);
}

TEST_F(TreeListingTest, AFolderWithOnlyDotAndDotDotGivesNothing) {
  DirEntryInfo record = Garbage();
  EXPECT_TRUE(ListFirst(WidePath(tree.root() / "Empty" / "*.*"), 0x96, &record).empty());
  EXPECT_TRUE(IsZero(record));
  record = Garbage();
  EXPECT_TRUE(ListNext(&record).empty());
  EXPECT_TRUE(IsZero(record));
  EXPECT_EQ(ErrorState(), 62);
}

TEST_F(TreeListingTest, AMissingFolderGivesNothingAndRecordsNothing) {
  DirEntryInfo record = Garbage();
  EXPECT_TRUE(ListFirst(WidePath(tree.root() / "missing" / "*.*"), 0x90, &record).empty());
  EXPECT_TRUE(IsZero(record));
  EXPECT_EQ(ErrorState(), 62);
}

TEST_F(TreeListingTest, ListFirstStartsAgainAndAnEmptyPatternContinues) {
  const WideString pattern = WidePath(tree.root() / "*.*");
  const std::u16string first = Str(ListFirst(pattern, 0x90, nullptr));
  ASSERT_FALSE(first.empty());
  EXPECT_FALSE(ListNext(nullptr).empty());
  EXPECT_EQ(Str(ListFirst(pattern, 0x90, nullptr)), first);

  // The rest, with a selection that would admit files only: the open search
  // keeps its own.
  Names listed = {first};
  for (WideString name = ListFirst(Wide(u""), 0, nullptr); !name.empty();
       name = ListFirst(Wide(u""), 0, nullptr)) {
    listed.insert(Str(name));
  }
  EXPECT_EQ(listed, subdirectories_);
  EXPECT_TRUE(ListNext(nullptr).empty());
}

TEST_F(DirectoryTest, TheRootListsItsSubdirectoriesWithoutDotEntries) {
  const std::u16string root = fs::current_path().root_path().u16string();
  const Names listed = ListAll(Wide(root), 0x90);
  EXPECT_FALSE(listed.empty());
  EXPECT_EQ(listed.count(u"."), 0U);
  EXPECT_EQ(listed.count(u".."), 0U);
  EXPECT_EQ(listed.count(u"tmp"), 1U);
}

}  // namespace
}  // namespace tavrel
