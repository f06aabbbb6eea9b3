#pragma once
// The options of the depth-of-field filter that are not keyframed: stored once per project in
// the filter's record, with the diaph it uses.

#include <cstdint>

#include "animation/FilterOptions.h"
#include "filters/dof/Diaph.h"

class DepthOfFieldOptions final : public FilterOptions {
 public:
  bool ApplyOnAlpha = true;  // render the alpha layer too, when the frame has one
  double KernelStep = 0.3;   // diameter step in pixels between the kernels of a slice
  double SliceStep = 2.0;    // blur step in pixels between slice boundaries
  double DdstValue = 1.0;    // kept in the record; nothing computes with it
  bool TwoPassFlag = false;  // kept in the record; nothing computes with it
  Diaph diaph;               // the aperture shape

  std::unique_ptr<FilterOptions> Clone() const override { return std::make_unique<DepthOfFieldOptions>(*this); }
  // The record keys in their stored order: 'ALPH', 'TITE', 'TITA', 'DDST', '2PAS', then the
  // diaph's 'DPAT' (file) and 'DNBR' (number).
  void StoreRecord(CCustomData& record) const override;
  // Reads the options (missing keys take their reading defaults), then loads the diaph the
  // record names; a file diaph that cannot be read any more gives the disc.
  void LoadRecord(const CCustomData& record) override;
  // The diaph picture while a file diaph is in use.
  std::vector<std::string> InputFiles() const override;
};
