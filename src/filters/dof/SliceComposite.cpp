#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <type_traits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ParallelRows.h"
#include "filters/dof/ProgressBands.h"

namespace {

// Window sums come from per-row prefix sums: for the pixels whose mask is not 0 (the slice and
// what lies behind it) and for those whose mask is 255 (the slice itself), each entry holding
// the channel sums and the pixel count. An interval of constant kernel weight then costs one
// difference per lane; the sums are integers, so grouping them changes nothing. The rows are
// padded by the widest kernel radius on both sides, so that the window's clipping at the image
// edges comes for free: outside pixels add nothing.
//
// The colour alone takes four 32-bit lanes (red, green, blue, count). With the alpha rendered
// along, five lanes would not fit one vector, so the entries hold 16-bit sums kept modulo 2^16
// in eight lanes: an interval's true sum stays below 2^15 (see kWidestRun), so the difference
// of two entries modulo 2^16 is exact. The alpha then costs one more multiply-add per interval
// instead of a second composite.
template <bool WithAlpha>
class SliceCompositor {
 public:
  static constexpr int C = WithAlpha ? 4 : 3;  // channels: red, green, blue (and alpha)
  static constexpr int kLanes = C + 1;           // the channels and the count
  static constexpr int kSlots = WithAlpha ? 8 : 4;  // lanes of a prefix entry: one vector
  using Sum = std::conditional_t<WithAlpha, uint16_t, uint32_t>;
  // Kernels are at most 51 pixels wide; up to this width the sum of a lane over one interval
  // (255 a pixel, or a count) stays below 2^15.
  static constexpr int kWidestRun = 128;

  SliceCompositor(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                  const g8Bitmap& mask, const BlurKernelTable& table)
      : settings_(settings),
        layers_(layers),
        depth_(depth),
        mask_(mask),
        table_(table),
        runs_(table),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        pad_(runs_.MaxRadiusX()),
        stride_(size_t(width_ + 2 * pad_ + 1) * kSlots) {
    for (int i = 0; i < table.GetCount(); ++i) windows_.push_back(MakeWindow(runs_.Get(i)));
    // A border value records the truncated diameter of the border pixel that stamped it.
    for (int v = kMaskBorderBase; v < kMaskOwn; ++v) borderKernel_[size_t(v)] = table.LookupIndex(v - kMaskBorderBase);
  }

  SliceResult Run() {
    if (2 * runs_.MaxRadiusX() + 1 > kWidestRun) throw std::invalid_argument("blur kernel too wide");
    const int reach = runs_.MaxRadiusY();
    const size_t bandRows = size_t(std::min(height_, kRowsPerProgressStep + 2 * reach));
    notBehind_.resize(bandRows * stride_);
    FindRowWork();
    bool completed = ForEachProgressBand(height_, [&](int first, int end) {
      const BandWork work = WorkIn(first, end);
      if (!work.own && !work.border) return;
      prefixFirst_ = std::max(0, first - reach);
      const int prefixEnd = std::min(height_, end + reach);
      // Every pixel to render needs the sums over the slice and what lies behind it; the border
      // blend also needs the sums over the slice alone.
      if (work.border) own_.resize(bandRows * stride_);
      ForRowsInParallel(prefixFirst_, prefixEnd, [&](int y) {
        BuildPrefixRow(y, notBehind_, [](uint8_t v) { return v != 0; });
        if (work.border) BuildPrefixRow(y, own_, [](uint8_t v) { return v == kMaskOwn; });
      });
      ForRowsInParallel(first, end, [&](int y) { CompositeRow(y); });
    });
    return completed ? SliceResult::Done : SliceResult::Cancelled;
  }

 private:
  struct BandWork {
    bool own = false;     // pixels of the slice (255)
    bool border = false;  // pixels behind it that its border reaches (128 to 254)
  };

  static constexpr uint8_t kRowHasOwn = 1;
  static constexpr uint8_t kRowHasBorder = 2;

