#include "host/posix/argument_line.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "host/posix/ansi_code_page.h"

namespace tavrel::posix {

namespace {

bool NeedsQuotes(const char* argument) noexcept {
  return argument[0] == '\0' || std::strpbrk(argument, " \t") != nullptr;
}

// Writes the joined line into out when it is given; returns its length.
std::size_t Join(int argc, char** argv, char* out) noexcept {
  std::size_t length = 0;
  const auto put = [&](char byte) {
    if (out != nullptr) {
      out[length] = byte;
    }
    ++length;
  };
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) {
    if (i > 0) {
      put(' ');
    }
    const bool quoted = NeedsQuotes(argv[i]);
    if (quoted) {
      put('"');
    }
    for (const char* p = argv[i]; *p != '\0'; ++p) {
      if (i > 0 || *p != '"') {
        put(*p);
      }
    }
    if (quoted) {
      put('"');
    }
  }
  return length;
}

}  // namespace

const char16_t* BuildCommandLine(int argc, char** argv) noexcept {
  // Without storage the line keeps only what decides the run: whether any
  // argument follows the program name.
  const char16_t* fallback = argc > 1 ? u"tavrel ?" : u"tavrel";
  const std::size_t length = Join(argc, argv, nullptr);
  if (length >= UINT32_MAX) {
    return fallback;
  }
  auto* bytes = static_cast<char*>(std::malloc(length + 1));
  if (bytes == nullptr) {
    return fallback;
  }
  Join(argc, argv, bytes);
  const auto* line = reinterpret_cast<const std::uint8_t*>(bytes);
  const auto count = static_cast<std::uint32_t>(length);
  const std::uint32_t units = BytesToUtf16(line, count, nullptr, 0);
  auto* wide = static_cast<char16_t*>(std::malloc((std::size_t{units} + 1) * sizeof(char16_t)));
  if (wide == nullptr) {
    std::free(bytes);
    return fallback;
  }
  BytesToUtf16(line, count, wide, units);
  wide[units] = 0;
  std::free(bytes);
  return wide;
}

}  // namespace tavrel::posix
