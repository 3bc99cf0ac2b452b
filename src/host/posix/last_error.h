// The Windows last-error code that stands for a POSIX errno value.
#pragma once

#include <cstdint>

namespace tavrel::posix {

// Windows codes used by the POSIX layer beside those mapped from errno.
inline constexpr std::uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t ERROR_NO_MORE_FILES = 18;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_INVALID_NAME = 123;
inline constexpr std::uint32_t ERROR_CLIPBOARD_NOT_OPEN = 1418;

// Never 0: an errno of 0 or one without a counterpart gives 1
// (ERROR_INVALID_FUNCTION).
std::uint32_t LastErrorFromErrno(int error) noexcept;

}  // namespace tavrel::posix
