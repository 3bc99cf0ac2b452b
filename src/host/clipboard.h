// The clipboard text: one UTF-16 text placed on the clipboard in the
// CF_UNICODETEXT format, added to what the clipboard holds (it is not
// emptied first).
#pragma once

#include "host/text.h"

namespace tavrel {

// Places text on the clipboard as CF_UNICODETEXT; true when the clipboard
// took it. Never waits for a busy clipboard and records nothing: a failure
// shows only in the result. Consumes text.
bool SetClipboardText(WideString text) noexcept;

}  // namespace tavrel
