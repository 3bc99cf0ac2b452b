// The command's decision, free of effects: the name of the current
// directory, and the sibling to move to among the sorted names of its
// parent's subdirectories.
#pragma once

#include <cstdint>

#include "host/array.h"
#include "host/text.h"

namespace tavrel {

enum class SiblingOutcome : std::uint8_t { Moving, LoopingBack, NotFound };

// index is the element of the chosen sibling; without meaning for NotFound.
struct SiblingChoice {
  SiblingOutcome outcome;
  std::int32_t index;
};

// The host's path delimiter: "\" on Windows, "/" on POSIX.
ByteString PathDelimiter() noexcept;

// The last field of the current directory's path, empty for a root.
// exact is the field converted to the ANSI code page as it stands; lowered
// is the field lowered by the host's UTF-16 rules, then converted.
struct LeafName {
  ByteString exact;
  ByteString lowered;
};

// The field count comes from count_path and the field from field_path:
// the two readings of the current directory that the navigation makes.
LeafName CurrentLeafName(const WideString& field_path, const WideString& count_path) noexcept;
LeafName CurrentLeafName(const WideString& path) noexcept;

// Finds the current directory among the first count elements of the
// sorted names and chooses the element after it, wrapping round to the
// first after the last. The element that equals the leaf byte for byte is
// the current directory; only when none does, the first whose lower-cased
// copy equals the lowered leaf is taken. A count beyond the elements of
// names stands for all of them. names is not changed.
SiblingChoice SelectNextSibling(const LeafName& leaf, const ByteStringArray& names,
                                std::int32_t count) noexcept;

}  // namespace tavrel
