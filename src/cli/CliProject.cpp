#include "cli/CliProject.h"

#include <cstdio>
#include <filesystem>

#include "filters/FilterRegistry.h"

std::optional<uint32_t> FilterIdFromName(const std::string& name) {
  if (const FilterEntry* filter = FindFilterByCliName(name)) return filter->description.id;
  return std::nullopt;
}

std::string FilterNames() { return FilterCliNames("|"); }

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
  // What went wrong was told already (one line naming the project); otherwise say it here.
  if (ui.HasComplained()) {
    ui.Flush();
    return false;
  }
  Fail("cannot open " + path + (session.Document().GetLastError().empty() ? "" : ": " + session.Document().GetLastError()));
  return false;
}

bool CliProject::Save(const std::string& path) {
  if (session.Document().OnSaveDocument(AbsolutePath(path))) return true;
  Fail("cannot save " + path + ": " + session.Document().GetLastError());
  return false;
}
