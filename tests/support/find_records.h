// Find-data records for the listing tests: whether one is all zeros, and
// one filled with a byte pattern, to show what a listing wrote into it.
#pragma once

#include <cstring>

#include "host/directory.h"

namespace tavrel::testing {

inline bool IsZero(const DirEntryInfo& record) {
  const DirEntryInfo zero{};
  return std::memcmp(&record, &zero, sizeof record) == 0;
}

inline DirEntryInfo Garbage() {
  DirEntryInfo record;
  std::memset(&record, 0xAB, sizeof record);
  return record;
}

}  // namespace tavrel::testing
