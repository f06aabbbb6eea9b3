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
  try {
    OpenProjectFile(AbsolutePath(path), model);
  } catch (const ProjectFileError& e) {
    Fail(path + ": " + e.what());
    return false;
  } catch (const std::exception& e) {
    Fail(path + ": the project file is damaged or of another kind (" + std::string(e.what()) + ")");
    return false;
  }
  const std::vector<std::string> missing = model.FramesWithoutFiles();
  if (!missing.empty()) {
    std::string names;
    for (const std::string& name : missing) names += " " + name;
    Fail(path + ": " + ui.Text(kProjectCannotOpenedImage) + names);
    return false;
  }
  return true;
}

bool CliProject::Save(const std::string& path) {
  const std::string failure = SaveProjectFile(model, AbsolutePath(path));
  if (failure.empty()) return true;
  Fail("cannot save " + path + ": " + failure);
  return false;
}

std::unique_ptr<Frame> CliProject::ReadFrameOf(int frame) {
  const FrameFiles files = model.GetFrameFiles(frame);
  FrameRead read = ReadFrame(files);
  if (!read.frame) Fail(files.imagePath + ": " + read.failure);
  return std::move(read.frame);
}
