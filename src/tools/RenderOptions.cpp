#include "tools/RenderOptions.h"

#include <algorithm>
#include <cstdlib>

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {
constexpr uint32_t kApplication = FourCC("FOVD");
constexpr uint32_t kRecord = FourCC("RDRO");
constexpr uint32_t kFirstKey = FourCC("FFRM");
constexpr uint32_t kLastKey = FourCC("FLST");
constexpr uint32_t kModeKey = FourCC("RNDM");
}  // namespace

RenderOptions::RenderOptions(int frameCount) : frameCount_(std::max(frameCount, 1)) {
  CCustomData record;
  record.LoadFromPrefs(kApplication, kRecord);
  mode_ = int(record.GetUInt(kModeKey, kCurrentFrame));
  if (mode_ < kFirstFrame || mode_ > kRange) mode_ = kCurrentFrame;
  // A remembered range may belong to a longer animation; numbers beyond an int (a store edited
  // by hand) are beyond the last frame too.
  const uint32_t lastFrame = uint32_t(frameCount_ - 1);
  first_ = int(std::min(record.GetUInt(kFirstKey, 0), lastFrame));
  last_ = int(std::min(record.GetUInt(kLastKey, lastFrame), lastFrame));
}

int RenderOptions::GetFramesNumber() const { return std::abs(last_ - first_) + 1; }

void RenderOptions::SetMode(int mode) {
  if (mode >= kFirstFrame && mode <= kRange) mode_ = mode;
}

void RenderOptions::SetFirst(int first) { first_ = std::clamp(first, 0, frameCount_ - 1); }
void RenderOptions::SetLast(int last) { last_ = std::clamp(last, 0, frameCount_ - 1); }

bool RenderOptions::Store() const {
  CCustomData record;
  record.SetUInt(kFirstKey, uint32_t(first_));
  record.SetUInt(kLastKey, uint32_t(last_));
  record.SetUInt(kModeKey, uint32_t(mode_));
  return record.SaveToPrefs(kApplication, kRecord);
}
