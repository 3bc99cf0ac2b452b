// The one source of storage for text values and arrays. Exhaustion is
// reported by an empty result, never by an exception.
#pragma once

#include <cstddef>

namespace tavrel {

void* ObtainStorage(std::size_t bytes) noexcept;
void* ObtainZeroedStorage(std::size_t bytes) noexcept;

// Gives a block back; false when the system refuses to take it.
bool ReleaseStorage(void* block) noexcept;

}  // namespace tavrel
