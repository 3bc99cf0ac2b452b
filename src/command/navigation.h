// The navigation run: from the current directory to its next sibling.
#pragma once

namespace tavrel {

void RunNavigation() noexcept;

}  // namespace tavrel
