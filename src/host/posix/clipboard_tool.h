// The session's clipboard on POSIX systems: the text is handed, as UTF-8,
// to the clipboard tool that the session offers.
#pragma once

#include <cstdint>

namespace tavrel::posix {

// The tools, each tried when its session is there and the tool is found in
// an absolute folder of PATH, in this order: wl-copy (WAYLAND_DISPLAY set),
// xclip then xsel (DISPLAY set), pbcopy (macOS). The first one found gets
// the text on its standard input. True when it took the text: it read
// everything and ended with status 0 within kToolTimeoutMs. Otherwise it
// is stopped and the result is false. Prints and records nothing.
bool HandToClipboardTool(const char16_t* units, std::uint32_t count) noexcept;

// How long the command waits for the tool to take the text. A tool reads
// it, claims the selection and leaves a copy of itself in the background
// within a few tens of milliseconds; the bound is ten times that, so a busy
// machine still gets its text, while a broken or hung session delays the
// command by no more than half a second.
inline constexpr int kToolTimeoutMs = 500;

}  // namespace tavrel::posix
