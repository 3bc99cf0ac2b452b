#include <gtest/gtest.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// While a death test starts its child, the test program's standard error
// goes to a temporary file; a check that fails then aborts the program and
// its message would be lost with that file. The standard error of the
// start is kept, and on abort whatever the redirected descriptor holds is
// copied to it.
int start_error = -1;

void WriteTo(int descriptor, const char* text, unsigned length) {
  static_cast<void>(_write(descriptor, text, length));
}

void ReportAbort(int /*signal*/) {
  constexpr char kHeader[] = "\ntavrel_unit_tests: aborted; its standard error said:\n";
  WriteTo(start_error, kHeader, sizeof kHeader - 1);
  char path[MAX_PATH + 1] = {};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(2));
  const DWORD length = GetFinalPathNameByHandleA(handle, path, MAX_PATH, 0);
  const int redirected = length > 0 && length < MAX_PATH ? _open(path, _O_RDONLY | _O_BINARY) : -1;
  if (redirected >= 0) {
    char chunk[512];
    int got = 0;
    while ((got = _read(redirected, chunk, sizeof chunk)) > 0) {
      WriteTo(start_error, chunk, static_cast<unsigned>(got));
    }
    _close(redirected);
  }
  char code[64];
  const int written = std::snprintf(code, sizeof code, "\n(last error %lu)\n", GetLastError());
  WriteTo(start_error, code, static_cast<unsigned>(written));
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  start_error = _dup(2);
  static_cast<void>(std::signal(SIGABRT, ReportAbort));
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
