#include "host/platform.h"

namespace tavrel {

namespace {
Platform* current = nullptr;
}  // namespace

Platform& System() noexcept { return current != nullptr ? *current : NativePlatform(); }

PlatformOverride::PlatformOverride(Platform& replacement) noexcept : previous_(current) {
  current = &replacement;
}

PlatformOverride::~PlatformOverride() { current = previous_; }

}  // namespace tavrel
