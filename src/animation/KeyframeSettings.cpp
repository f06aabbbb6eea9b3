#include "animation/KeyframeSettings.h"

#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/RecordKeys.h"

void KeyframeSettings::Reset(const CLayerBitmap&) { frameNumber_ = 0; }

void KeyframeSettings::Serialize(CArchive& archive) {
  CCustomData base;
  CCustomData own;
  if (archive.IsStoring()) {
    base.SetInt(kKeyframeFrameNumberKey, frameNumber_);
    base.Serialize(archive);
    StoreRecord(own);
    own.Serialize(archive);
    return;
  }
  base.Serialize(archive);
  frameNumber_ = base.GetInt(kKeyframeFrameNumberKey, 0);
  own.Serialize(archive);
  LoadRecord(own);
}
