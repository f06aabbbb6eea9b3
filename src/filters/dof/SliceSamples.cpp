#include "filters/dof/SliceSamples.h"

#include "filters/dof/ParallelRows.h"
#include "filters/dof/SliceRows.h"

namespace {

const float* FloatRow(const Bitmap& bitmap, int y) { return reinterpret_cast<const float*>(bitmap.GetLineBytes(y)); }

}  // namespace

FloatSamples::FloatSamples(const SliceLayers& layers, SliceWorkspace& workspace, int width, int pad)
    : shape_{width, pad},
      height_(layers.colour.GetHeight()),
      withAlpha_(layers.alpha != nullptr),
      workspace_(workspace) {
  FindRowScales(layers);
  fine_ = NeedsFineRows();
}

// Every row's scale, once for the colour that all the slices of a render read (windows also
// reach rows without work of their own).
void FloatSamples::FindRowScales(const SliceLayers& layers) {
  SliceWorkspace& w = workspace_;
  if (w.scaledColour == &layers.colour && w.colourRowScales.size() == size_t(height_)) return;
  for (auto* scales : {&w.colourRowScales, &w.alphaRowScales, &w.colourRowUnscales, &w.alphaRowUnscales}) {
    scales->assign(size_t(height_), 1.0f);
  }
  const size_t values = size_t(shape_.width);
  ForRowsInParallel(0, height_, [&](int y) {
    w.colourRowScales[size_t(y)] = FloatRowScale(FloatRow(layers.colour, y), values * 3);
    w.colourRowUnscales[size_t(y)] = 1.0f / w.colourRowScales[size_t(y)];
    if (!layers.alpha) return;
    w.alphaRowScales[size_t(y)] = FloatRowScale(FloatRow(*layers.alpha, y), values);
    w.alphaRowUnscales[size_t(y)] = 1.0f / w.alphaRowScales[size_t(y)];
  });
  w.scaledColour = &layers.colour;
}

// Fine parts where some row's brightest value reaches kBrightestWithoutFineRows: its scale is
// then at most 2^23 / that.
bool FloatSamples::NeedsFineRows() const {
  constexpr float kSmallestCoarseScale = 8388608.0f / kBrightestWithoutFineRows;
  for (float scale : workspace_.colourRowScales) {
    if (scale < kSmallestCoarseScale) return true;
  }
  for (float scale : workspace_.alphaRowScales) {
    if (withAlpha_ && scale < kSmallestCoarseScale) return true;
  }
  return false;
}

void FloatSamples::BuildRow(const PrefixSource<Sample>& source, int y, int lanes, PrefixSelection selection,
                            Entry* row) const {
  const float scale = (lanes == kAlphaEntryLanes ? workspace_.alphaRowScales : workspace_.colourRowScales)[size_t(y)];
  auto build = [&](FloatPrefixPart part, Entry* entries) {
    BuildPrefixRow(source, scale, part, selection, shape_.width, shape_.pad, WindowSumsOverreach(lanes), lanes,
                   entries);
  };
  build(FloatPrefixPart::Coarse, row);
  if (fine_) build(FloatPrefixPart::Fine, row + shape_.RowLanes(lanes));
}

void FloatSamples::Weigh(const WindowTaps& taps, const KernelTapRows& rows, int y, Weights& weights) const {
  const size_t n = size_t(taps.count);
  weights.colour.resize(n * kColourEntryLanes);
  weights.alpha.resize(taps.alpha ? n : 0);
  weights.fineColour.resize(fine_ ? n * kColourEntryLanes : 0);
  weights.fineAlpha.resize(fine_ && taps.alpha ? n : 0);
  size_t t = 0;
  rows.ForEachRow(y, height_, [&](int dy, size_t rowTaps) {
    const size_t row = size_t(y + dy);
    for (const size_t end = t + rowTaps; t < end; ++t) {
      const float weight = float(taps.colour[t].weight);
      float* w = weights.colour.data() + t * kColourEntryLanes;
      const float unscale = weight * workspace_.colourRowUnscales[row];
      w[0] = w[1] = w[2] = unscale;
      w[kCountLane] = weight;
      const float alphaUnscale = taps.alpha ? weight * workspace_.alphaRowUnscales[row] : 0.0f;
      if (taps.alpha) weights.alpha[t] = alphaUnscale;
      if (!fine_) continue;
      float* f = weights.fineColour.data() + t * kColourEntryLanes;
      f[0] = f[1] = f[2] = unscale / kFineSteps;
      f[kCountLane] = 0.0f;
      if (taps.alpha) weights.fineAlpha[t] = alphaUnscale / kFineSteps;
    }
  });
}

void FloatSamples::Sums(const RowEntries<Entry>& rows, const WindowTaps& taps, const Weights& weights, int x,
                        int count, Sum* colour, Sum* alpha) const {
  const WindowTap* colourEnd = taps.colour + taps.count;
  const WindowTap* alphaEnd = alpha ? taps.alpha + taps.count : nullptr;
  SumWindows(rows.colour, kColourEntryLanes, taps.colour, colourEnd, weights.colour.data(), x, count, colour);
  if (alpha) SumWindows(rows.alpha, kAlphaEntryLanes, taps.alpha, alphaEnd, weights.alpha.data(), x, count, alpha);
  if (!fine_) return;
  // Each row's fine part follows its coarse part.
  float fine[kChunkPixels * kColourEntryLanes];
  SumWindows(rows.colour + shape_.RowLanes(kColourEntryLanes), kColourEntryLanes, taps.colour, colourEnd,
             weights.fineColour.data(), x, count, fine);
  for (int i = 0; i < count * kColourEntryLanes; ++i) colour[i] += fine[i];
  if (!alpha) return;
  SumWindows(rows.alpha + shape_.RowLanes(kAlphaEntryLanes), kAlphaEntryLanes, taps.alpha, alphaEnd,
             weights.fineAlpha.data(), x, count, fine);
  for (int i = 0; i < count; ++i) alpha[i] += fine[i];
}

void FloatSamples::Averages(const RowEntries<Entry>& rows, const WindowTaps& taps, const Weights& weights, int x,
                            int count, Sum* colour, Sum* alpha) const {
  Sums(rows, taps, weights, x, count, colour, alpha);
  for (int p = 0; p < count; ++p) {
    Sum* s = colour + p * kColourEntryLanes;
    for (int c = 0; c < 3; ++c) s[c] = Average(s[c], s[kCountLane]);
  }
}
