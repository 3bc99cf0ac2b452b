// The session's clipboard on POSIX systems: the text is handed, as UTF-8,
// to the clipboard tool that the session offers.
#pragma once

#include <cstdint>

namespace tavrel::posix {

// True when a clipboard tool took the text.
bool HandToClipboardTool(const char16_t* units, std::uint32_t count) noexcept;

}  // namespace tavrel::posix
