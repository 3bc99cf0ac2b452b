// Reading and changing the current directory, over scripted calls and on
// real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "host/directory.h"
#include "host/directory_tree.h"
#include "host/failure.h"
#include "support/forwarding_platform.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

using testing::DirectoryTest;
using testing::kSeparator;
using testing::Native;
using testing::Str;
using testing::TempTree;
using testing::Wide;
using testing::WidePath;
namespace fs = std::filesystem;

// Scripts the current directory that the system reports (one path per
// read, the last one repeated) and the outcome of directory changes, and
// logs what the service asks for.
class ScriptedDirectory : public testing::ForwardingPlatform {
public:
  std::uint32_t GetCurrentDirectoryW(std::uint32_t size, char16_t* buffer) noexcept override {
    sizes.push_back(size);
    const std::u16string& path = paths[std::min(sizes.size(), paths.size()) - 1];
    const auto length = static_cast<std::uint32_t>(path.size());
    if (read_code != 0) {
      SetLastError(read_code);
    }
    if (length >= size) {
      return length + 1;
    }
    std::memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(char16_t));
    return length;
  }

  bool SetCurrentDirectoryW(const char16_t* path) noexcept override {
    changes.emplace_back(path);
    if (change_code != 0) {
      SetLastError(change_code);
    }
    return change_succeeds;
  }

  void* Allocate(std::size_t bytes) noexcept override {
    return refuse_storage ? nullptr : target_.Allocate(bytes);
  }

  std::vector<std::u16string> paths = {u"C:\\Work"};
  std::uint32_t read_code = 0;
  bool change_succeeds = true;
  std::uint32_t change_code = 0;
  bool refuse_storage = false;
  std::vector<std::uint32_t> sizes;
  std::vector<std::u16string> changes;
};

class ScriptedDirectoryTest : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
  ScriptedDirectory platform;
  PlatformOverride use{platform};
};

