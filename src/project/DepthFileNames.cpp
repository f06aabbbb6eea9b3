#include "project/DepthFileNames.h"

#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileIo.h"
#include "platform/image/ImageIo.h"

bool CarriesDepth(const std::string& path) {
  return fileGetClass(path) == kClassRla && rlaIO::HasChannels(path, kDepthBitmap);
}

bool ImageCarriesDepth(const std::string& path) {
  const uint32_t fileClass = fileGetClass(path);
  return (fileClass == kClassRla || fileClass == kClassExr || fileClass == kClassQel) &&
         rlaIO::HasChannels(path, kDepthBitmap);
}

std::vector<std::string> DepthExtensions() {
  std::vector<std::string> list = fileGetExtensionArray(kClassRla);
  list.push_back(fileGetMainExtension(kClassQel));
  list.push_back(fileGetMainExtension(kClassZpic));
  list.push_back(fileGetMainExtension(kClassExr));
  return list;
}

std::string ResolveFolder(const std::string& stored, const std::string& base) {
  if (!PathIsRelative(stored)) return stored;
  std::string canonical = PathCanonicalize(base + stored);
  return canonical.empty() ? stored : canonical;
}

std::string RelativeFolder(const std::string& resolved, const std::string& base) {
  if (base.empty() || PathIsRelative(resolved)) return resolved;
  return fileMakeRelativePath(resolved, base);
}
