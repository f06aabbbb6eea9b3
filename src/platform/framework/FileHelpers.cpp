#include "platform/framework/FileHelpers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <system_error>

#include "platform/framework/FileInfo.h"

namespace fs = std::filesystem;

namespace {

// Picture formats the image library reads here. Movie containers and raw camera files
// are left out on purpose: a frame is never picked from them.
const std::vector<std::string>& PictureExtensions() {
  static const std::vector<std::string> list = {
      ".tga", ".tpic", ".png", ".tif", ".tiff", ".tx", ".jpg", ".jpeg", ".jpe", ".bmp",
      ".dib",  ".hdr", ".rgbe", ".sgi", ".rgb", ".rgba", ".bw", ".pic", ".ppm", ".pgm",
      ".pbm",  ".pnm", ".pfm", ".dpx", ".cin", ".iff", ".psd", ".gif", ".webp", ".jp2",
      ".j2k",  ".ico", ".dds"};
  return list;
}

// Classes with fixed extension lists, main extension first; pictures come last so that a
// depth or project extension is never taken for a picture.
struct ClassExtensions {
  uint32_t fileClass;
  std::vector<std::string> extensions;
};

const std::vector<ClassExtensions>& FixedClasses() {
  static const std::vector<ClassExtensions> table = {
      {kClassRla, {".rla", ".rpf"}},
      {kClassQel, {".qel"}},
      {kClassZpic, {".zpic"}},
      {kClassExr, {".exr"}},
      {kClassProject, {".fvz"}},
  };
  return table;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// The steps of a path between separators, empty steps dropped.
std::vector<std::string> SplitSteps(const std::string& path) {
  std::vector<std::string> steps;
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find('/', begin);
    if (end == std::string::npos) end = path.size();
    if (end > begin) steps.push_back(path.substr(begin, end - begin));
    begin = end + 1;
  }
  return steps;
}

}  // namespace

bool fileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code error;
  return fs::is_regular_file(path, error);
}

uint32_t fileGetClass(const std::string& path) {
  const std::string extension = Lower(CFileInfo(path).GetExtension());
  if (extension.empty()) return kClassUnknown;
  for (const ClassExtensions& entry : FixedClasses())
    if (Contains(entry.extensions, extension)) return entry.fileClass;
  if (Contains(PictureExtensions(), extension)) return kClassPicture;
  return kClassUnknown;
}

std::vector<std::string> fileGetExtensionArray(uint32_t fileClass) {
  if (fileClass == kClassPicture) return PictureExtensions();
  if (fileClass == kClassAllFiles) {
    // Everything a picture or a depth can be read from; project files are not pictures.
    std::vector<std::string> all;
    for (const ClassExtensions& entry : FixedClasses())
      if (entry.fileClass != kClassProject)
        all.insert(all.end(), entry.extensions.begin(), entry.extensions.end());
    all.insert(all.end(), PictureExtensions().begin(), PictureExtensions().end());
    return all;
  }
  for (const ClassExtensions& entry : FixedClasses())
    if (entry.fileClass == fileClass) return entry.extensions;
  return {};
}

std::string fileGetMainExtension(uint32_t fileClass) {
  const std::vector<std::string> extensions = fileGetExtensionArray(fileClass);
  return extensions.empty() ? std::string() : extensions.front();
}

std::string fileStripPath(const std::string& path) { return CFileInfo(path).GetCompleteName(); }

std::string fileStripName(const std::string& path) { return CFileInfo(path).GetPath(); }

std::string fileMakeRelativePath(const std::string& folder, const std::string& base) {
  if (PathIsRelative(folder) || PathIsRelative(base)) return folder;
  const std::string cleanFolder = PathCanonicalize(WithTrailingSeparator(folder));
  const std::string cleanBase = PathCanonicalize(WithTrailingSeparator(base));
  if (cleanFolder.empty() || cleanBase.empty()) return folder;

  const std::vector<std::string> to = SplitSteps(cleanFolder);
  const std::vector<std::string> from = SplitSteps(cleanBase);
  size_t common = 0;
  while (common < to.size() && common < from.size() && to[common] == from[common]) ++common;

  std::string relative;
  for (size_t i = common; i < from.size(); ++i) relative += "../";
  for (size_t i = common; i < to.size(); ++i) relative += to[i] + "/";
  return relative;
}

std::string GetApplicationPath() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  return WithTrailingSeparator(program.parent_path().string());
}

bool PathIsRelative(const std::string& path) { return path.empty() || path.front() != '/'; }

std::string fileMakeAbsolute(const std::string& path) {
  if (!PathIsRelative(path) || path.empty()) return path;
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return path;
  const std::string text = absolute.string();
  const std::string canonical = PathCanonicalize(text);
  return canonical.empty() ? text : canonical;
}

std::string PathCanonicalize(const std::string& path) {
  if (path.empty()) return std::string();
  const bool absolute = path.front() == '/';
  const std::vector<std::string> steps = SplitSteps(path);

  std::vector<std::string> kept;
  for (const std::string& step : steps) {
    if (step == ".") continue;
    if (step == "..") {
      if (kept.empty()) return std::string();  // above the root, or above a relative start
      kept.pop_back();
      continue;
    }
    kept.push_back(step);
  }

  // A path that ended on a separator, "." or ".." names a folder: keep its separator.
  const bool namesFolder = path.back() == '/' || (!steps.empty() && (steps.back() == "." || steps.back() == ".."));
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) result += '/';
    result += kept[i];
  }
  if (namesFolder && !kept.empty()) result += '/';
  return result;
}

std::string WithTrailingSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + '/';
}

bool FileSync::Flush(const std::string& path, bool isFolder) const {
  int fd = ::open(path.c_str(), (isFolder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return false;
  bool flushed = ::fsync(fd) == 0;
  ::close(fd);
  return flushed;
}

std::string ReplaceFileWith(const std::string& temporary, const std::string& target, const FileSync& sync) {
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && ::chmod(temporary.c_str(), existing.st_mode & 07777) != 0) {
    return "cannot keep the permissions of " + target;
  }
  if (!sync.Flush(temporary, false)) return "cannot flush " + temporary + " to disk";
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) return "cannot replace " + target + ": " + error.message();
  // The new name itself is on disk only once its folder is.
  std::string folder = fs::path(target).parent_path().string();
  sync.Flush(folder.empty() ? "." : folder, true);
  return {};
}
