// The clipboard text read back by another process, the probe built beside
// the tests: the exact block, the formats already there, and a clipboard
// that the probe holds open.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "host/clipboard.h"
#include "host/failure.h"
#include "support/text_helpers.h"

namespace tavrel {
namespace {

std::wstring ProbePath() {
  wchar_t self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, length);
  path.resize(path.rfind(L'\\') + 1);
  return path + L"clipboard_probe.exe";
}

// The probe run with pipes on its standard input and output.
class Probe {
public:
  explicit Probe(const std::wstring& mode) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE child_input = nullptr;
    HANDLE child_output = nullptr;
    if (CreatePipe(&child_input, &input_, &inheritable, 0) == FALSE ||
        CreatePipe(&output_, &child_output, &inheritable, 0) == FALSE) {
      ADD_FAILURE() << "no pipe for the probe";
      return;
    }
    SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_input;
    startup.hStdOutput = child_output;
    startup.hStdError = child_output;
    const std::wstring path = ProbePath();
    std::wstring command_line = L"\"" + path + L"\" " + mode;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process) == FALSE) {
      ADD_FAILURE() << "the probe did not start: error " << GetLastError();
    } else {
      CloseHandle(process.hThread);
      process_ = process.hProcess;
    }
    CloseHandle(child_input);
    CloseHandle(child_output);
  }

  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  ~Probe() {
    CloseInput();
    if (process_ != nullptr) {
      if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 99);
      }
      CloseHandle(process_);
    }
    if (output_ != nullptr) {
      CloseHandle(output_);
    }
  }

  // Reads until count bytes have come or the output ends.
  std::string Read(std::size_t count = SIZE_MAX) {
    std::string bytes;
    char chunk[256];
    DWORD got = 0;
    while (bytes.size() < count &&
           ReadFile(output_, chunk,
                    static_cast<DWORD>(std::min(sizeof chunk, count - bytes.size())), &got,
                    nullptr) != FALSE &&
           got != 0) {
      bytes.append(chunk, got);
    }
    return bytes;
  }

  void CloseInput() {
    if (input_ != nullptr) {
      CloseHandle(input_);
      input_ = nullptr;
    }
  }

  // The exit code, or 99 when the probe did not end within ten seconds.
  DWORD Finish() {
    CloseInput();
    DWORD code = 99;
    if (process_ != nullptr && WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process_, &code);
    }
    return code;
  }

private:
  HANDLE input_ = nullptr;
  HANDLE output_ = nullptr;
  HANDLE process_ = nullptr;
};

struct ProbeResult {
  DWORD code;
  std::string output;
};

ProbeResult RunProbe(const std::wstring& mode) {
  Probe probe(mode);
  probe.CloseInput();
  std::string output = probe.Read();
  return {probe.Finish(), output};
}

// The block the clipboard should hold for text: its units, then a zero unit.
std::string BlockFor(const std::u16string& text) {
  std::string bytes(reinterpret_cast<const char*>(text.c_str()), 2 * text.size() + 2);
  return bytes;
}

class ClipboardReadBack : public ::testing::Test {
protected:
  void SetUp() override { ResetErrorState(); }
};

using testing::Wide;

TEST_F(ClipboardReadBack, AnotherProcessReadsTheExactBlock) {
  const std::u16string texts[] = {
      u"cd \"..\\Gamma\"",
      u"\"..\\a \u00E9\U0001F600\"",  // ten units: a block of 22 bytes
      u"cd \"..\\it's $HOME `x` %PATH% \u65E5\u672C\"",
  };
  for (const std::u16string& text : texts) {
    ASSERT_TRUE(SetClipboardText(Wide(text)));
    // The probe opens the clipboard for a window of its own, which fails
    // while the clipboard is still open anywhere else: it was closed.
    const ProbeResult read = RunProbe(L"read-text");
    EXPECT_EQ(read.code, 0U);
    EXPECT_EQ(read.output.size(), 2 * text.size() + 2);
    EXPECT_EQ(read.output, BlockFor(text));
  }
  EXPECT_EQ(ErrorState(), 0);
}

TEST_F(ClipboardReadBack, FormatsPlacedBeforeStayInPlace) {
  ASSERT_EQ(RunProbe(L"put-other").code, 0U);
  const std::u16string text = u"cd \"..\\Beta\"";
  ASSERT_TRUE(SetClipboardText(Wide(text)));
  const ProbeResult other = RunProbe(L"read-other");
  EXPECT_EQ(other.code, 0U);
  EXPECT_EQ(other.output, "kept");
  EXPECT_EQ(RunProbe(L"read-text").output, BlockFor(text));
}

TEST_F(ClipboardReadBack, AClipboardHeldOpenFailsAtOnceAndKeepsItsText) {
  const std::u16string earlier = u"cd \"..\\Alpha\"";
  ASSERT_TRUE(SetClipboardText(Wide(earlier)));
  {
    Probe holder(L"hold");
    ASSERT_EQ(holder.Read(6), "held\r\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SetClipboardText(Wide(u"cd \"..\\Gamma\"")));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::milliseconds(500));
    EXPECT_EQ(holder.Finish(), 0U);
  }
  const ProbeResult read = RunProbe(L"read-text");
  EXPECT_EQ(read.code, 0U);
  EXPECT_EQ(read.output, BlockFor(earlier));
  EXPECT_EQ(ErrorState(), 0);
}

}  // namespace
}  // namespace tavrel
