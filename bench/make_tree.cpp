// Makes a folder of count sibling directories with names drawn from a
// fixed seed (mixed case, digits, spaces, punctuation), then prints the
// name of a middle sibling: the middle one in upper-folded order among the
// siblings that a listing capped at 32,768 entries reaches.
#include <sys/stat.h>

#include <dirent.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kListingCap = 32768;

std::string RandomName(std::mt19937& random) {
  static const std::string first = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static const std::string rest = first + "  -_.,+=!#%&'()[]{}@~^;";
  std::uniform_int_distribution<std::size_t> length(3, 24);
  std::uniform_int_distribution<std::size_t> pick_first(0, first.size() - 1);
  std::uniform_int_distribution<std::size_t> pick_rest(0, rest.size() - 1);
  std::string name(1, first[pick_first(random)]);
  const std::size_t count = length(random);
  while (name.size() < count) {
    name += rest[pick_rest(random)];
  }
  return name;
}

char Folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

bool FoldedBefore(const std::string& x, const std::string& y) {
  return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char a, char b) {
    return static_cast<unsigned char>(Folded(a)) < static_cast<unsigned char>(Folded(b));
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s FOLDER COUNT SEED\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const unsigned long count = std::strtoul(argv[2], nullptr, 10);
  std::mt19937 random(static_cast<std::mt19937::result_type>(std::strtoul(argv[3], nullptr, 10)));
  if (mkdir(folder.c_str(), 0755) != 0) {
    std::perror(folder.c_str());
    return 1;
  }
  std::set<std::string> made;
  while (made.size() < count) {
    std::string name = RandomName(random);
    if (name.back() == ' ' || !made.insert(name).second) {
      continue;
    }
    if (mkdir((folder + "/" + name).c_str(), 0755) != 0) {
      std::perror(name.c_str());
      return 1;
    }
  }
  made.clear();
  std::vector<std::string> listed;
  DIR* stream = opendir(folder.c_str());
  if (stream == nullptr) {
    std::perror(folder.c_str());
    return 1;
  }
  for (const dirent* entry = readdir(stream); entry != nullptr && listed.size() < kListingCap;
       entry = readdir(stream)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      listed.push_back(name);
    }
  }
  closedir(stream);
  std::sort(listed.begin(), listed.end(), FoldedBefore);
  std::printf("%s\n", listed[listed.size() / 2].c_str());
  return 0;
}
