#include "platform/framework/FileIo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
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
std::optional<std::vector<std::string>> ListFiles(const std::string& folder) {
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

// How well a file name answers root + number + extension; lower ranks are better, nothing
// means no match.
using MatchRank = std::tuple<int, int, int, int>;

std::optional<MatchRank> RankMatch(const std::string& name, const std::string& root,
                                   const std::string& extension, int number) {
  // The usual form: root, then the digits, then the extension.
  if (name.size() >= root.size() + extension.size() && name.compare(0, root.size(), root) == 0) {
    const std::string_view nameView(name);
    const std::string_view tail = nameView.substr(name.size() - extension.size());
    const std::string_view digits =
        nameView.substr(root.size(), name.size() - root.size() - extension.size());
    if (SameExtension(tail, extension) && AllDigits(digits)) {
      const int caseRank = tail == extension ? 0 : 1;
      if (number < 0 && digits.empty()) return MatchRank{0, caseRank, 0, 0};
      int value = -1;
      const auto [end, status] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
      if (number >= 0 && !digits.empty() && status == std::errc() && value == number) {
        // Among widths, four digits is the most common padding of frame numbers.
        const int width = int(digits.size());
        return MatchRank{0, caseRank, std::abs(width - 4), width};
      }
    }
  }
  if (number < 0) return std::nullopt;

  // Digits inside the name, as in "shot0012.z.tga": the analysis gives the same root and
  // number as it gave for the name the caller started from.
  const CFileInfo info(name);
  const std::string nameExtension = info.GetExtension();
  if (!SameExtension(nameExtension, extension)) return std::nullopt;
  const FrameDigits digits = AnalyseFrameDigits(info.GetNameWithoutExt());
  if (digits.atEnd || digits.number != number || digits.root != root) return std::nullopt;
  return MatchRank{1, nameExtension == extension ? 0 : 1, std::abs(digits.width - 4), digits.width};
}

}  // namespace

namespace CFileIo {

std::string FindMatchingFile(const std::string& folder, const std::string& root,
                             const std::string& extension, int number) {
  const std::optional<std::vector<std::string>> names = ListFiles(folder);
  if (!names) return std::string();

  const std::string* best = nullptr;
  MatchRank bestRank{};
  for (const std::string& name : *names) {
    const std::optional<MatchRank> rank = RankMatch(name, root, extension, number);
    if (!rank) continue;
    // Equal ranks fall back to the name, so that the answer does not depend on the order
    // in which the folder lists its files.
    if (!best || *rank < bestRank || (*rank == bestRank && name < *best)) {
      best = &name;
      bestRank = *rank;
    }
  }
  return best ? WithTrailingSeparator(folder) + *best : std::string();
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
