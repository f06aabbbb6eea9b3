#include "tools/RenderOptions.h"

#include <algorithm>
#include <cstdlib>

#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"

RenderOptions::RenderOptions(int frameCount) : frameCount_(std::max(frameCount, 1)) {
  CCustomData record;
  record.LoadFromPrefs(kPrefsApplication, kRenderOptionsPrefsRecord);
  const uint32_t mode = record.GetUInt(kRenderModeKey, uint32_t(RenderRangeMode::Current));
  mode_ = mode <= uint32_t(RenderRangeMode::Range) ? RenderRangeMode(mode) : RenderRangeMode::Current;
  // A remembered range may belong to a longer animation; numbers beyond an int (a store edited
  // by hand) are beyond the last frame too.
  const uint32_t lastFrame = uint32_t(frameCount_ - 1);
  first_ = int(std::min(record.GetUInt(kRenderFirstFrameKey, 0), lastFrame));
  last_ = int(std::min(record.GetUInt(kRenderLastFrameKey, lastFrame), lastFrame));
}

int RenderOptions::GetFramesNumber() const { return std::abs(last_ - first_) + 1; }

void RenderOptions::SetFirst(int first) { first_ = std::clamp(first, 0, frameCount_ - 1); }
void RenderOptions::SetLast(int last) { last_ = std::clamp(last, 0, frameCount_ - 1); }

bool RenderOptions::Store() const {
  CCustomData record;
  record.SetUInt(kRenderFirstFrameKey, uint32_t(first_));
  record.SetUInt(kRenderLastFrameKey, uint32_t(last_));
  record.SetUInt(kRenderModeKey, uint32_t(mode_));
  return record.SaveToPrefs(kPrefsApplication, kRenderOptionsPrefsRecord);
}
