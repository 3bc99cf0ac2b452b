// Whole runs of the command with one storage request, or one system call,
// failing in turn: every run completes as its failure rules say, leaks
// nothing, restores the error mode and releases the guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "command/entry.h"
#include "host/command_line.h"
#include "host/console.h"
#include "host/directory.h"
#include "host/failure.h"
#include "support/scripted_platform.h"
#include "support/three_siblings.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using testing::CallFault;
using testing::ScriptedPlatform;

const std::string kOops = "Error parsing directory list. Oops\r\n";
const std::string kMovingToGamma = "Moving to next directory (Gamma)\r\n";

std::u16string CdCommand(const std::u16string& name) {
#if TAVREL_HOST_WINDOWS
  return u"cd \"..\\" + name + u"\"";
#else
  return u"cd -P '../" + name + u"'";
#endif
}

std::string UsageScreen() {
  return "Tavrel / The Tavrel Authors / tavrel.example.org / authors@tavrel.example.org / "
         "Free Software\r\n\r\n"
         "Usage: Just type 'tavrel'\r\n"
         "Effect: This moves you to the next alphabetical directory. It's the equivalent\r\n"
         "    of typing 'cd ..' and then moving into the next directory alphabetically\r\n"
         "    from where you just started.\r\n\r\n";
}

// What a run left behind.
struct Outcome {
  std::string output;
  bool clipboard_set = false;
  std::u16string clipboard;
  fs::path directory;
  std::uint8_t error = 0;
};

// Every run starts in Beta.
class FaultSweep : public testing::ThreeSiblings {
protected:
  // The process's steps from the console set-up to the closing of the
  // listing, with the platform in place.
  void RunCommand(ScriptedPlatform& platform) {
    fs::current_path(root_ / "Beta");
    ResetErrorState();
    const PlatformOverride use(platform);
    PrepareConsole();
    FixTailStart();
    EXPECT_EQ(CommandEntry(), 0);
    CloseOpenListing();
  }

  Outcome Run(ScriptedPlatform& platform) {
    RunCommand(platform);
    Outcome outcome{platform.output, platform.clipboard_set, platform.clipboard,
                    fs::canonical(fs::current_path()), ErrorState()};
    EXPECT_TRUE(platform.outstanding.empty()) << platform.outstanding.size() << " blocks kept";
    EXPECT_TRUE(platform.global_blocks.empty()) << "a movable block was left behind";
    EXPECT_EQ(platform.error_mode, ScriptedPlatform::kOriginalErrorMode);
    EXPECT_FALSE(GuardHeld());
    fs::current_path(start_);
    return outcome;
  }

  // The outcome of an undisturbed run that moves from Beta to the sibling.
  void ExpectMoved(const Outcome& outcome, const std::string& line, const char16_t* sibling) {
    EXPECT_EQ(outcome.output, line);
    EXPECT_TRUE(outcome.clipboard_set);
    EXPECT_EQ(outcome.clipboard, CdCommand(sibling));
    EXPECT_EQ(outcome.directory, root_ / fs::path(std::u16string(sibling)));
  }

  void ExpectNotFound(const Outcome& outcome, const fs::path& directory) {
    EXPECT_EQ(outcome.output, kOops);
    EXPECT_FALSE(outcome.clipboard_set);
    EXPECT_EQ(outcome.directory, directory);
  }
};

// ---- Storage requests failing in turn -------------------------------------

struct AllocationPass {
  const char* name;
  bool from_on;
};
const AllocationPass kAllocationPasses[] = {{"only the k-th", false}, {"the k-th on", true}};

