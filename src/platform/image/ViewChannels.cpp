#include "platform/image/ViewChannels.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Views in the order the file gives them: a declared list first, then the parts' own views.
std::vector<std::string> ListViews(const std::vector<PartChannels>& parts) {
  std::vector<std::string> views;
  for (const auto& part : parts) {
    for (const auto& v : part.multiView) {
      if (!v.empty() && !Contains(views, v)) views.push_back(v);
    }
  }
  for (const auto& part : parts) {
    if (!part.view.empty() && !Contains(views, part.view)) views.push_back(part.view);
  }
  return views;
}

// The name a channel of a part without a view of its own has in the given view; empty when it
// belongs to another view.
std::string NameInView(const std::string& channel, const std::vector<std::string>& views, const std::string& view) {
  auto dot = channel.find('.');
  if (dot != std::string::npos && Contains(views, channel.substr(0, dot))) {
    return channel.substr(0, dot) == view ? channel.substr(dot + 1) : std::string();
  }
  return view == views.front() ? channel : std::string();
}

bool IsNamedForDepth(const std::string& partName) {
  std::string leaf = Lower(partName.substr(partName.rfind('.') == std::string::npos ? 0 : partName.rfind('.') + 1));
  return leaf == "depth" || leaf == "z" || leaf == "zdepth";
}

}  // namespace

ViewSelection SelectView(const std::vector<PartChannels>& parts, const std::string& requestedView) {
  ViewSelection selection;
  selection.views = ListViews(parts);
  if (!selection.views.empty()) {
    selection.requestedFound = requestedView.empty() || Contains(selection.views, requestedView);
    selection.view = selection.requestedFound && !requestedView.empty() ? requestedView : selection.views.front();
  } else {
    selection.requestedFound = requestedView.empty();
  }

  // Parts that name another view are left out whole; a view list declared by one part does not
  // make a part of another view shared.
  bool multiPart = parts.size() > 1;
  for (const auto& part : parts) {
    std::vector<std::string> names;
    bool otherView = !part.view.empty() && part.view != selection.view;
    bool ownView = !part.view.empty() && part.view == selection.view;
    for (const auto& channel : part.channels) {
      if (otherView) names.emplace_back();
      else if (ownView || selection.views.empty() || (multiPart && part.multiView.empty())) names.push_back(channel);
      else names.push_back(NameInView(channel, selection.views, selection.view));
    }
    if (!otherView && names.size() == 1 && !names[0].empty() && IsNamedForDepth(part.partName)) names[0] = "depth";
    selection.channels.push_back(std::move(names));
  }
  return selection;
}
