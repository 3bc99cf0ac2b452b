#include "command/navigation.h"

#include <utility>

#include "command/selection.h"
#include "host/clipboard.h"
#include "host/console.h"
#include "host/directory.h"

namespace tavrel {

ByteString Enclosed(ByteString prefix, const ByteString& name, ByteString suffix) noexcept {
  const bool opening_expected = Length(prefix) != 0 || Length(name) != 0;
  ByteString opening = Concatenate(std::move(prefix), Lend(name));
  if (opening_expected && Length(opening) == 0) {
    return {};
  }
  return Concatenate(std::move(opening), std::move(suffix));
}

std::int32_t CollectSiblings(ByteStringArray& names, ByteString& listed,
                             DirEntryInfo& record) noexcept {
  // Without storage for the names there is nothing to store them in: the
  // run then finds no match.
  if (!names.HasStorage()) {
    return 0;
  }
  std::int32_t count = 0;
  Assign(listed,
         FromWide(ListFirst(ToWide(Literal("*.*")), SelectOnly | SelectDirectory, &record)));
  while (Length(listed) != 0 && count < MaxSiblings) {
    ++count;
    // The listed name is a temporary of its own: the element takes it over.
    Assign(names[count], std::move(listed));
    Assign(listed, FromWide(ListNext(&record)));
  }
  return count;
}

void RunNavigation() noexcept {
  const WideString first_read = CurrentDirectory(WideString{});
  const WideString second_read = CurrentDirectory(WideString{});
  LeafName leaf = CurrentLeafName(first_read, second_read);

  ChangeDirectory(ToWide(Literal("..")));

  ByteStringArray sibling_names;
  CreateArray(sibling_names, 1, MaxSiblings);
  ByteString listed;
  DirEntryInfo record{};
  const std::int32_t count = CollectSiblings(sibling_names, listed, record);
  SortAscending(sibling_names, count);

  const SiblingChoice choice = SelectNextSibling(leaf, sibling_names, count);
  if (choice.outcome == SiblingOutcome::NotFound) {
    PrintText(Literal("Error parsing directory list. Oops"));
    PrintLineEnd();
  } else {
    const ByteString& name = sibling_names[choice.index];
    PrintText(Enclosed(choice.outcome == SiblingOutcome::Moving
                           ? Literal("Moving to next directory (")
                           : Literal("Looping back to start ("),
                       name, Literal(")")));
    PrintLineEnd();
    SetClipboardText(ToWide(CdCommandFor(name)));
    ChangeDirectory(ToWide(name));
  }

  leaf = LeafName{};
  listed = ByteString{};
  ReleaseArray(sibling_names);
}

}  // namespace tavrel
