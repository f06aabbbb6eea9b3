#include "platform/image/ReaderMessages.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

bool SaysTruncated(const std::string& message) {
  std::string m = message;
  std::transform(m.begin(), m.end(), m.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (const char* hint : {"end of file", "eof", "premature", "truncat", "expected"}) {
    if (m.find(hint) != std::string::npos) return true;
  }
  return false;
}

std::string ShortDetail(std::string message, const std::string& path) {
  message = message.substr(0, message.find('\n'));
  std::string name = std::filesystem::path(path).filename().string();
  for (auto at = message.find(path); at != std::string::npos; at = message.find(path, at + name.size())) {
    message.replace(at, path.size(), name);
  }
  return message;
}

std::string OpenFailure(const std::string& message, const std::string& path, const std::string& formatName) {
  if (SaysTruncated(message)) return "file is truncated";
  return fmt::format("not a readable {} file ({})", formatName, ShortDetail(message, path));
}

std::string ReadFailure(const std::string& message, const std::string& path) {
  if (SaysTruncated(message)) return "file is truncated";
  return fmt::format("cannot read the pixels ({})", ShortDetail(message, path));
}
