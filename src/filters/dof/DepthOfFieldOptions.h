#pragma once
// The options of the depth-of-field filter that are not keyframed: stored once per project
// in the filter's record, with the diaph it uses.

#include <cstdint>

class CCustomData;
class Diaph;

struct DepthOfFieldOptions {
  bool ApplyOnAlpha = true;  // render the alpha layer too, when the frame has one
  double KernelStep = 0.3;   // diameter step in pixels between the kernels of a slice
  double SliceStep = 2.0;    // blur step in pixels between slice boundaries
  double DdstValue = 1.0;    // kept in the record; nothing computes with it
  bool TwoPassFlag = false;  // kept in the record; nothing computes with it

  // The record keys in their stored order: 'ALPH', 'TITE', 'TITA', 'DDST', '2PAS', then the
  // diaph's 'DPAT' (file) and 'DNBR' (number).
  void StoreRecord(CCustomData& record, const Diaph& diaph) const;
  // Reads the options (missing keys take their reading defaults), then loads the diaph the
  // record names.
  void LoadRecord(const CCustomData& record, Diaph& diaph);
};
