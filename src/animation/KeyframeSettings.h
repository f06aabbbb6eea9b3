#pragma once
// The settings of one filter at one frame. Every filter has its own concrete type; the
// keyframe track stores copies of them stamped with their frame numbers.

#include <cstdint>
#include <memory>
#include <string>

class CArchive;
class CCustomData;
class CLayerBitmap;
struct DepthRange;

class KeyframeSettings {
 public:
  explicit KeyframeSettings(uint32_t typeCode) : typeCode_(typeCode) {}
  virtual ~KeyframeSettings() = default;

  int GetFrameNumber() const { return frameNumber_; }
  void SetFrameNumber(int frame) { frameNumber_ = frame; }
  uint32_t GetTypeCode() const { return typeCode_; }

  // Frame number 0, then defaults derived from the current image's depth range (and, for
  // depth of field, its width). Overrides call this first.
  virtual void Reset(const CLayerBitmap& currentImage);
  // Copies the filter fields of another object of the same type; frame number and type code stay.
  virtual void CopyFrom(const KeyframeSettings& other) = 0;
  // A new object of the same type (frame number -1) holding this one's fields.
  virtual std::unique_ptr<KeyframeSettings> Clone() const = 0;
  // The blend of two keyframes at t (0 gives the earlier, 1 the later). The current image may
  // be used to keep depths within its range; it may be null when no image is loaded.
  virtual void Interpolate(const CLayerBitmap* currentImage, const KeyframeSettings& earlier,
                           const KeyframeSettings& later, double t) = 0;
  // The same with the image's depth range measured already (null: not known), so that a big
  // frame is not measured again at every frame change. The same result either way.
  virtual void InterpolateInRange(const CLayerBitmap* currentImage, const DepthRange* range,
                                  const KeyframeSettings& earlier, const KeyframeSettings& later, double t) {
    (void)range;
    Interpolate(currentImage, earlier, later, t);
  }

  // The filter fields as a settings record under their keys, and back (missing keys take
  // their reading defaults).
  virtual void StoreRecord(CCustomData& record) const = 0;
  virtual void LoadRecord(const CCustomData& record) = 0;
  // Every field under its key, also those a project stores only when they are set: what a user
  // may set by key.
  virtual void StoreEveryField(CCustomData& record) const { StoreRecord(record); }

  // Why these values are not ones the filter's panel can give (a blur amount out of its range,
  // a reversed field, a number that is not finite), naming the record keys; empty when they
  // are. For values typed by hand rather than picked on the panel.
  virtual std::string CheckValues() const { return {}; }

  // The base record ('FRNB', the frame number), then the type's own record. Reading errors
  // throw ArchiveError.
  void Serialize(CArchive& archive);

 private:
  int frameNumber_ = -1;
  uint32_t typeCode_;
};
