#include "filters/dof/DepthOfFieldOptions.h"

#include <cmath>

#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {

constexpr uint32_t kApplyOnAlphaKey = FourCC("ALPH");
constexpr uint32_t kKernelStepKey = FourCC("TITE");
constexpr uint32_t kSliceStepKey = FourCC("TITA");
constexpr uint32_t kDdstKey = FourCC("DDST");
constexpr uint32_t kTwoPassKey = FourCC("2PAS");
constexpr uint32_t kDiaphPathKey = FourCC("DPAT");
constexpr uint32_t kDiaphNumberKey = FourCC("DNBR");

// The reading default of the kernel step is the single-precision 0.3 of older records.
constexpr double kKernelStepReadDefault = double(0.3f);
constexpr double kSliceStepReadDefault = 2.0;

// A step must be a positive number; anything else in a record would stall or break a render.
double UsableStep(double value, double fallback) { return (value > 0.0 && std::isfinite(value)) ? value : fallback; }

}  // namespace

void DepthOfFieldOptions::StoreRecord(CCustomData& record) const {
  record.SetBool(kApplyOnAlphaKey, ApplyOnAlpha ? 1 : 0);
  record.SetDouble(kKernelStepKey, KernelStep);
  record.SetDouble(kSliceStepKey, SliceStep);
  record.SetDouble(kDdstKey, DdstValue);
  record.SetBool(kTwoPassKey, TwoPassFlag ? 1 : 0);
  record.SetString(kDiaphPathKey, diaph.GetPath());
  record.SetInt(kDiaphNumberKey, diaph.GetNumber());
}

void DepthOfFieldOptions::LoadRecord(const CCustomData& record) {
  ApplyOnAlpha = record.GetBool(kApplyOnAlphaKey, 1) != 0;
  KernelStep = UsableStep(record.GetDouble(kKernelStepKey, kKernelStepReadDefault), kKernelStepReadDefault);
  SliceStep = UsableStep(record.GetDouble(kSliceStepKey, kSliceStepReadDefault), kSliceStepReadDefault);
  DdstValue = record.GetDouble(kDdstKey, 1.0);
  TwoPassFlag = record.GetBool(kTwoPassKey, 0) != 0;
  const std::string path = record.GetString(kDiaphPathKey, "");
  const int number = record.GetInt(kDiaphNumberKey, Diaph::kDisc);
  diaph.SetPath(path);
  if (!diaph.Load(path, number)) diaph.Load("", Diaph::kDisc);
}

std::vector<std::string> DepthOfFieldOptions::InputFiles() const {
  if (diaph.GetNumber() != Diaph::kFromFile || diaph.GetPath().empty()) return {};
  return {diaph.GetPath()};
}
