// The command line that Windows would hand the process, rebuilt from the
// arguments of main so that the same scan decides on both builds.
#pragma once

namespace tavrel::posix {

// The arguments joined by single spaces, each one that is empty or holds a
// space or tab in quotation marks, converted to UTF-16 and NUL-terminated.
// The program name loses any quotation marks, which a Windows file name
// cannot hold. The text lives as long as the process.
const char16_t* BuildCommandLine(int argc, char** argv) noexcept;

}  // namespace tavrel::posix
