// Starts a program with a command line that no shell can produce, and
// waits for it:
//   raw_launch empty PROGRAM        an empty command line
//   raw_launch unclosed PROGRAM     "PROGRAM x : a quotation mark left open
//   raw_launch no-handles PROGRAM   "PROGRAM" with no standard handles at all
// The program inherits the launcher's standard handles otherwise. Exit
// code: the program's, or 99 when it could not be started or waited for.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    return 99;
  }
  const std::wstring mode = argv[1];
  const std::wstring program = argv[2];
  std::wstring line;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (mode == L"empty") {
    line = L"";
  } else if (mode == L"unclosed") {
    line = L"\"" + program + L" x";
  } else if (mode == L"no-handles") {
    line = L"\"" + program + L"\"";
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = nullptr;
    startup.hStdError = nullptr;
  } else {
    return 99;
  }
  PROCESS_INFORMATION process{};
  if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process) == FALSE) {
    return 99;
  }
  DWORD code = 99;
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0 ||
      GetExitCodeProcess(process.hProcess, &code) == FALSE) {
    code = 99;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
