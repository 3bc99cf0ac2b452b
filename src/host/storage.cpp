#include "host/storage.h"

#include "host/platform.h"

namespace tavrel {

void* ObtainStorage(std::size_t bytes) noexcept { return System().Allocate(bytes); }

void* ObtainZeroedStorage(std::size_t bytes) noexcept { return System().AllocateZeroed(bytes); }

bool ReleaseStorage(void* block) noexcept { return block == nullptr || System().Free(block); }

}  // namespace tavrel
