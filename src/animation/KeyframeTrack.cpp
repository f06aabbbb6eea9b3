#include "animation/KeyframeTrack.h"

#include <algorithm>

#include "animation/FilterTypes.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"

int KeyframeTrack::FindKeyframe(int frame) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (keyframes_[size_t(i)]->GetFrameNumber() == frame) return i;
  }
  return -1;
}

int KeyframeTrack::IndexAtOrBefore(int frame) const {
  for (int i = 0; i < GetCount(); ++i) {
    int f = keyframes_[size_t(i)]->GetFrameNumber();
    if (f == frame) return i;
    if (f > frame) return i - 1;
  }
  return GetCount() - 1;
}

int KeyframeTrack::IndexAtOrAfter(int frame) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (keyframes_[size_t(i)]->GetFrameNumber() >= frame) return i;
  }
  return -1;
}

void KeyframeTrack::SetKeyframe(int frame, const KeyframeSettings& settings) {
  int i = FindKeyframe(frame);
  if (i == -1) {
    i = IndexAtOrBefore(frame) + 1;
    keyframes_.insert(keyframes_.begin() + i, settings.Clone());
  }
  keyframes_[size_t(i)]->CopyFrom(settings);
  keyframes_[size_t(i)]->SetFrameNumber(frame);
}

void KeyframeTrack::RemoveKeyframe(int frame) {
  int i = FindKeyframe(frame);
  if (i != -1) keyframes_.erase(keyframes_.begin() + i);
}

void KeyframeTrack::GetSettingsAt(KeyframeSettings& out, int frame, const CLayerBitmap* image,
                                  const DepthRange* range) const {
  int a = IndexAtOrBefore(frame);
  int b = IndexAtOrAfter(frame);
  if (a == -1) a = b;  // a frame before the first keyframe takes the first keyframe
  if (b == -1) b = a;
  if (a == -1) return;  // an empty track leaves the settings as they are
  const KeyframeSettings& earlier = *keyframes_[size_t(a)];
  const KeyframeSettings& later = *keyframes_[size_t(b)];
  // Differences of frame numbers read from a file may not fit an int.
  int64_t span = int64_t(later.GetFrameNumber()) - earlier.GetFrameNumber();
  double t = span == 0 ? 1.0 : double(int64_t(frame) - earlier.GetFrameNumber()) / double(span);
  // Sorted keyframes give t within 0..1; a file whose keyframes are out of order must not
  // extrapolate settings beyond both keyframes.
  t = std::clamp(t, 0.0, 1.0);
  out.InterpolateInRange(image, range, earlier, later, t);
}

void KeyframeTrack::Serialize(CArchive& archive) {
  CCustomData header;
  if (archive.IsStoring()) {
    header.SetInt(kTrackCountKey, GetCount());
    header.SetInt(kTrackCurrentFrameKey, currentFrame_);
    header.SetInt(kTrackModeKey, mode_);
    header.Serialize(archive);
    for (auto& keyframe : keyframes_) {
      archive.WriteU32(keyframe->GetTypeCode());
      keyframe->Serialize(archive);
    }
    return;
  }
  header.Serialize(archive);
  int count = header.GetInt(kTrackCountKey, 0);
  currentFrame_ = header.GetInt(kTrackCurrentFrameKey, 0);
  mode_ = header.GetInt(kTrackModeKey, kSingleImageMode);
  std::vector<std::unique_ptr<KeyframeSettings>> read;
  // Each keyframe takes at least its type code: a count beyond the bytes left is malformed.
  if (count < 0) throw ArchiveError("negative keyframe count");
  archive.Require(size_t(count) * 4);
  while (int(read.size()) < count) {
    auto keyframe = CreateSettingsOfType(archive.ReadU32());
    if (!keyframe) continue;  // a code no filter uses: its four bytes are skipped
    keyframe->Serialize(archive);
    read.push_back(std::move(keyframe));
  }
  keyframes_ = std::move(read);
}
