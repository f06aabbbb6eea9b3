// Choosing, activating and closing the project's filter, and what follows a change.

#include "project/ProjectFilter.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/framework/WorkAside.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"
#include "platform/framework/Progress.h"
#include "project/ProgramDialogs.h"

namespace {


// The settings start from the image's depth range: measuring a big frame's takes a good part
// of a second, done aside. The settings and the image are the project's: waited for to the end.
void ResetFromImage(KeyframeSettings& settings, const CLayerBitmap& image) {
  if (!IsBigFrame(image)) {
    settings.Reset(image);
    return;
  }
  RunAside<bool>(
      LoadString(kMeasuringDepths),
      [&settings, &image] {
        settings.Reset(image);
        return true;
      },
      Giving::NeverUp);
}

std::string RequiredLayersText(uint32_t mask) {
  std::string text;
  if (mask & kRgbBitmap) text += LoadString(kRgbLayerLine);
  if (mask & kDepthBitmap) text += LoadString(kDepthLayerLine);
  return text;
}

}  // namespace

bool ProjectData::ChooseFilter() {
  if (!frame_) return false;
  std::vector<ProjectFilter*> filters = frame_->GetFilters();
  std::vector<FilterChoiceItem> items;
  for (ProjectFilter* f : filters) {
    items.push_back({f->GetName(), f->GetHelp(2), RequiredLayersText(f->GetRequiredLayers()), f->GetVersion(),
                     f->GetID()});
  }
  int chosen = Dialogs().ChooseFilter(items);
  if (chosen < 0 || chosen >= int(filters.size())) return false;
  return ActivateFilter(filters[size_t(chosen)]);
}

bool ProjectData::ActivateFilter(ProjectFilter* filter) {
  if (!filter || !frame_) return false;
  filter_ = filter;
  if (!frame_->RunCommand(filter->GetID(), 0, 0)) {
    filter_ = nullptr;
    return false;
  }
  SetProgressFilterName(filter->GetName());
  frame_->ShowProjectMenus(true);
  SetViewMode(kViewImage, true, true);

  KeyframeSettings& settings = filter->GetCurrentSettings();
  if (track_.GetCount() == 0) {
    if (!currentImage_) {
      // Without an image there is no depth range to start the settings from.
      frame_->CloseCommands(5);
      filter_ = nullptr;
      return false;
    }
    ResetFromImage(settings, *currentImage_);
    track_.SetKeyframe(0, settings);
  }
  track_.SetCurrentFrame(0, true);
  MarkModified(true);
  ResetHistory(false);
  return true;
}

void ProjectData::CloseProject(ProjectFilter* filter) {
  displayedTransparent_ = false;
  View().SetDisplayedImage(nullptr);
  if (filter && frame_) {
    frame_->CloseCommands(5);
    frame_->ShowProjectMenus(false);
  }
  filter_ = nullptr;
  SetFrameImage(nullptr, {});
  currentImagePath_.clear();
  lastResult_.reset();
  displayedImage_.reset();
  viewMode_ = 0;
  track_.RemoveAll();
  track_.ResetCurrentFrame(0);
  track_.SetMode(kSingleImageMode);
  ResetHistory(false);
  // What named the old project's files must not leak into the next one, also when it failed
  // to open before its filter was active.
  frames_.Clear();
  savedCurrentFrame_ = 0;
}

void ProjectData::NotifyChanged(int kind) {
  View().ClearOverlay();
  if (kind == kChangeSettings && filter_ && track_.FindKeyframe(track_.GetCurrentFrame()) != -1) {
    track_.SetKeyframe(track_.GetCurrentFrame(), filter_->GetCurrentSettings());
  }
  if (kind != kChangeFrame) RecordChange();
  // After the undo step exists, so that the window following the flag offers it at once.
  MarkModified(true);
  if (kind == kChangeModifiedOnly) return;
  if (viewMode_ == kViewFilterPreview) SetViewMode(kViewFilterPreview, true, true);
  else if (kind == kChangeFrame) SetViewMode(viewMode_, true, true);
  else if (viewMode_ == kViewLastResult) SetViewMode(kViewImage, true, false);
}
