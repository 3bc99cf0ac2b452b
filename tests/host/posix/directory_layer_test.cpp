// The POSIX layer's stand-ins for the Windows directory operations, called
// directly: find data, supported patterns and last-error codes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include <map>
#include <string>

#include "host/directory_tree.h"
#include "host/platform.h"
#include "host/posix/last_error.h"

namespace tavrel {
namespace {

using testing::DirectoryTest;
using testing::Native;
using testing::TempTree;
namespace fs = std::filesystem;

constexpr std::uint32_t kNormal = 0x80;

class PosixDirectoryLayerTest : public DirectoryTest {
protected:
  Platform& layer = NativePlatform();
  TempTree tree;

  // Every entry the layer delivers for pattern, with its attribute word;
  // the last-error code after the search that gave none.
  std::map<std::u16string, std::uint32_t> Entries(const std::u16string& pattern) {
    std::map<std::u16string, std::uint32_t> entries;
    DirEntryInfo data{};
    layer.SetLastError(0);
    const Handle search = layer.FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
      code = layer.GetLastError();
      return entries;
    }
    do {
      entries[data.cFileName] = data.dwFileAttributes;
    } while (layer.FindNextFileW(search, &data));
    EXPECT_EQ(layer.GetLastError(), posix::ERROR_NO_MORE_FILES);
    EXPECT_TRUE(layer.FindClose(search));
    return entries;
  }

  std::uint32_t code = 0;
};

TEST_F(PosixDirectoryLayerTest, AttributesComeFromTheNameAndTheTypeBehindLinks) {
  tree.Folder("Alpha");
  tree.Folder(".config");
  tree.File("notes.txt");
  tree.File(".profile");
  tree.Link("ToAlpha", "Alpha");
  tree.Link(".ToAlpha", "Alpha");
  tree.Link("ToNotes", "notes.txt");
  tree.Link("Dangling", "nowhere");
  const std::map<std::u16string, std::uint32_t> expected = {
      {u".", FILE_ATTRIBUTE_DIRECTORY},
      {u"..", FILE_ATTRIBUTE_DIRECTORY},
      {u"Alpha", FILE_ATTRIBUTE_DIRECTORY},
      {u".config", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
      {u"notes.txt", kNormal},
      {u".profile", FILE_ATTRIBUTE_HIDDEN},
      {u"ToAlpha", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
      {u".ToAlpha",
       FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_HIDDEN},
      {u"ToNotes", FILE_ATTRIBUTE_REPARSE_POINT},
      {u"Dangling", FILE_ATTRIBUTE_REPARSE_POINT},
  };
  EXPECT_EQ(Entries(Native(tree.root() / "*.*")), expected);
}

TEST_F(PosixDirectoryLayerTest, OnlyPatternsThatMatchEveryEntryAreSupported) {
  tree.Folder("sub/inner");
  const std::u16string root = Native(tree.root());
  fs::current_path(tree.root());
  const std::map<std::u16string, std::uint32_t> sub = {{u".", FILE_ATTRIBUTE_DIRECTORY},
                                                       {u"..", FILE_ATTRIBUTE_DIRECTORY},
                                                       {u"inner", FILE_ATTRIBUTE_DIRECTORY}};
  for (const std::u16string& pattern :
       {root + u"/sub/*.*", root + u"/sub/*", root + u"/sub//*.*", std::u16string(u"sub/*"),
        std::u16string(u"sub/inner/../*.*")}) {
    EXPECT_EQ(Entries(pattern), sub) << ::testing::PrintToString(pattern);
  }
  fs::current_path(tree.root() / "sub");
  EXPECT_EQ(Entries(u"*.*"), sub);
  EXPECT_EQ(Entries(u"*"), sub);
  EXPECT_EQ(Entries(u"/*.*").count(u"tmp"), 1U);

  for (const char16_t* pattern : {u"inner", u"in*", u"*.txt", u"?", u"*\\", u"sub\\*.*"}) {
    code = 0;
    EXPECT_TRUE(Entries(pattern).empty()) << ::testing::PrintToString(pattern);
    EXPECT_EQ(code, posix::ERROR_INVALID_NAME) << ::testing::PrintToString(pattern);
  }
}

TEST_F(PosixDirectoryLayerTest, AFolderThatCannotBeListedGivesTheCodeOfItsCause) {
  tree.File("plain");
  const struct {
    const char* folder;
    std::uint32_t code;
  } cases[] = {
      {"missing", posix::ERROR_FILE_NOT_FOUND},
      {"missing/deeper", posix::ERROR_FILE_NOT_FOUND},
      {"plain", posix::ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    code = 0;
    EXPECT_TRUE(Entries(Native(tree.root() / c.folder / "*.*")).empty()) << c.folder;
    EXPECT_EQ(code, c.code) << c.folder;
    layer.SetLastError(0);
    EXPECT_FALSE(layer.SetCurrentDirectoryW(Native(tree.root() / c.folder).c_str()));
    EXPECT_EQ(layer.GetLastError(), c.code) << c.folder;
  }
}

// Root passes every permission check, so the checks run in a child that
// has given root up.
TEST_F(PosixDirectoryLayerTest, AFolderWithoutPermissionGivesAccessDenied) {
  const fs::path locked = tree.Folder("locked");
  fs::permissions(locked, fs::perms::none);
  const auto check = [&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
      std::_Exit(3);
    }
    code = 0;
    const bool listed_nothing = Entries(Native(locked / "*.*")).empty();
    const bool listing_denied = code == 5U;
    layer.SetLastError(0);
    const bool not_entered = !layer.SetCurrentDirectoryW(Native(locked).c_str());
    const bool change_denied = layer.GetLastError() == 5U;
    std::_Exit(listed_nothing && listing_denied && not_entered && change_denied ? 0 : 1);
  };
  EXPECT_EXIT(check(), ::testing::ExitedWithCode(0), "");
  fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(PosixDirectoryLayerTest, TheCurrentDirectoryReportsTheSizeItNeedsWhenTooLong) {
  fs::current_path(tree.root());
  const std::u16string path = Native(fs::current_path());
  const auto length = static_cast<std::uint32_t>(path.size());
  char16_t buffer[1024] = {u'#', u'#'};
  layer.SetLastError(0);
  EXPECT_EQ(layer.GetCurrentDirectoryW(length, buffer), length + 1);
  EXPECT_EQ(buffer[0], u'#');
  EXPECT_EQ(layer.GetCurrentDirectoryW(length + 1, buffer), length);
  EXPECT_EQ(std::u16string(buffer), path);
  EXPECT_EQ(layer.GetLastError(), 0U);
}

}  // namespace
}  // namespace tavrel
