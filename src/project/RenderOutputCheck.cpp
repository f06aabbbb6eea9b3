#include "project/RenderOutputCheck.h"

#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include <sys/stat.h>

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileIo.h"
#include "platform/framework/StringTable.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectModel.h"

namespace fs = std::filesystem;

namespace {


// One spelling per file: complete, "." and ".." removed, links of the existing part followed.
std::string Normalised(const std::string& path) {
  std::error_code error;
  fs::path complete = fs::weakly_canonical(fs::absolute(path, error), error);
  return error ? fileMakeAbsolute(path) : complete.lexically_normal().string();
}

// An existing file's identity, whatever name reaches it (a hard link, another mount).
using FileIdentity = std::pair<dev_t, ino_t>;
std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{status.st_dev, status.st_ino};
}

}  // namespace

int OutputNumberOf(const ProjectModel& project, int frame) {
  int number = 0;
  return project.GetOutputNumber(frame, number) ? number : -1;
}

std::string FrameFileAt(const ProjectModel& project, const C2DIo& output, int frame) {
  return output.GetFrameFileName(OutputNumberOf(project, frame));
}

std::vector<ProjectInput> ProjectInputs(const ProjectModel& project) {
  std::vector<ProjectInput> inputs;
  std::set<std::string> listed;
  auto add = [&](const std::string& path, InputKind kind) {
    if (path.empty() || !listed.insert(Normalised(path)).second) return;
    inputs.push_back({fileMakeAbsolute(path), kind});
  };
  // The depth files of a long sequence are found in one listing of their folder.
  CFileIo::ListingScope listing;
  const std::string folder = project.ResolveImageFolder();
  for (const std::string& name : project.Frames().GetImageNames()) {
    const std::string image = folder + name;
    add(image, InputKind::Image);
    add(project.DepthFileFor(image), InputKind::DepthFile);
  }
  if (const FilterOptions* options = project.Options()) {
    for (const std::string& file : options->InputFiles()) add(file, InputKind::Diaph);
  }
  return inputs;
}

std::optional<OutputClash> FindInputOverwrite(const ProjectModel& project, const C2DIo& output, int first, int last) {
  const std::vector<ProjectInput> inputs = ProjectInputs(project);
  std::map<std::string, size_t> byName;
  std::map<FileIdentity, size_t> byIdentity;
  for (size_t i = 0; i < inputs.size(); ++i) {
    byName.emplace(Normalised(inputs[i].path), i);
    if (auto identity = IdentityOf(inputs[i].path)) byIdentity.emplace(*identity, i);
  }
  for (int frame = first; frame <= last; ++frame) {
    const std::string file = FrameFileAt(project, output, frame);
    auto named = byName.find(Normalised(file));
    if (named != byName.end()) return OutputClash{fileMakeAbsolute(file), inputs[named->second]};
    if (auto identity = IdentityOf(file)) {
      auto same = byIdentity.find(*identity);
      if (same != byIdentity.end()) return OutputClash{fileMakeAbsolute(file), inputs[same->second]};
    }
  }
  return std::nullopt;
}

std::vector<std::string> ExistingFrameFiles(const ProjectModel& project, const C2DIo& output, int first, int last) {
  std::vector<std::string> existing;
  for (int frame = first; frame <= last; ++frame) {
    std::string file = FrameFileAt(project, output, frame);
    if (fileExists(file)) existing.push_back(std::move(file));
  }
  return existing;
}

std::string DescribeClash(Language language, const OutputClash& clash) {
  const int word = clash.input.kind == InputKind::Image       ? kImageWord
                   : clash.input.kind == InputKind::DepthFile ? kDepthFileWord
                                                              : kDiaphWord;
  return FormatString(language, kClashText, clash.frameFile, LoadString(language, word));
}
