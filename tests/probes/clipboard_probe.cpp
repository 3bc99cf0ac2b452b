// Looks at and holds the Windows clipboard for the tests, from a process of
// its own:
//   clipboard_probe read-text    the CF_UNICODETEXT block, all GlobalSize
//                                bytes of it, raw on standard output
//   clipboard_probe read-other   the same for the probe's own format
//   clipboard_probe put-other    empties the clipboard and places the bytes
//                                "kept" in the probe's own format
//   clipboard_probe hold         opens the clipboard, prints "held" and a
//                                line end, keeps it open until standard
//                                input ends
// Exit codes: 0 done, 1 the format is not there, 2 the clipboard could not
// be opened, 3 any other failure, 4 a usage error.
//
// The clipboard is opened for a window of the probe's own, as a program on
// a desktop opens it; a clipboard opened without one (as the command
// opens it) then refuses the probe.
#include <windows.h>

#include <cstring>

namespace {

constexpr char kOtherBytes[] = "kept";

UINT OtherFormat() { return RegisterClipboardFormatW(L"TavrelProbeFormat"); }

bool WriteOut(const void* bytes, DWORD count) {
  DWORD written = 0;
  return count == 0 ||
         (WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, &written, nullptr) != FALSE &&
          written == count);
}

int Read(HWND window, UINT format) {
  if (OpenClipboard(window) == FALSE) {
    return 2;
  }
  int result = 1;
  HANDLE data = GetClipboardData(format);
  if (data != nullptr) {
    const SIZE_T size = GlobalSize(data);
    const void* bytes = GlobalLock(data);
    result = bytes != nullptr && WriteOut(bytes, static_cast<DWORD>(size)) ? 0 : 3;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return result;
}

int PutOther(HWND window) {
  if (OpenClipboard(window) == FALSE) {
    return 2;
  }
  int result = 3;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof kOtherBytes - 1);
  void* bytes = block != nullptr ? GlobalLock(block) : nullptr;
  if (bytes != nullptr) {
    std::memcpy(bytes, kOtherBytes, sizeof kOtherBytes - 1);
    GlobalUnlock(block);
    if (EmptyClipboard() != FALSE && SetClipboardData(OtherFormat(), block) != nullptr) {
      result = 0;
      block = nullptr;
    }
  }
  if (block != nullptr) {
    GlobalFree(block);
  }
  CloseClipboard();
  return result;
}

int Hold(HWND window) {
  if (OpenClipboard(window) == FALSE) {
    return 2;
  }
  const bool told = WriteOut("held\r\n", 6);
  char scratch[64];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), scratch, sizeof scratch, &got, nullptr) !=
             FALSE &&
         got != 0) {
  }
  CloseClipboard();
  return told ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    return 4;
  }
  HWND window =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (window == nullptr) {
    return 3;
  }
  const char* mode = argv[1];
  int result = 4;
  if (std::strcmp(mode, "read-text") == 0) {
    result = Read(window, CF_UNICODETEXT);
  } else if (std::strcmp(mode, "read-other") == 0) {
    result = Read(window, OtherFormat());
  } else if (std::strcmp(mode, "put-other") == 0) {
    result = PutOther(window);
  } else if (std::strcmp(mode, "hold") == 0) {
    result = Hold(window);
  }
  DestroyWindow(window);
  return result;
}
