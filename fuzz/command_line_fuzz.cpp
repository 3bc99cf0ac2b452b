// The scan of the command line: for any NUL-terminated line, the argument
// text starts within the line, after nothing but the program name and
// spaces, CommandTail hands out exactly the rest of the line, and the line
// has no argument text exactly when that rest is empty.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "check.h"
#include "host/command_line.h"
#include "support/forwarding_platform.h"

namespace {

class ScriptedCommandLine : public tavrel::testing::ForwardingPlatform {
public:
  explicit ScriptedCommandLine(const char16_t* line) noexcept : line_(line) {}
  const char16_t* GetCommandLineW() noexcept override { return line_; }

private:
  const char16_t* line_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two bytes a unit; a zero unit ends the line early, as it would the
  // real one.
  std::vector<char16_t> line;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    line.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  line.push_back(0);
  std::uint32_t length = 0;
  while (line[length] != 0) {
    ++length;
  }

  const std::uint32_t start = tavrel::SkipProgramName(line.data());
  FUZZ_CHECK(start <= length);
  // The argument text never begins with a space.
  FUZZ_CHECK(line[start] != u' ');
  // An unquoted name holds no space or control unit.
  if (line[0] != u'"' && line[0] != u' ') {
    for (std::uint32_t i = 1; i < start && line[i] != u' '; ++i) {
      FUZZ_CHECK(line[i] > u' ');
    }
  }

  ScriptedCommandLine platform(line.data());
  const tavrel::PlatformOverride scripted(platform);
  tavrel::FixTailStart();
  const tavrel::WideString tail = tavrel::CommandTail();
  FUZZ_CHECK(tavrel::ArgumentTextIsEmpty() == (start == length));
  FUZZ_CHECK(tail.size() == length - start);
  for (std::uint32_t i = 0; i < tail.size(); ++i) {
    FUZZ_CHECK(tail[i] == line[start + i]);
  }
  return 0;
}
