#pragma once
// Options of the zone filters. They hold for every frame (they are not keyframed) and live in
// the command's options record, one Bool entry per option in a fixed order.

class CArchive;
class CCustomData;

// Z Saturation and Z Luminance.
struct ZoneOptions {
  bool InvertZone = false;       // 'INVE': the zone takes the effect, the points give it back
  bool RaiseBackground = false;  // 'BACK': behind the zone the value grows instead of falling
  bool RaiseForeground = false;  // 'FORE': in front of the zone the value grows instead of falling

  // 'INVE', 'BACK', 'FORE' in this order; a missing key reads as false.
  void StoreRecord(CCustomData& record) const;
  void LoadRecord(const CCustomData& record);
  void Serialize(CArchive& archive);
};

// Z Hue has no raise options.
struct ZHueOptions {
  bool InvertZone = false;  // 'INVE'

  void StoreRecord(CCustomData& record) const;
  void LoadRecord(const CCustomData& record);
  void Serialize(CArchive& archive);
};