// Whatever storage fails, a navigation run prints exactly one line, moves
// only into a sibling or stays in the parent or where it began, and puts
// on the clipboard only the command for the sibling it moves to. Where the
// failure comes after a step, that step's result is the undisturbed one.
TEST_F(FaultSweep, NavigationSurvivesEveryStorageRequestFailing) {
  ScriptedPlatform counting;
  const Outcome undisturbed = Run(counting);
  ExpectMoved(undisturbed, kMovingToGamma, u"Gamma");
  EXPECT_EQ(undisturbed.error, 0);
  const std::uint64_t requests = counting.allocations;
  RecordProperty("storage_requests", std::to_string(requests));
  ASSERT_GT(requests, 10U);
  ASSERT_EQ(counting.allocations_at_write.size(), 2U);
  ASSERT_EQ(counting.zeroed_requests.size(), 1U);
  const std::uint64_t array_request = counting.zeroed_requests[0];

  for (const AllocationPass& pass : kAllocationPasses) {
    for (std::uint64_t k = 1; k <= requests + 1; ++k) {
      SCOPED_TRACE(std::string(pass.name) + ", k = " + std::to_string(k));
      ScriptedPlatform platform;
      platform.fail_allocation = k;
      platform.fail_from_on = pass.from_on;
      const Outcome outcome = Run(platform);

      EXPECT_TRUE(outcome.output.ends_with("\r\n") &&
                  outcome.output.find("\r\n") == outcome.output.size() - 2)
          << outcome.output;
      // Exhausted storage records 7, the sort of an array without storage
      // 5, and a change to a path whose copy failed, an empty one, 76 or 75
      // (a missing path, or an invalid name on Windows).
      EXPECT_TRUE(outcome.error == 0 || outcome.error == 5 || outcome.error == 7 ||
                  outcome.error == 75 || outcome.error == 76)
          << int{outcome.error};
      if (k > requests) {
        ExpectMoved(outcome, kMovingToGamma, u"Gamma");
        EXPECT_EQ(outcome.error, 0);
        continue;
      }
      if (k == array_request) {
        // No array: the listing stores nothing and the sort refuses.
        ExpectNotFound(outcome, root_);
        EXPECT_EQ(outcome.error, 5);
        continue;
      }
      if (k > counting.allocations_at_write[0]) {
        EXPECT_EQ(outcome.output, kMovingToGamma);
      }
      if (k > counting.allocations_at_clipboard) {
        EXPECT_EQ(outcome.clipboard, CdCommand(u"Gamma"));
      }
      if (outcome.output == kOops) {
        EXPECT_FALSE(outcome.clipboard_set);
        EXPECT_TRUE(outcome.directory == root_ || outcome.directory == root_ / "Beta");
        continue;
      }
      // A sibling was chosen: Gamma; or Alpha, where the sort went without
      // its table and left the listing's order, or where the listing ended
      // early for want of storage after Beta. The line is whole or lost,
      // the clipboard holds the sibling's command or an empty text, and the
      // run moved into the sibling or stayed in the parent.
      EXPECT_TRUE(outcome.clipboard_set);
      bool named = false;
      for (const char16_t* sibling : {u"Alpha", u"Gamma"}) {
        const fs::path into = root_ / fs::path(std::u16string(sibling));
        const std::string name = into.filename().string();
        if (outcome.output == "Moving to next directory (" + name + ")\r\n" ||
            outcome.output == "Looping back to start (" + name + ")\r\n") {
          named = true;
          EXPECT_TRUE(outcome.directory == into || outcome.directory == root_) << outcome.directory;
          EXPECT_TRUE(outcome.clipboard.empty() || outcome.clipboard == CdCommand(sibling))
              << fs::path(outcome.clipboard).string();
        }
      }
      if (!named) {
        EXPECT_EQ(outcome.output, "\r\n");
        EXPECT_TRUE(outcome.clipboard.empty() || outcome.clipboard == CdCommand(u"Gamma"))
            << fs::path(outcome.clipboard).string();
        EXPECT_TRUE(outcome.directory == root_ / "Gamma" || outcome.directory == root_)
            << outcome.directory;
      }
    }
  }
}

// Any argument text shows the usage screen, whatever storage fails: the
// screen is made of literals, and a failed copy of the argument text is
// not taken for an empty one.
TEST_F(FaultSweep, UsageSurvivesEveryStorageRequestFailing) {
  ScriptedPlatform counting(u"tavrel x");
  const Outcome undisturbed = Run(counting);
  EXPECT_EQ(undisturbed.output, UsageScreen());
  const std::uint64_t requests = counting.allocations;
  RecordProperty("storage_requests", std::to_string(requests));

  for (const AllocationPass& pass : kAllocationPasses) {
    for (std::uint64_t k = 1; k <= requests + 1; ++k) {
      SCOPED_TRACE(std::string(pass.name) + ", k = " + std::to_string(k));
      ScriptedPlatform platform(u"tavrel x");
      platform.fail_allocation = k;
      platform.fail_from_on = pass.from_on;
      const Outcome outcome = Run(platform);
      EXPECT_EQ(outcome.output, UsageScreen());
      EXPECT_FALSE(outcome.clipboard_set);
      EXPECT_EQ(outcome.directory, root_ / "Beta");
      EXPECT_EQ(outcome.error, 0);
    }
  }
}

