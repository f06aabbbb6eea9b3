#include "tools/AnimationActions.h"

#include <algorithm>
#include <charconv>

#include "filters/DepthFilterCommand.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/StringTable.h"
#include "project/ProjectData.h"

namespace {
// What Undo says it takes back.

// A whole number and nothing else, as the label's text must be.
bool ParseLabel(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty();
}
}  // namespace

KeyframeTrack& AnimationActions::Track() const { return project_.Model().Track(); }

int AnimationActions::GetCurrentFrame() const { return Track().GetCurrentFrame(); }

int AnimationActions::GetRowCount() const {
  if (Track().GetCount() == 0) return 0;
  if (Track().GetMode() == kSequenceMode) return project_.Model().GetImageCount();
  return project_.Model().GetLastFrame() + 1;
}

bool AnimationActions::IsKeyframe(int row) const { return Track().FindKeyframe(row) != -1; }

std::string AnimationActions::GetRowName(int row) const {
  if (Track().GetMode() == kSequenceMode) return CFileInfo(project_.Model().GetImageName(row)).GetCompleteName();
  if (row == 0) return project_.UI().Text(kFirstFrameName);
  if (row == GetRowCount() - 1) return project_.UI().Text(kLastFrameName);
  return {};
}

bool AnimationActions::CanAddKeyframe() const {
  if (!project_.GetFilter()) return false;
  const int frame = GetCurrentFrame();
  return !IsKeyframe(frame) || (Track().GetMode() == kSingleImageMode && frame == 0);
}

bool AnimationActions::CanCopyPrevious() const { return GetCurrentFrame() != 0 && IsKeyframe(GetCurrentFrame()); }
bool AnimationActions::CanDeleteKeyframe() const { return CanCopyPrevious(); }
bool AnimationActions::CanDeleteAll() const { return Track().GetCount() > 1; }

// The filter shows the settings the track now gives for the current frame (kept within the
// animation), the view follows, and the change becomes one undo step.
void AnimationActions::FinishEdit(int nameId) {
  const int frame = std::min(GetCurrentFrame(), std::max(0, project_.Model().GetLastFrame()));
  project_.GoToFrame(frame, true);
  project_.History().NameNextChange(nameId);
  project_.NotifyChanged(kChangeSettings);
}

bool AnimationActions::AddKeyframe() {
  DepthFilterCommand* filter = CurrentFilterCommand(project_);
  if (!filter || !CanAddKeyframe()) return false;
  if (Track().GetCount() == 1 && Track().GetMode() == kSingleImageMode) {
    Track().SetKeyframe(1, filter->GetCurrentSettings());
    project_.GoToFrame(1, false);
    FinishEdit(kAddChange);
    return true;
  }
  Track().SetKeyframe(GetCurrentFrame(), filter->GetCurrentSettings());
  FinishEdit(kAddChange);
  return false;
}

void AnimationActions::CopyPreviousKeyframe() {
  if (!CanCopyPrevious()) return;
  const int index = Track().FindKeyframe(GetCurrentFrame());
  Track().SetKeyframe(GetCurrentFrame(), *Track().GetAt(index - 1));
  FinishEdit(kCopyChange);
}

void AnimationActions::DeleteKeyframe() {
  if (!CanDeleteKeyframe()) return;
  Track().RemoveKeyframe(GetCurrentFrame());
  if (Track().GetMode() == kSingleImageMode) project_.GoToFrame(0, false);
  FinishEdit(kDeleteChange);
}

void AnimationActions::DeleteAllKeyframes() {
  if (!CanDeleteAll()) return;
  while (Track().GetCount() > 1) Track().RemoveKeyframe(Track().GetAt(Track().GetCount() - 1)->GetFrameNumber());
  FinishEdit(kDeleteAllChange);
}

bool AnimationActions::CanEditLabel(int row) const {
  return Track().GetMode() == kSingleImageMode && row > 0 && IsKeyframe(row);
}

bool AnimationActions::EditLabel(int row, const std::string& text) {
  int frame = 0;
  if (!CanEditLabel(row) || !ParseLabel(text, frame) || frame < 1 || frame > kMaxSingleImageFrame) return false;
  // The edited keyframe's own settings go to the new frame (they are the filter's current
  // settings when, as usual, the edited row is the current frame).
  auto settings = Track().GetAt(Track().FindKeyframe(row))->Clone();
  if (Track().IndexAtOrAfter(frame) == -1) {
    Track().RemoveKeyframe(row);
  } else {
    const int first = Track().IndexAtOrAfter(frame);
    while (Track().GetCount() > first) Track().RemoveKeyframe(Track().GetAt(first)->GetFrameNumber());
  }
  Track().SetKeyframe(frame, *settings);
  FinishEdit(kLengthChange);
  return true;
}

bool AnimationActions::CanDrag(int row) const {
  if (!IsKeyframe(row)) return false;
  return Track().GetMode() != kSingleImageMode || project_.Model().GetLastFrame() != 0;
}

bool AnimationActions::CopyKeyframe(int fromRow, int toRow) {
  if (fromRow == toRow || !CanDrag(fromRow) || toRow < 0 || toRow >= GetRowCount()) return false;
  auto source = Track().GetAt(Track().FindKeyframe(fromRow))->Clone();
  Track().SetKeyframe(toRow, *source);
  FinishEdit(kCopyChange);
  return true;
}

bool AnimationActions::SelectFrame(int row) {
  if (row == GetCurrentFrame()) return true;
  return project_.GoToFrame(row, false) == row;
}
