#include "cli/ViewCheck.h"

#include <vector>

#include "platform/image/ImageIo.h"

namespace {

std::string ViewList(const std::vector<std::string>& views) {
  if (views.empty()) return " (it is not a stereo image)";
  std::string list;
  for (const auto& v : views) list += (list.empty() ? "" : ", ") + v;
  return " (views: " + list + ")";
}

}  // namespace

std::string MissingViewReason(const std::string& file, const std::string& view) {
  if (view.empty()) return {};
  C2DIo probe(file, kIoWithDepth);
  probe.SetView(view);
  if (!probe.PrepareReading() || probe.GetFileInfo().requestedViewFound) return {};
  return file + ": has no view '" + view + "'" + ViewList(probe.GetFileInfo().views);
}
