#include "cli/CliProject.h"

#include <cstdio>
#include <filesystem>

#include "platform/framework/FourCC.h"

namespace {

struct FilterName {
  const char* name;
  uint32_t id;
};

constexpr FilterName kFilterNames[] = {
    {"dof", FourCC("FXDE")}, {"zsat", FourCC("FXDS")}, {"zlum", FourCC("FXDL")},
    {"zhue", FourCC("FXDH")}, {"fog", FourCC("FXDF")},
};

}  // namespace

std::optional<uint32_t> FilterIdFromName(const std::string& name) {
  for (const auto& f : kFilterNames) {
    if (name == f.name) return f.id;
  }
  return std::nullopt;
}

std::string FilterNames() {
  std::string names;
  for (const auto& f : kFilterNames) {
    if (!names.empty()) names += '|';
    names += f.name;
  }
  return names;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  auto absolute = std::filesystem::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "fovara-render: %s\n", message.c_str());
  return 1;
}

bool CliProject::Open(const std::string& path) {
  if (!std::filesystem::is_regular_file(path)) {
    Fail(path + ": no such project file");
    return false;
  }
  if (session.Document().OnOpenDocument(AbsolutePath(path))) return true;
  Fail("cannot open " + path + (session.Document().GetLastError().empty() ? "" : ": " + session.Document().GetLastError()));
  return false;
}

bool CliProject::Save(const std::string& path) {
  if (session.Document().OnSaveDocument(AbsolutePath(path))) return true;
  Fail("cannot save " + path + ": " + session.Document().GetLastError());
  return false;
}
