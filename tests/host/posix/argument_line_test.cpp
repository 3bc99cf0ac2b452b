#include "host/posix/argument_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "host/command_line.h"

namespace tavrel::posix {
namespace {

std::u16string Line(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (auto& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  // The process keeps its one line to the end; a test gives each back, so
  // that the leak checker sees none left over.
  const char16_t* line = BuildCommandLine(static_cast<int>(arguments.size()), argv.data());
  std::u16string text = line;
  std::free(const_cast<char16_t*>(line));
  return text;
}

TEST(BuildCommandLine, JoinsAndQuotesAsWindowsWouldHandTheLine) {
  EXPECT_EQ(Line({"tavrel"}), u"tavrel");
  EXPECT_EQ(Line({"/usr/bin/tavrel", "x", "--help"}), u"/usr/bin/tavrel x --help");
  EXPECT_EQ(Line({"tavrel", ""}), u"tavrel \"\"");
  EXPECT_EQ(Line({"tavrel", "a b", "\t"}), u"tavrel \"a b\" \"\t\"");
  EXPECT_EQ(Line({"/my tools/tavrel"}), u"\"/my tools/tavrel\"");
  EXPECT_EQ(Line({"/odd\"dir x/tavrel"}), u"\"/odddir x/tavrel\"");
  EXPECT_EQ(Line({}), u"");
}

TEST(BuildCommandLine, OnlyArgumentsAfterTheProgramNameMakeATail) {
  const struct {
    std::vector<std::string> arguments;
    bool has_tail;
  } cases[] = {
      {{"tavrel"}, false},
      {{"/path with space/tavrel"}, false},
      {{"/odd\"dir x/tavrel"}, false},
      {{"tavrel", ""}, true},
      {{"tavrel", " "}, true},
      {{"tavrel", "x"}, true},
      {{}, false},
  };
  for (const auto& c : cases) {
    const std::u16string line = Line(c.arguments);
    EXPECT_EQ(SkipProgramName(line.c_str()) < line.size(), c.has_tail) << line.size();
  }
}

}  // namespace
}  // namespace tavrel::posix
