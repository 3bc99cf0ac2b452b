// Micro-benchmarks: SortAscending on 32,768 names in four arrangements and
// SelectNextSibling at its worst position, each beside a std:: reference
// that gives the same answers.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "command/selection.h"
#include "host/array.h"
#include "host/text.h"

namespace {

using tavrel::ByteString;
using tavrel::ByteStringArray;

constexpr std::int32_t kCount = 32768;

std::uint8_t Folded(std::uint8_t b) {
  return b >= 'a' && b <= 'z' ? static_cast<std::uint8_t>(b - 0x20) : b;
}

// The same collation as UpperFoldedBefore, for the reference sort.
bool FoldedBefore(const ByteString& x, const ByteString& y) {
  const std::uint32_t common = std::min(x.size(), y.size());
  for (std::uint32_t k = 0; k < common; ++k) {
    const std::uint8_t a = Folded(x[k]);
    const std::uint8_t b = Folded(y[k]);
    if (a != b) {
      return a < b;
    }
  }
  return x.size() < y.size();
}

std::vector<std::string> RandomNames() {
  const std::string letters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 -_.,+=!#%&'()[]{}@~^;";
  std::mt19937 random(7);
  std::uniform_int_distribution<std::size_t> length(3, 24);
  std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
  std::vector<std::string> names;
  for (std::int32_t k = 0; k < kCount; ++k) {
    std::string name;
    for (std::size_t n = length(random); name.size() < n;) {
      name += letters[pick(random)];
    }
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> SortedNames(bool reversed) {
  std::vector<std::string> names = RandomNames();
  std::vector<ByteString> lent;
  for (const std::string& name : names) {
    lent.push_back(ByteString::Borrow(reinterpret_cast<const std::uint8_t*>(name.data()),
                                      static_cast<std::uint32_t>(name.size())));
  }
  std::stable_sort(lent.begin(), lent.end(), FoldedBefore);
  std::vector<std::string> sorted;
  for (const ByteString& name : lent) {
    sorted.emplace_back(reinterpret_cast<const char*>(name.data()), name.size());
  }
  if (reversed) {
    std::reverse(sorted.begin(), sorted.end());
  }
  return sorted;
}

// "foldernamecases" with every one of its 2^15 letter casings.
std::vector<std::string> OneNameInCases() {
  const std::string base = "foldernamecases";
  std::vector<std::string> names;
  for (std::int32_t mask = 0; mask < kCount; ++mask) {
    std::string name = base;
    for (std::size_t k = 0; k < name.size(); ++k) {
      if ((mask >> k & 1) != 0) {
        name[k] = static_cast<char>(name[k] - 0x20);
      }
    }
    names.push_back(name);
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(11));
  return names;
}

std::vector<std::string> Arrangement(std::int64_t which) {
  switch (which) {
    case 0: return RandomNames();
    case 1: return SortedNames(false);
    case 2: return SortedNames(true);
    default: return OneNameInCases();
  }
}

const char* ArrangementName(std::int64_t which) {
  static constexpr std::array<const char*, 4> kNames = {"random", "sorted", "reversed",
                                                        "one name, many cases"};
  return kNames.at(static_cast<std::size_t>(which));
}

ByteString Lent(const std::string& name) {
  return ByteString::Borrow(reinterpret_cast<const std::uint8_t*>(name.data()),
                            static_cast<std::uint32_t>(name.size()));
}

void Fill(ByteStringArray& array, const std::vector<std::string>& names) {
  for (std::int32_t k = 0; k < kCount; ++k) {
    tavrel::Assign(array[k + 1], Lent(names[static_cast<std::size_t>(k)]));
  }
}

void SortAscending(benchmark::State& state) {
  const std::vector<std::string> names = Arrangement(state.range(0));
  ByteStringArray array;
  tavrel::CreateArray(array, 1, kCount);
  for (auto _ : state) {
    state.PauseTiming();
    Fill(array, names);
    state.ResumeTiming();
    tavrel::SortAscending(array, kCount);
    benchmark::DoNotOptimize(array[1].data());
  }
  state.SetLabel(ArrangementName(state.range(0)));
  tavrel::ReleaseArray(array);
}

void StdSortReference(benchmark::State& state) {
  const std::vector<std::string> names = Arrangement(state.range(0));
  std::vector<ByteString> values(names.size());
  for (auto _ : state) {
    state.PauseTiming();
    for (std::size_t k = 0; k < names.size(); ++k) {
      values[k] = Lent(names[k]);
    }
    state.ResumeTiming();
    std::sort(values.begin(), values.end(), FoldedBefore);
    benchmark::DoNotOptimize(values.front().data());
  }
  state.SetLabel(ArrangementName(state.range(0)));
}

std::string AsciiLower(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 0x20);
    }
  }
  return name;
}

std::string AsciiUpper(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 0x20);
    }
  }
  return name;
}

// The worst position: the current directory is the last name, and only
// its lower-cased copy matches, so both passes run over every name.
void SelectNextSiblingWorst(benchmark::State& state) {
  const std::vector<std::string> names = SortedNames(false);
  ByteStringArray array;
  tavrel::CreateArray(array, 1, kCount);
  Fill(array, names);
  const std::string exact = AsciiUpper(names.back()) + "~";
  const std::string lowered = AsciiLower(names.back());
  const tavrel::LeafName leaf{tavrel::CopyBytes(Lent(exact).data(), Lent(exact).size()),
                              tavrel::CopyBytes(Lent(lowered).data(), Lent(lowered).size())};
  for (auto _ : state) {
    benchmark::DoNotOptimize(tavrel::SelectNextSibling(leaf, array, kCount));
  }
  tavrel::ReleaseArray(array);
}

void FindReferenceWorst(benchmark::State& state) {
  const std::vector<std::string> names = SortedNames(false);
  const std::string exact = AsciiUpper(names.back()) + "~";
  const std::string lowered = AsciiLower(names.back());
  for (auto _ : state) {
    auto found = std::find(names.begin(), names.end(), exact);
    if (found == names.end()) {
      found = std::find_if(names.begin(), names.end(),
                           [&](const std::string& name) { return AsciiLower(name) == lowered; });
    }
    benchmark::DoNotOptimize(found);
  }
}

}  // namespace

BENCHMARK(SortAscending)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(StdSortReference)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(SelectNextSiblingWorst)->Unit(benchmark::kMicrosecond);
BENCHMARK(FindReferenceWorst)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
