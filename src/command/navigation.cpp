#include "command/navigation.h"

namespace tavrel {

void RunNavigation() noexcept {}

}  // namespace tavrel
