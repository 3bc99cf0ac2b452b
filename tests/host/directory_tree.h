// Real directory trees for the directory tests: a temporary folder that is
// removed afterwards, and a fixture that puts the process's current
// directory back after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <string_view>

#include "host/directory.h"
#include "host/failure.h"
#include "support/text_helpers.h"

namespace tavrel::testing {

namespace fs = std::filesystem;

inline std::u16string Native(const fs::path& path) { return path.u16string(); }

inline WideString WidePath(const fs::path& path) { return Wide(Native(path)); }

// The host's separator, as the directory service returns it.
inline constexpr char16_t kSeparator = fs::path::preferred_separator;

// The names a listing returns, in a set since the system's order is its own.
inline std::set<std::u16string> ListAll(const WideString& pattern, std::uint32_t selection) {
  std::set<std::u16string> names;
  for (WideString name = ListFirst(pattern, selection, nullptr); !name.empty();
       name = ListNext(nullptr)) {
    names.insert(Str(name));
  }
  return names;
}

// A fresh folder of its own. Under Wine it lies in the Linux /tmp, seen
// through drive Z:, so that Linux tools can work on it too.
class TempTree {
public:
  TempTree() {
#if TAVREL_HOST_WINDOWS
    const fs::path base = u"Z:\\tmp";
#else
    const fs::path base = fs::temp_directory_path();
#endif
    std::random_device random;
    root_ = base / ("tavrel-directory-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directory(root_);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  ~TempTree();

  [[nodiscard]] const fs::path& root() const { return root_; }

  fs::path Folder(const fs::path& relative) const {
    const fs::path folder = root_ / relative;
    fs::create_directories(folder);
    return folder;
  }

  void File(const fs::path& relative) const {
    const fs::path file = root_ / relative;
    fs::create_directories(file.parent_path());
    std::ofstream created(file);
    ASSERT_TRUE(created.good()) << file;
  }

  // A symbolic link at relative that points at target (a relative path).
  void Link(const fs::path& relative, const fs::path& target) const;

private:
  fs::path root_;
};

// Every test starts with a clear error record and leaves the process's
// current directory and listing as it found them.
class DirectoryTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetErrorState();
    start_ = fs::current_path();
  }
  void TearDown() override {
    CloseOpenListing();
    fs::current_path(start_);
  }

private:
  fs::path start_;
};

}  // namespace tavrel::testing
