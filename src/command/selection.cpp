#include "command/selection.h"

#include <algorithm>

#include "host/text_fields.h"

namespace tavrel {

namespace {

// The choice when the element at offset found from the first is the
// current directory, of filled elements in all.
SiblingChoice After(const ByteStringArray& names, std::int32_t found,
                    std::int32_t filled) noexcept {
  if (found == filled - 1) {
    return {SiblingOutcome::LoopingBack, names.LowerBound()};
  }
  return {SiblingOutcome::Moving, names.LowerBound() + found + 1};
}

}  // namespace

ByteString PathDelimiter() noexcept {
#if TAVREL_HOST_WINDOWS
  return Literal("\\");
#else
  return Literal("/");
#endif
}

LeafName CurrentLeafName(const WideString& field_path, const WideString& count_path) noexcept {
  const WideString delimiter = ToWide(PathDelimiter());
  const std::int32_t n = FieldCount(count_path, delimiter);
  const WideString field = FieldAt(field_path, delimiter, n);
  return {FromWide(field), FromWide(LowerCase(field))};
}

LeafName CurrentLeafName(const WideString& path) noexcept { return CurrentLeafName(path, path); }

SiblingChoice SelectNextSibling(const LeafName& leaf, const ByteStringArray& names,
                                std::int32_t count) noexcept {
  const auto filled =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, names.ElementCount()));
  const std::int32_t first = names.LowerBound();
  for (std::int32_t k = 0; k < filled; ++k) {
    if (CompareBytes(leaf.exact, names[first + k]) == Ordering::Equal) {
      return After(names, k, filled);
    }
  }
  for (std::int32_t k = 0; k < filled; ++k) {
    if (CompareBytes(leaf.lowered, LowerCase(names[first + k])) == Ordering::Equal) {
      return After(names, k, filled);
    }
  }
  return {SiblingOutcome::NotFound, 0};
}

}  // namespace tavrel