  // What each row holds, found for all rows at once over all cores.
  void FindRowWork() {
    rowWork_.assign(size_t(height_), 0);
    ForRowsInParallel(0, height_, [&](int y) { rowWork_[size_t(y)] = RowWork(mask_.GetLine(y)); });
  }

  // Border values (128 to 254) are the bytes with the high bit set that are not 255.
  uint8_t RowWork(const uint8_t* mask) const {
    static_assert(kMaskBorderBase == 128 && kMaskOwn == 255, "border values are the bytes from 128 to 254");
    uint8_t found = 0;
    int x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= width_ && found != (kRowHasOwn | kRowHasBorder); x += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + x));
      const int own = _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xFF))));
      const int high = _mm_movemask_epi8(v);
      if (own != 0) found |= kRowHasOwn;
      if ((high & ~own) != 0) found |= kRowHasBorder;
    }
#endif
    for (; x < width_; ++x) {
      if (mask[x] == kMaskOwn) found |= kRowHasOwn;
      if (mask[x] >= kMaskBorderBase && mask[x] != kMaskOwn) found |= kRowHasBorder;
    }
    return found;
  }

  BandWork WorkIn(int first, int end) const {
    uint8_t found = 0;
    for (int y = first; y < end; ++y) found |= rowWork_[size_t(y)];
    return {(found & kRowHasOwn) != 0, (found & kRowHasBorder) != 0};
  }

  Sum* PrefixRow(std::vector<Sum>& buffer, int y) { return buffer.data() + size_t(y - prefixFirst_) * stride_; }
  const Sum* PrefixRow(const std::vector<Sum>& buffer, int y) const {
    return buffer.data() + size_t(y - prefixFirst_) * stride_;
  }

  // Entry e of the row holds the sums over the selected pixels left of x = e - pad.
  template <typename Selected>
  void BuildPrefixRow(int y, std::vector<Sum>& buffer, Selected selected) {
    Sum* entry = PrefixRow(buffer, y);
    const uint8_t* mask = mask_.GetLine(y);
    const uint8_t* colour = layers_.colour.GetLineBytes(y);
    const uint8_t* alpha = WithAlpha ? layers_.alpha->GetLineBytes(y) : nullptr;
    Sum sum[kSlots] = {};
    auto write = [&] {
      for (int l = 0; l < kSlots; ++l) entry[l] = sum[l];
      entry += kSlots;
    };
    for (int e = 0; e <= pad_; ++e) write();
    for (int x = 0; x < width_; ++x) {
      const unsigned take = selected(mask[x]) ? 1 : 0;
      for (int c = 0; c < 3; ++c) sum[c] = Sum(sum[c] + take * colour[x * 3 + c]);
      if constexpr (WithAlpha) sum[3] = Sum(sum[3] + take * alpha[x]);
      sum[C] = Sum(sum[C] + take);
      write();
    }
    for (int e = 0; e < pad_; ++e) write();
  }

  // A kernel's intervals, all rows in one list, each with its offsets from the centre entry of
  // the prefix buffer (rows included, as the buffer's rows lie at a fixed stride) and its weight
  // in every 32-bit lane (for 16-bit lanes: in the even ones, and in the odd ones). The rows of a
  // window clipped at the top or bottom of the image are a contiguous part of the list.
  struct WindowRun {
    alignas(16) uint32_t weight[4];
    alignas(16) uint32_t weightHigh[4];
    std::ptrdiff_t end;
    std::ptrdiff_t begin;
  };
  struct KernelWindow {
    int radiusY = 0;
    std::vector<WindowRun> runs;
    std::vector<size_t> rowStart;  // runs of row dy: [rowStart[dy + radiusY], rowStart[dy + radiusY + 1])
  };

  KernelWindow MakeWindow(const KernelRuns& kernel) const {
    KernelWindow w;
    w.radiusY = kernel.RadiusY();
    for (int dy = -kernel.RadiusY(); dy <= kernel.RadiusY(); ++dy) {
      w.rowStart.push_back(w.runs.size());
      const std::ptrdiff_t row = std::ptrdiff_t(dy) * std::ptrdiff_t(stride_);
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
        WindowRun run;
        for (uint32_t& lane : run.weight) lane = r->weight;
        for (uint32_t& lane : run.weightHigh) lane = r->weight << 16;
        run.end = row + std::ptrdiff_t(r->dxEnd) * kSlots;
        run.begin = row + std::ptrdiff_t(r->dxBegin) * kSlots;
        w.runs.push_back(run);
      }
    }
    w.rowStart.push_back(w.runs.size());
    return w;
  }

  // acc[l] = the kernel-weighted sum of lane l over the window around (x, y).
  void SumWindow(const std::vector<Sum>& buffer, const KernelWindow& kernel, int x, int y, uint32_t* acc) const {
    const int dyFirst = std::max(-kernel.radiusY, -y);
    const int dyLast = std::min(kernel.radiusY, height_ - 1 - y);
    const WindowRun* run = kernel.runs.data() + kernel.rowStart[size_t(dyFirst + kernel.radiusY)];
    const WindowRun* last = kernel.runs.data() + kernel.rowStart[size_t(dyLast + kernel.radiusY + 1)];
    const Sum* centre = PrefixRow(buffer, y) + size_t(pad_ + x) * kSlots;
#if defined(__SSE2__)
    // An interval's lane sums stay below 2^15 (see kWidestRun), so each difference is a 16-bit
    // value, and pmaddwd multiplies it by the weight exactly.
    if constexpr (WithAlpha) {
      // 16-bit differences, two intervals at a time: their lanes interleaved, each pair of
      // 16-bit values is multiplied by the pair of weights and summed by one pmaddwd, giving the
      // four channels in one vector and the count in another.
      __m128i channels = _mm_setzero_si128();
      __m128i count = _mm_setzero_si128();
      auto difference = [centre](const WindowRun& r) {
        const __m128i end = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + r.end));
        const __m128i begin = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + r.begin));
        return _mm_sub_epi16(end, begin);
      };
      for (; last - run >= 2; run += 2) {
        const __m128i first = difference(run[0]);
        const __m128i second = difference(run[1]);
        const __m128i weights = _mm_or_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(run[0].weight)),
                                             _mm_load_si128(reinterpret_cast<const __m128i*>(run[1].weightHigh)));
        channels = _mm_add_epi32(channels, _mm_madd_epi16(_mm_unpacklo_epi16(first, second), weights));
        count = _mm_add_epi32(count, _mm_madd_epi16(_mm_unpackhi_epi16(first, second), weights));
      }
      if (run != last) {
        const __m128i only = difference(*run);
        const __m128i weight = _mm_load_si128(reinterpret_cast<const __m128i*>(run->weight));
        channels = _mm_add_epi32(channels, _mm_madd_epi16(_mm_unpacklo_epi16(only, _mm_setzero_si128()), weight));
        count = _mm_add_epi32(count, _mm_madd_epi16(_mm_unpackhi_epi16(only, _mm_setzero_si128()), weight));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc), channels);
      acc[4] = uint32_t(_mm_cvtsi128_si32(count));
      return;
    } else {
      // 32-bit differences with a zero high half.
      __m128i sum = _mm_setzero_si128();
      for (; run != last; ++run) {
        const __m128i end = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + run->end));
        const __m128i begin = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + run->begin));
        const __m128i weight = _mm_load_si128(reinterpret_cast<const __m128i*>(run->weight));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_sub_epi32(end, begin), weight));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc), sum);
      return;
    }
