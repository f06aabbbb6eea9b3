#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"

#include <cmath>
#include <utility>

#include <fmt/format.h>

#include "filters/atmosphere/AtmosphereSliders.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/image/DepthRange.h"

namespace {
constexpr uint32_t kStartDepthKey = FourCC("ZFOG");
constexpr uint32_t kDensityKey = FourCC("DENS");
constexpr uint32_t kNearIntensityKey = FourCC("NEAR");
constexpr uint32_t kFarIntensityKey = FourCC("FARI");
constexpr uint32_t kColourKey = FourCC("COLR");
constexpr uint32_t kInForegroundKey = FourCC("FORE");
constexpr uint32_t kWhiteValue = 0xFFFFFF;

float Blend(float earlier, float later, double t) { return float((1.0 - t) * earlier + t * later); }
}  // namespace

void AtmosphericPerspectiveSettings::Reset(const CLayerBitmap& currentImage) {
  KeyframeSettings::Reset(currentImage);
  const DepthRange range = GetDepthRange(currentImage);
  Density = 0.5f;
  NearIntensity = 0.0f;
  FarIntensity = 1.0f;
  StartDepth = range.min + 0.25f * (range.max - range.min);
  Colour = CRGBColor(255, 255, 255);
}

void AtmosphericPerspectiveSettings::CopyFrom(const KeyframeSettings& other) {
  const auto* fog = dynamic_cast<const AtmosphericPerspectiveSettings*>(&other);
  if (!fog) return;
  Density = fog->Density;
  NearIntensity = fog->NearIntensity;
  FarIntensity = fog->FarIntensity;
  StartDepth = fog->StartDepth;
  Colour = fog->Colour;
}

std::unique_ptr<KeyframeSettings> AtmosphericPerspectiveSettings::Clone() const {
  auto copy = std::make_unique<AtmosphericPerspectiveSettings>();
  copy->CopyFrom(*this);
  return copy;
}

void AtmosphericPerspectiveSettings::Interpolate(const CLayerBitmap*, const KeyframeSettings& earlier,
                                                 const KeyframeSettings& later, double t) {
  const auto* a = dynamic_cast<const AtmosphericPerspectiveSettings*>(&earlier);
  const auto* b = dynamic_cast<const AtmosphericPerspectiveSettings*>(&later);
  if (!a || !b) return;
  Density = Blend(a->Density, b->Density, t);
  NearIntensity = Blend(a->NearIntensity, b->NearIntensity, t);
  FarIntensity = Blend(a->FarIntensity, b->FarIntensity, t);
  StartDepth = Blend(a->StartDepth, b->StartDepth, t);
  Colour = BlendColours(a->Colour, b->Colour, t);
}

void AtmosphericPerspectiveSettings::StoreRecord(CCustomData& record) const {
  record.SetFloat(kStartDepthKey, StartDepth);
  record.SetFloat(kDensityKey, Density);
  record.SetFloat(kNearIntensityKey, NearIntensity);
  record.SetFloat(kFarIntensityKey, FarIntensity);
  record.SetULong(kColourKey, Colour.ToValue());
}

void AtmosphericPerspectiveSettings::LoadRecord(const CCustomData& record) {
  StartDepth = record.GetFloat(kStartDepthKey, 0.0f);
  Density = record.GetFloat(kDensityKey, 0.5f);
  NearIntensity = record.GetFloat(kNearIntensityKey, 0.0f);
  FarIntensity = record.GetFloat(kFarIntensityKey, 1.0f);
  Colour = CRGBColor::FromValue(uint32_t(record.GetULong(kColourKey, kWhiteValue)));
}

std::string AtmosphericPerspectiveSettings::CheckValues() const {
  for (auto [key, intensity] : {std::pair{kNearIntensityKey, NearIntensity}, std::pair{kFarIntensityKey, FarIntensity}}) {
    if (!(intensity >= 0.0f && intensity <= 1.0f)) {
      return fmt::format("{} must be an intensity of 0 to 1, not {}", FourCCToString(key), intensity);
    }
  }
  const float least = DensityFromSliderPosition(kLastDensityPosition);
  const float most = DensityFromSliderPosition(kFirstDensityPosition);
  if (!(Density >= least && Density <= most)) {
    return fmt::format("DENS must be {} to {}, not {}", least, most, Density);
  }
  if (!std::isfinite(StartDepth)) return "ZFOG must be a finite depth";
  return {};
}

void AtmosphericPerspectiveOptions::StoreRecord(CCustomData& record) const {
  record.SetBool(kInForegroundKey, InForeground);
}

void AtmosphericPerspectiveOptions::LoadRecord(const CCustomData& record) {
  InForeground = record.GetBool(kInForegroundKey, 0) != 0;
}

void AtmosphericPerspectiveOptions::Serialize(CArchive& archive) {
  CCustomData record;
  if (archive.IsStoring()) {
    StoreRecord(record);
    record.Serialize(archive);
    return;
  }
  record.Serialize(archive);
  LoadRecord(record);
}

void ApplyAtmospherePointPick(AtmosphericPerspectiveSettings& settings, double depth) {
  settings.StartDepth = float(depth);
}
