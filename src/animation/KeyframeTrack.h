#pragma once
// The project's keyframes: settings objects of the project's filter, sorted by strictly
// increasing frame number, with the current frame and the animation mode. The settings of
// any frame are the linear blend of the keyframes at or before and at or after it.

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/KeyframeSettings.h"

class CArchive;
class CLayerBitmap;

// What the track needs of the project it belongs to.
class KeyframeTrackOwner {
 public:
  virtual ~KeyframeTrackOwner() = default;
  // Loads the frame `to` (for a sequence) and lets the filter follow; false when it failed.
  virtual bool ChangeFrame(int from, int to, bool force) = 0;
  virtual const CLayerBitmap* GetCurrentImage() const = 0;
  // The current image's depth range when it is kept already; null when it must be measured.
  virtual const DepthRange* KnownDepthRange() const { return nullptr; }
  virtual int GetImageCount() const = 0;
};

constexpr int kSingleImageMode = 1;
constexpr int kSequenceMode = 2;

class KeyframeTrack {
 public:
  explicit KeyframeTrack(KeyframeTrackOwner* owner = nullptr) : owner_(owner) {}
  void SetOwner(KeyframeTrackOwner* owner) { owner_ = owner; }

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
  // Fills out with the settings of the frame. The track must hold a keyframe at or before it.
  void GetSettingsAt(KeyframeSettings& out, int frame) const;

  int GetCurrentFrame() const { return currentFrame_; }
  // Changes the current frame through the project; returns the current frame afterwards.
  int SetCurrentFrame(int frame, bool force);
  // Sets the current frame without asking the project (when reading, or after a failure).
  void ResetCurrentFrame(int frame) { currentFrame_ = frame; }
  // Mode 1: the last keyframe's frame number; mode 2: the number of images minus 1.
  int GetLastFrame() const;
  int GetMode() const { return mode_; }
  void SetMode(int mode) { mode_ = mode; }

  // The header record ('KFNB', 'KFCF', 'KFMD'), then per keyframe its raw type code, its
  // base record and its own record. Unknown type codes are skipped on reading.
  void Serialize(CArchive& archive);

 private:
  KeyframeTrackOwner* owner_;
  std::vector<std::unique_ptr<KeyframeSettings>> keyframes_;
  int currentFrame_ = 0;
  int mode_ = kSingleImageMode;
};
