// The process's current directory and the listing of a directory's
// entries, one admitted entry at a time.
//
// Every system call runs through GuardedCall. A failed directory read or
// change is recorded; a listing that cannot start or that fails on the way
// simply ends, and records nothing.
#pragma once

#include <cstdint>

#include "host/platform.h"
#include "host/text.h"

namespace tavrel {

// The selection word of ListFirst. Hidden, system and directory entries
// are returned only when their bit is set; with SelectOnly, ordinary files
// are left out as well.
inline constexpr std::uint32_t SelectHidden = 0x02;
inline constexpr std::uint32_t SelectSystem = 0x04;
inline constexpr std::uint32_t SelectDirectory = 0x10;
inline constexpr std::uint32_t SelectOnly = 0x80;

// The current directory as a full path; empty after a recorded failure. An
// empty drive asks for the process's own; other drives are not supported
// (empty result, 75 recorded).
WideString CurrentDirectory(const WideString& drive) noexcept;

// Makes path (cut to 255 units) the current directory. A path with "*" or
// "?" records 76 without calling the system; a failed change records the
// error number, 76 in place of 53.
void ChangeDirectory(const WideString& path) noexcept;

// Starts a listing of the entries matching pattern (cut to 256 units) and
// returns the first admitted name, or the empty text when there is none.
// An empty pattern continues the open listing as ListNext does. The record,
// when given, receives the entry's find data, or zeros with an empty name.
WideString ListFirst(const WideString& pattern, std::uint32_t selection,
                     DirEntryInfo* record) noexcept;

// The next admitted name of this thread's listing; empty at its end.
WideString ListNext(DirEntryInfo* record) noexcept;

// Closes this thread's listing if one is still open (at process exit).
void CloseOpenListing() noexcept;

}  // namespace tavrel