#endif
    for (int l = 0; l < kLanes; ++l) acc[l] = 0;
    for (; run != last; ++run) {
      const Sum* end = centre + run->end;
      const Sum* begin = centre + run->begin;
      for (int l = 0; l < kLanes; ++l) acc[l] += run->weight[0] * Sum(end[l] - begin[l]);
    }
  }

  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    uint8_t* colour = layers_.output.GetLineBytes(y);
    uint8_t* alpha = WithAlpha ? layers_.alphaOutput->GetLineBytes(y) : nullptr;
    // Neighbours mostly share their depth, hence their kernel.
    float lastDepth = 0.0f;
    int lastKernel = -1;
    for (int x = 0; x < width_; ++x) {
      const uint8_t v = mask[x];
      if (v < kMaskBorderBase) continue;
      uint8_t* pixel[C];
      for (int c = 0; c < 3; ++c) pixel[c] = colour + size_t(x) * 3 + c;
      if constexpr (WithAlpha) pixel[3] = alpha + x;
      if (v == kMaskOwn) {
        if (lastKernel < 0 || !(depth[x] == lastDepth)) {
          lastKernel = table_.LookupIndex(settings_.BlurPixels(depth[x], true));
          lastDepth = depth[x];
        }
        alignas(16) uint32_t acc[kSlots];
        SumWindow(notBehind_, windows_[size_t(lastKernel)], x, y, acc);
        const uint32_t weight = acc[C];
        for (int c = 0; c < C; ++c) *pixel[c] = uint8_t(weight != 0 ? acc[c] / weight : 0);
      } else {
        BlendBorder(windows_[size_t(borderKernel_[v])], x, y, pixel);
      }
    }
  }

  // A pixel behind the slice that its blurred border reaches: the slice's average colour
  // around it, weighed by the share of the window that the slice covers.
  void BlendBorder(const KernelWindow& kernel, int x, int y, uint8_t* const* pixel) const {
    alignas(16) uint32_t inside[kSlots];
    alignas(16) uint32_t any[kSlots];
    SumWindow(own_, kernel, x, y, inside);
    SumWindow(notBehind_, kernel, x, y, any);
    const uint32_t insideWeight = inside[C];
    const uint32_t outsideWeight = any[C] - insideWeight;
    // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
    if (insideWeight + outsideWeight == 0) return;
    const double alpha = double(insideWeight) / double(insideWeight + outsideWeight);
    for (int c = 0; c < C; ++c) {
      const uint32_t average = insideWeight != 0 ? inside[c] / insideWeight : inside[c];
      *pixel[c] = uint8_t(double(average) * alpha + double(*pixel[c]) * (1.0 - alpha));
    }
  }

  const DepthOfFieldSettings& settings_;
  const SliceLayers& layers_;
  const floatBitmap& depth_;
  const g8Bitmap& mask_;
  const BlurKernelTable& table_;
  const SliceKernelRuns runs_;
  const int width_;
  const int height_;
  const int pad_;
  const size_t stride_;
  std::vector<KernelWindow> windows_;
  std::array<int, 256> borderKernel_{};  // kernel index by mask value, for 128 to 254
  int prefixFirst_ = 0;
  std::vector<uint8_t> rowWork_;  // kRowHasOwn and kRowHasBorder, by row
  std::vector<Sum> notBehind_;
  std::vector<Sum> own_;
};

void CheckSameShape(const Bitmap& a, const Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    throw std::invalid_argument("slice images differ in size");
  }
}

}  // namespace

SliceResult CompositeSlice(const DepthOfFieldSettings& settings, const SliceLayers& layers, const floatBitmap& depth,
                           const g8Bitmap& mask, const BlurKernelTable& table) {
  CheckSameShape(layers.colour, depth);
  CheckSameShape(layers.output, depth);
  CheckSameShape(mask, depth);
  if (layers.colour.GetChannels() != 3 || layers.output.GetChannels() != 3) {
    throw std::invalid_argument("slice colour must have 3 channels");
  }
  if (!layers.alpha) return SliceCompositor<false>(settings, layers, depth, mask, table).Run();
  if (!layers.alphaOutput) throw std::invalid_argument("slice alpha without an output");
  CheckSameShape(*layers.alpha, depth);
  CheckSameShape(*layers.alphaOutput, depth);
  if (layers.alpha->GetChannels() != 1 || layers.alphaOutput->GetChannels() != 1) {
    throw std::invalid_argument("slice alpha must have 1 channel");
  }
  return SliceCompositor<true>(settings, layers, depth, mask, table).Run();
}
