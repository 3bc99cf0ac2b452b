#include "host/posix/clipboard_tool.h"

namespace tavrel::posix {

bool HandToClipboardTool(const char16_t* /*units*/, std::uint32_t /*count*/) noexcept {
  return false;
}

}  // namespace tavrel::posix