TEST_F(ScriptedDirectoryTest, APathLongerThanTheBufferIsReadAgainWhole) {
  const std::u16string long_path = u"C:\\" + std::u16string(297, u'x');
  const std::u16string longer_path = long_path + u"\\" + std::u16string(99, u'y');
  const struct {
    std::vector<std::u16string> paths;
    std::vector<std::uint32_t> sizes;
  } cases[] = {
      {{std::u16string(259, u'p')}, {260}},
      {{std::u16string(260, u'p')}, {260, 261}},
      {{long_path}, {260, 301}},
      // The directory changes between the reads and outgrows the new buffer.
      {{long_path, longer_path}, {260, 301, 401}},
  };
  for (const auto& c : cases) {
    platform.paths = c.paths;
    platform.sizes.clear();
    EXPECT_EQ(Str(CurrentDirectory(Wide(u""))), c.paths.back());
    EXPECT_EQ(platform.sizes, c.sizes);
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ScriptedDirectoryTest, ExhaustedStorageGivesAnEmptyPathAndRecordsNothing) {
  const WideString drive = Wide(u"");
  platform.refuse_storage = true;
  for (const std::u16string& path : {std::u16string(u"C:\\Work"), std::u16string(400, u'p')}) {
    platform.paths = {path};
    EXPECT_TRUE(CurrentDirectory(drive).empty());
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ScriptedDirectoryTest, ALastErrorCodeFailsTheReadEvenWhenTheCallSucceeds) {
  const struct {
    std::uint32_t code;
    std::uint8_t number;
  } cases[] = {{2, 53}, {3, 76}, {5, 70}, {87, 5}, {1, 75}, {122, 75}};
  for (const auto& c : cases) {
    ResetErrorState();
    platform.read_code = c.code;
    EXPECT_TRUE(CurrentDirectory(Wide(u"")).empty()) << "code " << c.code;
    EXPECT_EQ(ErrorState(), c.number) << "code " << c.code;
  }
}

TEST_F(ScriptedDirectoryTest, AnotherDriveIsNotSupported) {
  EXPECT_TRUE(CurrentDirectory(Wide(u"D:")).empty());
  EXPECT_EQ(ErrorState(), 75);
  EXPECT_TRUE(platform.sizes.empty());
}

TEST_F(ScriptedDirectoryTest, PathsAreCutTo255UnitsBeforeTheWildcardCheck) {
  const std::u16string a255(255, u'a');
  const struct {
    std::u16string given;
    std::u16string asked;
  } cases[] = {
      {u"..", u".."},
      {std::u16string(300, u'a'), a255},
      {a255 + u"?", a255},
      {a255 + u"*\\x", a255},
  };
  for (const auto& c : cases) {
    platform.changes.clear();
    ChangeDirectory(Wide(c.given));
    EXPECT_EQ(platform.changes, std::vector<std::u16string>{c.asked});
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ScriptedDirectoryTest, AWildcardIsRefusedWith76WithoutCallingTheSystem) {
  for (const char16_t* path : {u"?", u"*", u"Gamma?", u"..\\*", u"a*b?c", u"C:\\x\\y?z"}) {
    ResetErrorState();
    ChangeDirectory(Wide(path));
    EXPECT_EQ(ErrorState(), 76) << ::testing::PrintToString(std::u16string(path));
  }
  ChangeDirectory(Wide(std::u16string(254, u'a') + u"?"));
  EXPECT_EQ(ErrorState(), 76);
  EXPECT_TRUE(platform.changes.empty());
}

TEST_F(ScriptedDirectoryTest, AFailedChangeRecordsTheTableNumberWith76For53) {
  const struct {
    bool succeeds;
    std::uint32_t code;
    std::uint8_t number;
  } cases[] = {
      {false, 2, 76},   {false, 18, 76},  {false, 3, 76},  {false, 5, 70},
      {false, 32, 70},  {false, 87, 5},   {false, 15, 68}, {false, 21, 71},
      {false, 123, 75}, {false, 267, 75}, {true, 2, 76},  // succeeded, but left a last-error code
      {true, 0, 0},     {false, 0, 0},                    // no code: counted as success either way
  };
  for (const auto& c : cases) {
    ResetErrorState();
    platform.change_succeeds = c.succeeds;
    platform.change_code = c.code;
    ChangeDirectory(Wide(u"Gamma"));
    EXPECT_EQ(ErrorState(), c.number) << "code " << c.code;
  }
}

// The path as the system reports it once it is current: resolved through
// any link on POSIX, as written on Windows.
fs::path Reported(const fs::path& path) {
#if TAVREL_HOST_POSIX
  return fs::canonical(path);
#else
  return path;
#endif
}

class RealDirectoryTest : public DirectoryTest {
protected:
  TempTree tree;
};

TEST_F(RealDirectoryTest, ASubdirectoryHasNoTrailingSeparatorAndTheRootHasOne) {
  const fs::path alpha = tree.Folder("Alpha");
  ChangeDirectory(WidePath(alpha));
  const std::u16string in_alpha = Str(CurrentDirectory(Wide(u"")));
  EXPECT_EQ(in_alpha, Native(Reported(alpha)));
  EXPECT_EQ(in_alpha.back(), u'a');

  ChangeDirectory(Wide(u".."));
  EXPECT_EQ(Str(CurrentDirectory(Wide(u""))), Native(Reported(tree.root())));

  const std::u16string root = Native(fs::current_path().root_path());
  ChangeDirectory(Wide(root));
  EXPECT_EQ(Str(CurrentDirectory(Wide(u""))), root);
  EXPECT_EQ(root.back(), kSeparator);
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(RealDirectoryTest, DotDotAtTheRootLeavesTheRootCurrent) {
  const std::u16string root = Native(fs::current_path().root_path());
  ChangeDirectory(Wide(root));
  ChangeDirectory(Wide(u".."));
  EXPECT_EQ(Str(CurrentDirectory(Wide(u""))), root);
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(RealDirectoryTest, AMissingDirectoryRecords76AndChangesNothing) {
  const fs::path start = tree.Folder("Start");
  ChangeDirectory(WidePath(start));
  const std::u16string before = Str(CurrentDirectory(Wide(u"")));
  // The system reports a missing last component and a missing folder on the
  // way differently (codes 2 and 3 on Windows); both are recorded as 76.
  for (const fs::path& missing :
       {tree.root() / "missing", tree.root() / "missing" / "deeper", fs::path("missing")}) {
    ResetErrorState();
    ChangeDirectory(WidePath(missing));
    EXPECT_EQ(ErrorState(), 76) << missing;
    EXPECT_EQ(Str(CurrentDirectory(Wide(u""))), before);
  }
}

TEST_F(RealDirectoryTest, AWildcardLeavesTheRealDirectoryAsItWas) {
  tree.Folder("Gamma");
  ChangeDirectory(WidePath(tree.root()));
  const std::u16string before = Str(CurrentDirectory(Wide(u"")));
  ChangeDirectory(Wide(u"Gamm?"));
  EXPECT_EQ(ErrorState(), 76);
  EXPECT_EQ(Str(CurrentDirectory(Wide(u""))), before);
}

TEST_F(RealDirectoryTest, ADeepDirectoryIsReportedWhole) {
  fs::path deep = tree.root();
  std::vector<std::u16string> steps;
  for (char16_t letter = u'a'; letter < u'a' + 6; ++letter) {
    steps.emplace_back(60, letter);
    deep /= steps.back();
  }
  fs::create_directories(deep);
  ChangeDirectory(WidePath(tree.root()));
  for (const std::u16string& step : steps) {
    ChangeDirectory(Wide(step));
  }
  ASSERT_EQ(ErrorState(), 0);
  const std::u16string reported = Str(CurrentDirectory(Wide(u"")));
  EXPECT_GT(reported.size(), 360U);
  EXPECT_EQ(reported, Native(Reported(deep)));
  EXPECT_EQ(ErrorState(), 0);
}

}  // namespace
}  // namespace tavrel
