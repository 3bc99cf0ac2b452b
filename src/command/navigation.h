// The navigation run: from the current directory to its next sibling.
#pragma once

#include <cstdint>

#include "host/array.h"
#include "host/platform.h"
#include "host/text.h"

namespace tavrel {

// Reads where the process stands, steps up, lists and sorts the siblings,
// then prints the outcome line, puts the change-directory command on the
// clipboard and moves into the chosen sibling.
void RunNavigation() noexcept;

// Lists the current directory's subdirectories into names, from index 1,
// until the listing ends or MaxSiblings are stored; returns their number.
// listed holds the name of the last listing step.
std::int32_t CollectSiblings(ByteStringArray& names, ByteString& listed,
                             DirEntryInfo& record) noexcept;

// prefix, name and suffix joined with Concatenate; empty when storage runs
// out on the way, never the suffix alone or a part of the text.
ByteString Enclosed(ByteString prefix, const ByteString& name, ByteString suffix) noexcept;

// The text a user pastes into the shell to follow the move to name.
ByteString CdCommandFor(const ByteString& name) noexcept;

}  // namespace tavrel
