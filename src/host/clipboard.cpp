#include "host/clipboard.h"

#include <cstring>

#include "host/failure.h"

namespace tavrel {

namespace {

// A step worked when its result says so and it left no last-error code.
// Clean-up follows what the system really holds instead: a clipboard that
// was opened is closed, and a block the clipboard took is never freed.
template <typename Result>
bool Worked(const Guarded<Result>& call) noexcept {
  return call.result && !call.Failed();
}

void FreeBlock(Handle block) noexcept {
  GuardedCall([&] { return System().GlobalFree(block); });
}

// Copies the units and a 16-bit zero into a new movable block of 2n + 2
// bytes and hands it to the open clipboard.
bool PlaceBlock(const WideString& text) noexcept {
  Platform& system = System();
  const std::size_t text_bytes = std::size_t{text.size()} * sizeof(char16_t);
  const auto allocated =
      GuardedCall([&] { return system.GlobalAlloc(GMEM_MOVEABLE, text_bytes + sizeof(char16_t)); });
  const Handle block = allocated.result;
  if (!Worked(allocated)) {
    if (block != 0) {
      FreeBlock(block);
    }
    return false;
  }
  const auto locked = GuardedCall([&] { return system.GlobalLock(block); });
  if (!Worked(locked)) {
    FreeBlock(block);
    return false;
  }
  auto* bytes = static_cast<std::uint8_t*>(locked.result);
  if (text_bytes != 0) {
    std::memcpy(bytes, text.data(), text_bytes);
  }
  constexpr char16_t kTerminator = 0;
  std::memcpy(bytes + text_bytes, &kTerminator, sizeof kTerminator);
  GuardedCall([&] { return system.GlobalUnlock(block); });
  const auto handed = GuardedCall([&] { return system.SetClipboardData(CF_UNICODETEXT, block); });
  if (handed.result == 0) {
    FreeBlock(block);
  }
  return Worked(handed);
}

}  // namespace

bool SetClipboardText(WideString text) noexcept {
  Platform& system = System();
  const auto opened = GuardedCall([&] { return system.OpenClipboard(); });
  if (!opened.result) {
    return false;
  }
  const bool placed = !opened.Failed() && PlaceBlock(text);
  GuardedCall([&] { return system.CloseClipboard(); });
  return placed;
}

}  // namespace tavrel
