#include "command/entry.h"

#include "command/navigation.h"
#include "host/command_line.h"
#include "host/console.h"
#include "host/directory.h"
#include "host/platform.h"
#include "host/text.h"

namespace tavrel {

std::int32_t CommandEntry() noexcept {
  const std::int32_t exit_code = 0;
  // Decided without a copy of the text: a copy that fails for want of
  // storage would read as no arguments and start a navigation run.
  if (ArgumentTextIsEmpty()) {
    RunNavigation();
  } else {
    ShowUsage();
  }
  return exit_code;
}

void ShowUsage() noexcept {
  PrintText(
      Literal("Tavrel / The Tavrel Authors / tavrel.example.org / "
              "authors@tavrel.example.org / Free Software"));
  PrintLineEnd();
  PrintLineEnd();
  PrintText(Literal("Usage: Just type 'tavrel'"));
  PrintLineEnd();
  PrintText(
      Literal("Effect: This moves you to the next alphabetical directory. It's the equivalent"));
  PrintLineEnd();
  PrintText(
      Literal("    of typing 'cd ..' and then moving into the next directory alphabetically"));
  PrintLineEnd();
  PrintText(Literal("    from where you just started."));
  PrintLineEnd();
  PrintLineEnd();
}

void RunProcess() noexcept {
  Platform& system = System();
  if (!system.IsNtFamily()) {
    system.MessageBoxA("Win98 No Support");
    system.ExitProcess(255);
    return;
  }
  PrepareConsole();
  ApplyStartupHandles();
  FixTailStart();
  const std::int32_t exit_code = CommandEntry();
  CloseOpenListing();
  system.ExitProcess(static_cast<std::uint32_t>(exit_code));
}

}  // namespace tavrel
