#include "project/RenderOutputName.h"

#include <regex>

#include "platform/framework/FileInfo.h"
#include "project/ProjectModel.h"

namespace {

// A base such as "shot.v2" has no format extension: only known picture extensions count.
const std::regex& Formats() {
  static const std::regex formats(R"(\.(tga|png|tif|tiff|exr|jpg|jpeg|bmp|rla|qel))", std::regex::icase);
  return formats;
}

}  // namespace

bool IsRenderOutputFormat(const std::string& format) { return std::regex_match("." + format, Formats()); }

std::string RenderOutputName(const std::string& absoluteBase, const std::string& format, const ProjectModel& project) {
  const std::string base = absoluteBase.empty() ? project.OutputBaseName() : absoluteBase;
  CFileInfo info(base);
  const std::string extension = info.GetExtension();
  const bool hasFormat = std::regex_match(extension, Formats());
  const std::string stem = hasFormat ? info.GetPath() + info.GetNameWithoutExt() : base;
  std::string chosen = format;
  if (chosen.empty()) chosen = hasFormat ? extension.substr(1) : CFileInfo(project.GetImageName(0)).GetExtension().substr(1);
  if (!IsRenderOutputFormat(chosen)) chosen = "png";
  return stem + "." + chosen;
}
