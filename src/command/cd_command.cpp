#include <cstring>

#include "command/navigation.h"
#include "host/failure.h"
#include "host/storage.h"

namespace tavrel {

#if TAVREL_HOST_WINDOWS

// cd "..\NAME": the name goes between quotation marks unchanged. When
// storage runs out the command is empty, never a lone quotation mark.
ByteString CdCommandFor(const ByteString& name) noexcept {
  return Enclosed(Literal("cd \"..\\"), name, Literal("\""));
}

#else

// cd -P '../NAME': single quotes keep every byte of the name literal in
// sh, bash, dash and zsh, a quote in the name is written '\'', and -P
// resolves ".." physically, as the command did, also where the shell came
// in through a symbolic link.
ByteString CdCommandFor(const ByteString& name) noexcept {
  static constexpr char kPrefix[] = "cd -P '../";
  static constexpr char kQuote[] = "'\\''";
  const std::size_t prefix_length = sizeof kPrefix - 1;
  const std::size_t quote_length = sizeof kQuote - 1;
  std::size_t length = prefix_length + 1;
  for (std::uint32_t i = 0; i < name.size(); ++i) {
    length += name[i] == '\'' ? quote_length : 1;
  }
  auto* bytes = length > UINT32_MAX ? nullptr : static_cast<std::uint8_t*>(ObtainStorage(length));
  if (bytes == nullptr) {
    RecordError(7);
    return {};
  }
  std::memcpy(bytes, kPrefix, prefix_length);
  std::size_t at = prefix_length;
  for (std::uint32_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\'') {
      std::memcpy(bytes + at, kQuote, quote_length);
      at += quote_length;
    } else {
      bytes[at++] = name[i];
    }
  }
  bytes[at] = '\'';
  return ByteString::Adopt(bytes, static_cast<std::uint32_t>(length));
}

#endif

}  // namespace tavrel
