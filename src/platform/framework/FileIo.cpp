#include "platform/framework/FileIo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <tuple>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"

namespace fs = std::filesystem;

namespace {

// Artists mix ".TGA" and ".tga" in one delivery, so extensions compare without case.
bool SameExtension(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Names of the regular files in a folder ("" is the current folder); nothing when the folder
// cannot be read.
std::optional<std::vector<std::string>> ReadFolder(const std::string& folder) {
  std::error_code error;
  fs::directory_iterator entry(folder.empty() ? fs::path(".") : fs::path(folder), error);
  if (error) return std::nullopt;
  std::vector<std::string> names;
  for (; entry != fs::directory_iterator(); entry.increment(error)) {
    if (error) return std::nullopt;
    std::error_code typeError;
    if (entry->is_regular_file(typeError)) names.push_back(entry->path().filename().string());
  }
  if (error) return std::nullopt;
  return names;
}

// How well a file name answers root + number + extension; lower ranks are better.
using MatchRank = std::tuple<int, int, int, int>;

struct Candidate {
  MatchRank rank;
  std::string name;
};

// The frame numbers a file name can stand for under root and extension, each with its rank;
// -1 stands for root + extension alone.
void AddCandidates(const std::string& name, const std::string& root, const std::string& extension,
                   std::map<int, Candidate>& best) {
  auto offer = [&best, &name](int number, MatchRank rank) {
    auto found = best.find(number);
    // Equal ranks fall back to the name, so that the answer does not depend on the order in
    // which the folder lists its files.
    if (found == best.end() || rank < found->second.rank || (rank == found->second.rank && name < found->second.name)) {
      best[number] = {rank, name};
    }
  };
  // The usual form: root, then the digits, then the extension.
  if (name.size() >= root.size() + extension.size() && name.compare(0, root.size(), root) == 0) {
    const std::string_view nameView(name);
    const std::string_view tail = nameView.substr(name.size() - extension.size());
    const std::string_view digits = nameView.substr(root.size(), name.size() - root.size() - extension.size());
    if (SameExtension(tail, extension) && AllDigits(digits)) {
      const int caseRank = tail == extension ? 0 : 1;
      int value = -1;
      const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (digits.empty()) {
        offer(-1, MatchRank{0, caseRank, 0, 0});
      } else if (status == std::errc()) {
        // Among widths, four digits is the most common padding of frame numbers.
        const int width = int(digits.size());
        offer(value, MatchRank{0, caseRank, std::abs(width - 4), width});
      }
    }
  }
  // Digits inside the name, as in "shot0012.z.tga": the analysis gives the same root and
  // number as it gave for the name the caller started from.
  const CFileInfo info(name);
  const std::string nameExtension = info.GetExtension();
  if (!SameExtension(nameExtension, extension)) return;
  const FrameDigits digits = AnalyseFrameDigits(info.GetNameWithoutExt());
  if (digits.atEnd || digits.number < 0 || digits.root != root) return;
  offer(digits.number, MatchRank{1, nameExtension == extension ? 0 : 1, std::abs(digits.width - 4), digits.width});
}

// The best file of each frame number for one root and extension.
using MatchIndex = std::map<int, Candidate>;

MatchIndex BuildIndex(const std::vector<std::string>& names, const std::string& root, const std::string& extension) {
  MatchIndex index;
  for (const std::string& name : names) AddCandidates(name, root, extension, index);
  return index;
}

// What the scopes open on a thread have learned about folders. Each thread has its own: a scope
// is opened and closed by one call on one thread, and two renders on two threads list their
// folders apart.
struct ListingCache {
  int depth = 0;
  std::map<std::string, std::optional<std::vector<std::string>>> listings;
  std::map<std::tuple<std::string, std::string, std::string>, MatchIndex> indexes;
};

ListingCache& Cache() {
  thread_local ListingCache cache;
  return cache;
}

std::optional<std::vector<std::string>> ListFiles(const std::string& folder) {
  ListingCache& cache = Cache();
  if (cache.depth == 0) return ReadFolder(folder);
  auto found = cache.listings.find(folder);
  if (found == cache.listings.end()) found = cache.listings.emplace(folder, ReadFolder(folder)).first;
  return found->second;
}

const std::vector<std::string>* CachedListing(const std::string& folder) {
  ListingCache& cache = Cache();
  auto found = cache.listings.find(folder);
  if (found == cache.listings.end()) found = cache.listings.emplace(folder, ReadFolder(folder)).first;
  return found->second ? &*found->second : nullptr;
}

}  // namespace

namespace CFileIo {

ListingScope::ListingScope() { ++Cache().depth; }

ListingScope::~ListingScope() {
  ListingCache& cache = Cache();
  if (--cache.depth > 0) return;
  cache.listings.clear();
  cache.indexes.clear();
}

std::string FindMatchingFile(const std::string& folder, const std::string& root,
                             const std::string& extension, int number) {
  ListingCache& cache = Cache();
  MatchIndex once;
  const MatchIndex* index = nullptr;
  if (cache.depth > 0) {
    auto key = std::make_tuple(folder, root, extension);
    auto found = cache.indexes.find(key);
    if (found == cache.indexes.end()) {
      const std::vector<std::string>* names = CachedListing(folder);
      found = cache.indexes.emplace(key, names ? BuildIndex(*names, root, extension) : MatchIndex()).first;
    }
    index = &found->second;
  } else {
    const std::optional<std::vector<std::string>> names = ReadFolder(folder);
    if (!names) return std::string();
    once = BuildIndex(*names, root, extension);
    index = &once;
  }
  auto match = index->find(number < 0 ? -1 : number);
  return match == index->end() ? std::string() : WithTrailingSeparator(folder) + match->second.name;
}

bool GetFileList(const std::string& chosenFile, const std::function<bool(const std::string&)>& keep,
                 std::vector<std::string>& names) {
  names.clear();
  const CFileInfo chosen(chosenFile);
  const std::string folder = chosen.GetPath();
  const std::optional<std::vector<std::string>> files = ListFiles(folder);
  if (!files) return false;

  const FrameDigits chosenDigits = AnalyseFrameDigits(chosen.GetNameWithoutExt());
  if (chosenDigits.number < 0) {
    if (fileExists(chosenFile) && (!keep || keep(chosenFile))) names.push_back(chosen.GetCompleteName());
    return true;
  }

  const std::string extension = chosen.GetExtension();
  std::vector<std::pair<int, std::string>> frames;
  for (const std::string& name : *files) {
    const CFileInfo info(name);
    if (!SameExtension(info.GetExtension(), extension)) continue;
    const FrameDigits digits = AnalyseFrameDigits(info.GetNameWithoutExt());
    if (digits.number < 0 || digits.root != chosenDigits.root) continue;
    if (keep && !keep(folder + name)) continue;
    frames.emplace_back(digits.number, name);
  }
  // By frame number (9 before 10), then by name for files that share a number.
  std::sort(frames.begin(), frames.end());
  for (auto& frame : frames) names.push_back(std::move(frame.second));
  return true;
}

}  // namespace CFileIo
