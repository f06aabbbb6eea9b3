#include "filters/zone/ZoneOptions.h"

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {
constexpr uint32_t kInvertZoneKey = FourCC("INVE");
constexpr uint32_t kRaiseBackgroundKey = FourCC("BACK");
constexpr uint32_t kRaiseForegroundKey = FourCC("FORE");

bool GetOption(const CCustomData& record, uint32_t key) { return record.GetBool(key, 0) != 0; }
}  // namespace

void ZoneOptions::StoreRecord(CCustomData& record) const {
  record.SetBool(kInvertZoneKey, InvertZone);
  record.SetBool(kRaiseBackgroundKey, RaiseBackground);
  record.SetBool(kRaiseForegroundKey, RaiseForeground);
}

void ZoneOptions::LoadRecord(const CCustomData& record) {
  InvertZone = GetOption(record, kInvertZoneKey);
  RaiseBackground = GetOption(record, kRaiseBackgroundKey);
  RaiseForeground = GetOption(record, kRaiseForegroundKey);
}

void ZHueOptions::StoreRecord(CCustomData& record) const { record.SetBool(kInvertZoneKey, InvertZone); }

void ZHueOptions::LoadRecord(const CCustomData& record) { InvertZone = GetOption(record, kInvertZoneKey); }
