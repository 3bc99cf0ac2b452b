#include "host/directory_tree.h"

#include <system_error>

#if TAVREL_HOST_WINDOWS
#include <windows.h>
#endif

namespace tavrel::testing {

#if TAVREL_HOST_WINDOWS
namespace {

// Starts a Linux program from Wine, which hands back no process handle to
// wait on, and waits until done() sees its work, for ten seconds at most.
template <typename Done>
bool RunLinuxTool(const wchar_t* program, std::wstring command, const fs::path& folder, Done done) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &process)) {
    return false;
  }
  for (int i = 0; i < 1000 && !done(); ++i) {
    Sleep(10);
  }
  return done();
}

// The Linux path of a path on drive Z:, which maps the Linux root.
std::wstring LinuxPath(const fs::path& path) {
  std::wstring text = path.wstring().substr(2);
  for (wchar_t& unit : text) {
    unit = unit == L'\\' ? L'/' : unit;
  }
  return text;
}

bool Exists(const fs::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace
#endif

TempTree::~TempTree() {
#if TAVREL_HOST_WINDOWS
  // Wine removes neither Linux links to folders nor the deepest paths; the
  // Linux tool removes everything.
  RunLinuxTool(L"Z:\\bin\\rm", L"rm -rf " + LinuxPath(root_), root_.parent_path(),
               [this] { return !Exists(root_); });
#else
  std::error_code ignored;
  fs::remove_all(root_, ignored);
#endif
}

void TempTree::Link(const fs::path& relative, const fs::path& target) const {
#if TAVREL_HOST_WINDOWS
  // Wine accepts CreateSymbolicLinkW but makes no link; the Linux tool makes
  // a real one, which Wine then lists as a directory reparse point.
  const fs::path link = root_ / relative;
  ASSERT_TRUE(RunLinuxTool(L"Z:\\bin\\ln", L"ln -s " + target.wstring() + L" " + relative.wstring(),
                           root_, [&link] { return Exists(link); }))
      << "ln -s " << target << " " << relative;
#else
  fs::create_symlink(target, root_ / relative);
#endif
}

}  // namespace tavrel::testing
