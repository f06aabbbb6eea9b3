// Choosing, activating and closing the project's filter, and what follows a change.

#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "platform/framework/WorkAside.h"
#include "project/ApplicationFrame.h"
#include "project/ProgramDialogs.h"
#include "project/ProjectData.h"
#include "project/ProjectFilter.h"

namespace {

std::string RequiredLayersText(const UserInterface& ui, uint32_t mask) {
  std::string text;
  if (mask & kRgbBitmap) text += ui.Text(kRgbLayerLine);
  if (mask & kDepthBitmap) text += ui.Text(kDepthLayerLine);
  return text;
}

}  // namespace

bool ProjectData::ChooseFilter() {
  if (!frame_) return false;
  std::vector<ProjectFilter*> filters = frame_->GetFilters();
  std::vector<FilterChoiceItem> items;
  const Language language = ui_.GetLanguage();
  for (ProjectFilter* f : filters) {
    items.push_back({f->GetName(language), f->GetHelp(language, kHelpDescription),
                     RequiredLayersText(ui_, f->GetRequiredLayers()), f->GetVersion(), f->GetID()});
  }
  int chosen = Dialogs(ui_).ChooseFilter(items);
  if (chosen < 0 || chosen >= int(filters.size())) return false;
  return ActivateFilter(filters[size_t(chosen)]);
}

// The settings start from the image's depth range: measuring a big frame's takes a good part
// of a second, done aside. The settings and the image are the project's: waited for to the end.
bool ProjectData::StartKeyframes(KeyframeSettings& settings) {
  KeyframeTrack& track = model_.Track();
  if (track.GetCount() != 0) return true;
  // Without an image there is no depth range to start the settings from.
  if (!currentImage_) return false;
  const CLayerBitmap& image = *currentImage_;
  if (!IsBigFrame(image)) {
    settings.Reset(image);
  } else {
    RunAside<bool>(
        ui_, abandoned_, ui_.Text(kMeasuringDepths),
        [&settings, &image] {
          settings.Reset(image);
          return true;
        },
        Giving::NeverUp);
  }
  track.SetKeyframe(0, settings);
  return true;
}

bool ProjectData::ActivateFilter(ProjectFilter* filter) {
  if (!filter || !frame_) return false;
  // The project's options are the filter's from the start: its panel shows them.
  if (model_.GetFilterId() != filter->GetID() && !model_.SetFilter(filter->GetID())) return false;
  filter_ = filter;
  if (!frame_->RunCommand(filter->GetID(), 0, 0)) {
    filter_ = nullptr;
    return false;
  }
  frame_->ShowProjectMenus(true);
  view_.SetViewMode(kViewImage, true, true);
  if (!StartKeyframes(filter->GetCurrentSettings())) {
    frame_->CloseCommands();
    filter_ = nullptr;
    return false;
  }
  GoToFrame(0, true);
  MarkModified(true);
  history_.ResetHistory(false);
  return true;
}

void ProjectData::CloseProject(ProjectFilter* filter) {
  view_.Clear();
  if (filter && frame_) {
    frame_->CloseCommands();
    frame_->ShowProjectMenus(false);
  }
  filter_ = nullptr;
  SetFrameImage(nullptr, {});
  currentImagePath_.clear();
  lastResult_.reset();
  // What named the old project's files must not leak into the next one, also when it failed
  // to open before its filter was active; nor its options (its file diaph, say).
  model_.Clear();
  history_.ResetHistory(false);
}

void ProjectData::NotifyChanged(int kind) {
  Viewport().ClearOverlay();
  KeyframeTrack& track = model_.Track();
  if (kind == kChangeSettings && filter_ && track.FindKeyframe(track.GetCurrentFrame()) != -1) {
    track.SetKeyframe(track.GetCurrentFrame(), filter_->GetCurrentSettings());
  }
  if (kind != kChangeFrame) history_.RecordChange();
  // After the undo step exists, so that the window following the flag offers it at once.
  MarkModified(true);
  if (kind == kChangeModifiedOnly) return;
  const uint32_t mode = view_.GetViewMode();
  if (mode == kViewFilterPreview) view_.SetViewMode(kViewFilterPreview, true, true);
  else if (kind == kChangeFrame) view_.SetViewMode(mode, true, true);
  else if (mode == kViewLastResult) view_.SetViewMode(kViewImage, true, false);
}
