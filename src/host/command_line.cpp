#include "host/command_line.h"

#include "host/platform.h"

namespace tavrel {

namespace {

constexpr char16_t kSpace = u' ';
constexpr char16_t kQuote = u'"';

const char16_t* tail = nullptr;

std::uint32_t SkipSpaces(const char16_t* line, std::uint32_t p) noexcept {
  while (line[p] == kSpace) {
    ++p;
  }
  return p;
}

}  // namespace

std::uint32_t SkipProgramName(const char16_t* command_line) noexcept {
  const char16_t* line = command_line != nullptr ? command_line : u"";
  std::uint32_t p = 0;
  if (line[p] == kQuote) {
    // Quoted name: everything up to the closing quotation mark.
    ++p;
    while (line[p] != kQuote && line[p] != 0) {
      ++p;
    }
    if (line[p] == kQuote) {
      ++p;
    }
    return SkipSpaces(line, p);
  }
  if (line[p] == kSpace) {
    // Leading spaces: no name is skipped at all.
    return SkipSpaces(line, p);
  }
  if (line[p] == 0) {
    return p;
  }
  // Unquoted name: its first unit, then every unit above the space. A
  // control unit after it stays and begins the argument text.
  ++p;
  while (line[p] > kSpace) {
    ++p;
  }
  return SkipSpaces(line, p);
}

void FixTailStart() noexcept {
  const char16_t* line = System().GetCommandLineW();
  if (line == nullptr) {
    line = u"";
  }
  tail = line + SkipProgramName(line);
}

WideString CommandTail() noexcept {
  if (tail == nullptr) {
    return {};
  }
  std::uint32_t count = 0;
  while (tail[count] != 0) {
    ++count;
  }
  return CopyWide(tail, count);
}

bool ArgumentTextIsEmpty() noexcept { return tail == nullptr || tail[0] == 0; }

}  // namespace tavrel
