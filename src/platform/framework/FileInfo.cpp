#include "platform/framework/FileInfo.h"

#include <charconv>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Position just after the last folder separator (0 when there is none).
size_t NameStart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's dot inside name, or npos. "." and ".." are folders and a
// leading dot belongs to the name.
size_t ExtensionDot(std::string_view name) {
  if (name == "." || name == "..") return std::string_view::npos;
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return std::string_view::npos;
  return dot;
}

}  // namespace

FrameDigits AnalyseFrameDigits(std::string_view baseName) {
  FrameDigits result;
  result.root = std::string(baseName);

  size_t end = baseName.size();
  while (end > 0 && !IsDigit(baseName[end - 1])) --end;
  if (end == 0) return result;
  size_t begin = end;
  while (begin > 0 && IsDigit(baseName[begin - 1])) --begin;

  int number = 0;
  const char* first = baseName.data() + begin;
  const char* last = baseName.data() + end;
  // from_chars reports a value too large for an int instead of wrapping: such a run is a
  // stamp of some kind, and the name is then treated as having no frame number.
  const auto [ptr, error] = std::from_chars(first, last, number);
  if (error != std::errc() || ptr != last) return result;

  result.number = number;
  result.width = int(end - begin);
  result.atEnd = end == baseName.size();
  result.root = std::string(baseName.substr(0, begin)) + std::string(baseName.substr(end));
  return result;
}

void CFileInfo::Init(const std::string& path) { path_ = path; }

std::string CFileInfo::GetPath() const { return path_.substr(0, NameStart(path_)); }

std::string CFileInfo::GetCompleteName() const { return path_.substr(NameStart(path_)); }

std::string CFileInfo::GetNameWithoutExt() const {
  const std::string name = GetCompleteName();
  const size_t dot = ExtensionDot(name);
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string CFileInfo::GetExtension() const {
  const std::string name = GetCompleteName();
  const size_t dot = ExtensionDot(name);
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string CFileInfo::GetDigitInfo(int& number, int& width, int /*mode*/) const {
  const FrameDigits digits = AnalyseFrameDigits(GetNameWithoutExt());
  number = digits.number;
  width = digits.width;
  return digits.root;
}
