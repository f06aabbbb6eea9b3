#include "platform/image/ImageFormats.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace {

// Plugins that are not picture files: procedural images, terminal output, movies, volumes.
const std::set<std::string> kIgnoredPlugins = {"null", "term", "ffmpeg", "openvdb"};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

// Extension -> plugin, from the library's own list ("openexr:exr,sxr;tiff:tif,tiff;...").
const std::map<std::string, std::string>& PluginsByExtension() {
  static const std::map<std::string, std::string> table = [] {
    std::map<std::string, std::string> t;
    for (const std::string& entry : Split(OIIO::get_string_attribute("extension_list"), ';')) {
      auto colon = entry.find(':');
      if (colon == std::string::npos) continue;
      std::string plugin = entry.substr(0, colon);
      if (kIgnoredPlugins.count(plugin)) continue;
      for (const std::string& ext : Split(entry.substr(colon + 1), ',')) t.emplace(Lower(ext), plugin);
    }
    return t;
  }();
  return table;
}

const std::set<std::string>& WritablePlugins() {
  static const std::set<std::string> plugins = [] {
    std::set<std::string> s;
    for (const std::string& p : Split(OIIO::get_string_attribute("output_format_list"), ',')) {
      if (!kIgnoredPlugins.count(p)) s.insert(p);
    }
    return s;
  }();
  return plugins;
}

std::optional<ImageFileFormat> FindFormat(const std::string& path) {
  std::string ext = FileExtension(path);
  if (ext.empty()) return std::nullopt;
  if (ext == "zpic") return ImageFileFormat{"zpic", ""};
  if (ext == "qel") return ImageFileFormat{"qel", "openexr"};
  // The library knows no .rpf, but the content is RLA.
  if (ext == "rpf") return ImageFileFormat{"rla", "rla"};
  const auto& table = PluginsByExtension();
  auto it = table.find(ext);
  if (it == table.end()) return std::nullopt;
  return ImageFileFormat{it->second, it->second};
}

}  // namespace

std::string FileExtension(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return Lower(name.substr(dot + 1));
}

std::optional<ImageFileFormat> FindReadableFormat(const std::string& path) { return FindFormat(path); }

std::optional<ImageFileFormat> FindWritableFormat(const std::string& path) {
  auto format = FindFormat(path);
  if (!format || format->IsZpic() || WritablePlugins().count(format->plugin)) return format;
  return std::nullopt;
}