// ---- System calls failing in turn -----------------------------------------

// The last-error codes of the sweep, and the fatal ones.
const std::uint32_t kCodes[] = {2, 3, 5, 6, 8, 18, 112, 109};
const std::uint32_t kFatalCodes[] = {7, 9, 10};
const CallFault kFaults[] = {CallFault::Fails, CallFault::SucceedsLeavingCode};

// The calls whose failure is recorded: the fatal codes end the process.
bool IsRecorded(const std::string& call) {
  return call == "WriteFile" || call == "GetCurrentDirectoryW" || call == "SetCurrentDirectoryW";
}

std::uint8_t ChangeNumberFor(std::uint32_t code) {
  const std::uint8_t number = ErrorNumberFor(code);
  return number == 53 ? 76 : number;
}

class CallSweep : public FaultSweep {
protected:
  void SetUp() override {
    FaultSweep::SetUp();
    undisturbed_ = Run(counting_);
  }
  // How many calls of this name came before call n (counting from 1).
  std::size_t EarlierOfName(std::size_t n) const {
    const auto begin = counting_.calls.begin();
    return static_cast<std::size_t>(
        std::count(begin, begin + static_cast<std::ptrdiff_t>(n - 1), counting_.calls[n - 1]));
  }
  // The sibling names that the listing returned before call n.
  std::vector<std::u16string> ListedBefore(std::size_t n) const {
    std::vector<std::u16string> names;
    for (const auto& [call, name] : counting_.listed_by_call) {
      if (call < n && (name == u"Alpha" || name == u"Beta" || name == u"Gamma")) {
        names.push_back(name);
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The run after the listing stopped at call n: the choice among the
  // names listed before it.
  void ExpectListingCutAt(const Outcome& outcome, std::size_t n) {
    const std::vector<std::u16string> names = ListedBefore(n);
    const auto beta = std::find(names.begin(), names.end(), u"Beta");
    if (beta == names.end()) {
      ExpectNotFound(outcome, root_);
    } else if (beta + 1 == names.end()) {
      const std::u16string& first = names.front();
      ExpectMoved(outcome, "Looping back to start (" + fs::path(first).string() + ")\r\n",
                  first.c_str());
    } else {
      const std::u16string& next = *(beta + 1);
      ExpectMoved(outcome, "Moving to next directory (" + fs::path(next).string() + ")\r\n",
                  next.c_str());
    }
    EXPECT_EQ(outcome.error, 0);
  }

  // The outcome that the failure rules give for call n failing with code,
  // for a code that does not end the process.
  void ExpectFor(const Outcome& outcome, std::size_t n, CallFault fault, std::uint32_t code) {
    const std::string& call = counting_.calls[n - 1];
    const std::size_t earlier = EarlierOfName(n);
    const bool made = fault == CallFault::SucceedsLeavingCode;
    const std::string line = kMovingToGamma.substr(0, kMovingToGamma.size() - 2);
    if (call == "GetCurrentDirectoryW") {
      ExpectNotFound(outcome, root_);
      EXPECT_EQ(outcome.error, ErrorNumberFor(code));
    } else if (call == "SetCurrentDirectoryW" && earlier == 0) {
      if (made) {
        ExpectMoved(outcome, kMovingToGamma, u"Gamma");
      } else {
        ExpectNotFound(outcome, root_ / "Beta");  // Beta itself has no subdirectory
      }
      EXPECT_EQ(outcome.error, ChangeNumberFor(code));
    } else if (call == "SetCurrentDirectoryW") {
      EXPECT_EQ(outcome.output, kMovingToGamma);
      EXPECT_EQ(outcome.clipboard, CdCommand(u"Gamma"));
      EXPECT_EQ(outcome.directory, made ? root_ / "Gamma" : root_);
      EXPECT_EQ(outcome.error, ChangeNumberFor(code));
    } else if (call == "WriteFile") {
      const std::string lost = earlier == 0 ? "\r\n" : line;
      EXPECT_EQ(outcome.output, made ? kMovingToGamma : lost);
      EXPECT_EQ(outcome.clipboard, CdCommand(u"Gamma"));
      EXPECT_EQ(outcome.directory, root_ / "Gamma");
      EXPECT_EQ(outcome.error, ErrorNumberFor(code));
    } else if (call == "FindFirstFileW" || call == "FindNextFileW") {
      ExpectListingCutAt(outcome, n);
    } else if (call == "OpenClipboard" || call == "GlobalAlloc" || call == "GlobalLock" ||
               call == "SetClipboardData") {
      // The clipboard keeps a block it took, even when a code was left.
      const bool taken = call == "SetClipboardData" && made;
      EXPECT_EQ(outcome.output, kMovingToGamma);
      EXPECT_EQ(outcome.clipboard_set, taken);
      EXPECT_EQ(outcome.directory, root_ / "Gamma");
      EXPECT_EQ(outcome.error, 0);
    } else {
      // The console set-up, the closing of the search, the unlocking of the
      // block and the closing of the clipboard: ignored.
      ExpectMoved(outcome, kMovingToGamma, u"Gamma");
      EXPECT_EQ(outcome.error, 0);
    }
  }

  // Makes call n of the platform's run fail as fault says, with code, and
  // describes that for a trace.
  [[nodiscard]] std::string Inject(ScriptedPlatform& platform, std::size_t n, CallFault fault,
                                   std::uint32_t code) const {
    platform.fault_call = n;
    platform.fault = fault;
    platform.fault_code = code;
    return "call " + std::to_string(n) + " " + counting_.calls[n - 1] +
           (fault == CallFault::Fails ? " fails" : " succeeds") + " with code " +
           std::to_string(code);
  }

  ScriptedPlatform counting_;
  Outcome undisturbed_;
};

TEST_F(CallSweep, TheUndisturbedRunMakesEveryKindOfCall) {
  ExpectMoved(undisturbed_, kMovingToGamma, u"Gamma");
  EXPECT_EQ(undisturbed_.error, 0);
  for (const char* call :
       {"GetConsoleMode", "SetConsoleMode", "SetConsoleCtrlHandler", "GetCurrentDirectoryW",
        "SetCurrentDirectoryW", "FindFirstFileW", "FindNextFileW", "FindClose", "WriteFile",
        "OpenClipboard", "GlobalAlloc", "GlobalLock", "GlobalUnlock", "SetClipboardData",
        "CloseClipboard"}) {
    EXPECT_NE(std::find(counting_.calls.begin(), counting_.calls.end(), call),
              counting_.calls.end())
        << call;
  }
}

TEST_F(CallSweep, EveryCallFailingWithEveryCodeGivesItsStatedOutcome) {
  RecordProperty("guarded_calls", std::to_string(counting_.calls.size()));
  for (std::size_t n = 1; n <= counting_.calls.size(); ++n) {
    for (const CallFault fault : kFaults) {
      for (const std::uint32_t code : kCodes) {
        ScriptedPlatform platform;
        SCOPED_TRACE(Inject(platform, n, fault, code));
        const Outcome outcome = Run(platform);
        ExpectFor(outcome, n, fault, code);
      }
    }
  }
}

// Codes 7, 9 and 10 end the process with 255 at once where the failure is
// recorded; the listing and the clipboard record nothing, so the run goes
// on there.
TEST_F(CallSweep, FatalCodesEndTheProcessOnlyWhereTheFailureIsRecorded) {
  for (std::size_t n = 1; n <= counting_.calls.size(); ++n) {
    const std::string& call = counting_.calls[n - 1];
    for (const CallFault fault : kFaults) {
      for (const std::uint32_t code : kFatalCodes) {
        ScriptedPlatform platform;
        SCOPED_TRACE(Inject(platform, n, fault, code));
        if (IsRecorded(call)) {
          EXPECT_EXIT(RunCommand(platform), ::testing::ExitedWithCode(255), "");
          fs::current_path(start_);
        } else {
          const Outcome outcome = Run(platform);
          if (call == "FindFirstFileW" || call == "FindNextFileW") {
            ExpectListingCutAt(outcome, n);
          } else {
            EXPECT_EQ(outcome.output, kMovingToGamma);
            EXPECT_EQ(outcome.directory, root_ / "Gamma");
            EXPECT_EQ(outcome.error, 0);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tavrel
