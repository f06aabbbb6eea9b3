#pragma once
// The project's keyframes: settings objects of the project's filter, sorted by strictly
// increasing frame number, with the animation mode and the frame the project stands at. The
// settings of any frame are the linear blend of the keyframes at or before and at or after it,
// answered without changing anything.

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/KeyframeSettings.h"

class CArchive;
class CLayerBitmap;
struct DepthRange;

constexpr int kSingleImageMode = 1;
constexpr int kSequenceMode = 2;

class KeyframeTrack {
 public:
  KeyframeTrack() = default;
  KeyframeTrack(KeyframeTrack&&) noexcept = default;
  KeyframeTrack& operator=(KeyframeTrack&&) noexcept = default;

  int GetCount() const { return int(keyframes_.size()); }
  KeyframeSettings* GetAt(int index) const { return keyframes_[size_t(index)].get(); }
  // Index of the keyframe at that frame; -1 if none.
  int FindKeyframe(int frame) const;
  // Index of the last keyframe at or before the frame; -1 if none.
  int IndexAtOrBefore(int frame) const;
  // Index of the first keyframe at or after the frame; -1 if none.
  int IndexAtOrAfter(int frame) const;

  // Makes the frame a keyframe holding a copy of the settings; an existing keyframe keeps
  // its object and takes the new values.
  void SetKeyframe(int frame, const KeyframeSettings& settings);
  void RemoveKeyframe(int frame);
  void RemoveAll() { keyframes_.clear(); }
  // Fills out with the settings of the frame; an empty track leaves them as they are. The
  // frame's image and its depth range (either may be null) keep the blended depths within the
  // frame's depths.
  void GetSettingsAt(KeyframeSettings& out, int frame, const CLayerBitmap* image, const DepthRange* range) const;

  // The frame the project stands at, as its file keeps it. Only the number: whoever shows the
  // frame loads it.
  int GetCurrentFrame() const { return currentFrame_; }
  void SetCurrentFrame(int frame) { currentFrame_ = frame; }
  int GetMode() const { return mode_; }
  void SetMode(int mode) { mode_ = mode; }

  // The header record ('KFNB', 'KFCF', 'KFMD'), then per keyframe its raw type code, its
  // base record and its own record. Unknown type codes are skipped on reading.
  void Serialize(CArchive& archive);

 private:
  std::vector<std::unique_ptr<KeyframeSettings>> keyframes_;
  int currentFrame_ = 0;
  int mode_ = kSingleImageMode;
};
