#include "host/console.h"

#include "host/failure.h"

namespace tavrel {

namespace {

Handle std_out = INVALID_HANDLE_VALUE;

constexpr std::uint32_t kOutputMode = 3;  // processed output, wrap at end of line
constexpr std::uint32_t kInputMode = 0;

void WriteBytes(const void* bytes, std::uint32_t count) noexcept {
  if (count == 0) {
    return;
  }
  std::uint32_t written = 0;
  const auto write =
      GuardedCall([&] { return System().WriteFile(std_out, bytes, count, &written); });
  if (write.Failed()) {
    RecordError(write.number);
  } else if (written < count) {
    RecordError(61);
  }
}

}  // namespace

void PrintText(ByteString text) noexcept { WriteBytes(text.data(), text.size()); }

void PrintLineEnd() noexcept {
  static constexpr std::uint8_t kLineEnd[2] = {13, 10};
  WriteBytes(kLineEnd, sizeof kLineEnd);
}

void PrepareConsole() noexcept {
  Platform& system = System();
  const Handle error = system.GetStdHandle(StandardStream::Error);
  const Handle input = system.GetStdHandle(StandardStream::Input);
  const Handle output = system.GetStdHandle(StandardStream::Output);
  std_out = output;
  // Each failure here is ignored: standard output may be a file or a pipe,
  // and standard input may be absent.
  const bool output_is_console =
      !GuardedCall([&] { return system.GetConsoleMode(output); }).Failed();
  const Handle console_output = output_is_console ? output : error;
  GuardedCall([&] { return system.SetConsoleMode(console_output, kOutputMode); });
  GuardedCall([&] { return system.SetConsoleMode(input, kInputMode); });
  GuardedCall([&] { return system.SetConsoleCtrlHandler(ConsoleEventHandler); });
}

void ApplyStartupHandles() noexcept {
  const StartupHandles startup = System().GetStartupInfoA();
  if (startup.present) {
    std_out = startup.output;
  }
}

bool ConsoleEventHandler(std::uint32_t event) noexcept { return event <= 2; }

Handle StdOutHandle() noexcept { return std_out; }

}  // namespace tavrel
