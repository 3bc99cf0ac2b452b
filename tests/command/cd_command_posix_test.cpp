// The clipboard text of the POSIX build, pasted into real shells.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "command/navigation.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;

const char* const kHostileNames[] = {
    "plain",
    "with space",
    "it's",
    "\"double\"",
    "$HOME",
    "`id`",
    "$(id)",
    "back\\slash",
    "-dash",
    "--",
    "semi;colon",
    "amp&er",
    "star*",
    "tab\there",
    "new\nline",
    "\xC3\xBC"
    "ber",
    "\xFF\xFEraw",
    "'''",
    "!bang",
    "{a,b}",
    "~tilde",
    "#hash",
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The shell starts in a folder it entered through a symbolic link, so only
// a physical ".." reaches the sibling.
class PastedCdCommand : public ::testing::TestWithParam<const char*> {
protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tavrel-cd-" + std::string(GetParam()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "real" / "start");
    fs::create_directory_symlink(root_ / "real" / "start", root_ / "link");
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_P(PastedCdCommand, ReachesEveryHostileNameFromALinkedFolder) {
  for (const char* name : kHostileNames) {
    const fs::path target = root_ / "real" / name;
    fs::create_directory(target);
    const std::string command = testing::Str(CdCommandFor(testing::Bytes(name)));
    {
      std::ofstream script(root_ / "script", std::ios::binary);
      script << "cd \"$START\" || exit 9\n" << command << "\npwd -P\n";
    }
    const std::string run = "START='" + (root_ / "link").string() + "' " + GetParam() + " <'" +
                            (root_ / "script").string() + "' >'" + (root_ / "out").string() +
                            "' 2>&1";
    EXPECT_EQ(std::system(run.c_str()), 0) << GetParam() << " with " << command;
    EXPECT_EQ(Slurp(root_ / "out"), fs::canonical(target).string() + "\n")
        << GetParam() << " with " << command;
    fs::remove(target);
  }
}

INSTANTIATE_TEST_SUITE_P(Shells, PastedCdCommand, ::testing::Values("bash", "dash", "zsh"));

}  // namespace
}  // namespace tavrel
