#include "host/directory.h"

#include <cstring>
#include <iterator>
#include <utility>

#include "host/failure.h"
#include "host/storage.h"

namespace tavrel {

namespace {

constexpr std::uint32_t kDirectoryBufferUnits = 260;  // MAX_PATH, terminator included
constexpr std::uint32_t kPathUnits = 255;
constexpr std::uint32_t kPatternUnits = 256;
constexpr std::uint32_t kNameUnits = sizeof(DirEntryInfo::cFileName) / sizeof(char16_t);

// Recorded for a drive other than the current one (ERROR_NOT_SUPPORTED).
constexpr std::uint8_t kUnsupportedDrive = 75;
constexpr std::uint8_t kWildcardOrMissingPath = 76;
constexpr std::uint8_t kFileNotFound = 53;

constexpr std::uint32_t kAttributeSelection = SelectHidden | SelectSystem | SelectDirectory;

// The listing state of one thread: its open search, or none, and the
// selection that search was started with (0 when there is none).
struct ListingState {
  Handle search = INVALID_HANDLE_VALUE;
  std::uint32_t selection = 0;
};

thread_local ListingState listing;

bool IsWildcard(char16_t unit) noexcept { return unit == u'*' || unit == u'?'; }

// Whether a pattern ending in unit names a folder (a drive, or a path that
// ends in a separator), which is then listed whole. The POSIX build adds
// its own separator.
bool EndsAFolder(char16_t unit) noexcept {
#if TAVREL_HOST_POSIX
  if (unit == u'/') {
    return true;
  }
#endif
  return unit == u':' || unit == u'\\';
}

// The units before the first NUL, at most limit of them.
std::uint32_t TextLength(const char16_t* units, std::uint32_t limit) noexcept {
  std::uint32_t length = 0;
  while (length < limit && units[length] != 0) {
    ++length;
  }
  return length;
}

// The hidden, system and directory bits only; SelectOnly is kept only with
// at least one of them, since alone it would admit nothing.
std::uint32_t NormalisedSelection(std::uint32_t selection) noexcept {
  selection &= kAttributeSelection | SelectOnly;
  if ((selection & kAttributeSelection) == 0) {
    selection = 0;
  }
  return selection;
}

bool IsDotEntry(const char16_t* name) noexcept {
  return (name[0] == u'.' && name[1] == 0) || (name[0] == u'.' && name[1] == u'.' && name[2] == 0);
}

bool Admits(std::uint32_t selection, const DirEntryInfo& entry) noexcept {
  const std::uint32_t attributes = entry.dwFileAttributes;
  const std::uint32_t marked = attributes & kAttributeSelection;
  if ((marked & ~selection) != 0) {
    return false;  // hidden, system or a directory, and not selected
  }
  if ((selection & SelectOnly) != 0 && (marked & selection) == 0) {
    return false;
  }
  return !IsDotEntry(entry.cFileName);
}

void CloseSearch() noexcept {
  if (listing.search == INVALID_HANDLE_VALUE) {
    return;
  }
  const Handle search = listing.search;
  listing.search = INVALID_HANDLE_VALUE;
  static_cast<void>(GuardedCall([search] { return System().FindClose(search); }));
}

// The end of a listing, also when it failed: no search, no selection, a
// zeroed record and the empty name.
WideString EndListing(DirEntryInfo& record) noexcept {
  listing.selection = 0;
  CloseSearch();
  std::memset(&record, 0, sizeof record);
  return {};
}

bool FetchNext(DirEntryInfo& entry) noexcept {
  const Handle search = listing.search;
  const auto next =
      GuardedCall([search, &entry] { return System().FindNextFileW(search, &entry); });
  return next.result && !next.Failed();
}

// Skips the entries that the selection does not admit, starting with the
// one in the record, and returns the first admitted name.
WideString AdmitFrom(DirEntryInfo& record) noexcept {
  while (!Admits(listing.selection, record)) {
    if (!FetchNext(record)) {
      return EndListing(record);
    }
  }
  return CopyWide(record.cFileName, TextLength(record.cFileName, kNameUnits));
}

// The next admitted entry of the open listing, read into record.
WideString ContinueListing(DirEntryInfo& record) noexcept {
  if (listing.search == INVALID_HANDLE_VALUE || !FetchNext(record)) {
    return EndListing(record);
  }
  return AdmitFrom(record);
}

// A new listing of pattern, its first admitted entry read into record.
WideString StartListing(const WideString& pattern, std::uint32_t selection,
                        DirEntryInfo& record) noexcept {
  if (pattern.empty()) {
    return ContinueListing(record);
  }
  constexpr char16_t kEveryName[] = u"*.*";
  char16_t buffer[kPatternUnits + std::size(kEveryName)];
  const std::uint32_t length = pattern.size() < kPatternUnits ? pattern.size() : kPatternUnits;
  std::memcpy(buffer, pattern.data(), std::size_t{length} * sizeof(char16_t));
  buffer[length] = 0;
  if (EndsAFolder(buffer[length - 1])) {
    std::memcpy(&buffer[length], kEveryName, sizeof kEveryName);
  }
  CloseSearch();
  listing.selection = NormalisedSelection(selection);

  const auto first =
      GuardedCall([&buffer, &record] { return System().FindFirstFileW(buffer, &record); });
  if (first.result == INVALID_HANDLE_VALUE) {
    return EndListing(record);
  }
  listing.search = first.result;
  if (first.Failed()) {
    return EndListing(record);
  }
  return AdmitFrom(record);
}

// One read of the current directory into a buffer of size units: the text,
// or the size the system needs when the path does not fit (0 otherwise).
struct DirectoryRead {
  WideString text;
  std::uint32_t needed;
};

DirectoryRead ReadCurrentDirectory(std::uint32_t size, char16_t* buffer) noexcept {
  const auto read =
      GuardedCall([size, buffer] { return System().GetCurrentDirectoryW(size, buffer); });
  if (read.Failed()) {
    RecordError(read.number);
    return {{}, 0};
  }
  if (read.result >= size) {
    return {{}, read.result};
  }
  return {CopyWide(buffer, TextLength(buffer, read.result)), 0};
}

}  // namespace

WideString CurrentDirectory(const WideString& drive) noexcept {
  if (!drive.empty()) {
    RecordError(kUnsupportedDrive);
    return {};
  }
  char16_t buffer[kDirectoryBufferUnits];
  std::uint32_t size = kDirectoryBufferUnits;
  DirectoryRead read = ReadCurrentDirectory(size, buffer);
  // A deeper path is read again into storage of the size the system asked
  // for, until it fits: the directory may change between two reads.
  while (read.needed > size) {
    size = read.needed;
    auto* block = static_cast<char16_t*>(ObtainStorage(std::size_t{size} * sizeof(char16_t)));
    if (block == nullptr) {
      return {};
    }
    read = ReadCurrentDirectory(size, block);
    ReleaseStorage(block);
  }
  return std::move(read.text);
}

void ChangeDirectory(const WideString& path) noexcept {
  const std::uint32_t length = path.size() < kPathUnits ? path.size() : kPathUnits;
  char16_t buffer[kPathUnits + 1];
  for (std::uint32_t i = 0; i < length; ++i) {
    if (IsWildcard(path[i])) {
      RecordError(kWildcardOrMissingPath);
      return;
    }
    buffer[i] = path[i];
  }
  buffer[length] = 0;
  const auto change = GuardedCall([&buffer] { return System().SetCurrentDirectoryW(buffer); });
  if (change.Failed()) {
    RecordError(change.number == kFileNotFound ? kWildcardOrMissingPath : change.number);
  }
}

WideString ListFirst(const WideString& pattern, std::uint32_t selection,
                     DirEntryInfo* record) noexcept {
  if (record != nullptr) {
    return StartListing(pattern, selection, *record);
  }
  DirEntryInfo own{};
  return StartListing(pattern, selection, own);
}

WideString ListNext(DirEntryInfo* record) noexcept {
  if (record != nullptr) {
    return ContinueListing(*record);
  }
  DirEntryInfo own{};
  return ContinueListing(own);
}

void CloseOpenListing() noexcept {
  listing.selection = 0;
  CloseSearch();
}

}  // namespace tavrel
