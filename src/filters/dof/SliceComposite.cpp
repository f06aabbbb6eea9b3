#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
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
// the C colour sums and the pixel count. An interval of constant kernel weight then costs one
// difference per lane; the sums are integers, so grouping them changes nothing. The rows are
// padded by the widest kernel radius on both sides, so that the window's clipping at the image
// edges comes for free: outside pixels add nothing.
template <int C>
class SliceCompositor {
 public:
  static constexpr int kLanes = C + 1;
  // Kernels are at most 51 pixels wide; up to this width the sum of a lane over one interval
  // (255 a pixel, or a count) stays below 2^15.
  static constexpr int kWidestRun = 128;

  SliceCompositor(const DepthOfFieldSettings& settings, const Bitmap& colour, const floatBitmap& depth,
                  Bitmap& output, const g8Bitmap& mask, const BlurKernelTable& table)
      : settings_(settings),
        colour_(colour),
        depth_(depth),
        output_(output),
        mask_(mask),
        table_(table),
        runs_(table),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        pad_(runs_.MaxRadiusX()),
        stride_(size_t(width_ + 2 * pad_ + 1) * kLanes) {
    for (int i = 0; i < table.GetCount(); ++i) windows_.push_back(MakeWindow(runs_.Get(i)));
    // A border value records the truncated diameter of the border pixel that stamped it.
    for (int v = kMaskBorderBase; v < kMaskOwn; ++v) borderKernel_[size_t(v)] = table.LookupIndex(v - kMaskBorderBase);
  }

  SliceResult Run() {
    if (2 * runs_.MaxRadiusX() + 1 > kWidestRun) throw std::invalid_argument("blur kernel too wide");
    const int reach = runs_.MaxRadiusY();
    const size_t bandRows = size_t(std::min(height_, kRowsPerProgressStep + 2 * reach));
    notBehind_.resize(bandRows * stride_);
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

  BandWork WorkIn(int first, int end) const {
    BandWork work;
    for (int y = first; y < end; ++y) {
      const uint8_t* mask = mask_.GetLine(y);
      for (int x = 0; x < width_; ++x) {
        work.own |= mask[x] == kMaskOwn;
        work.border |= mask[x] >= kMaskBorderBase && mask[x] != kMaskOwn;
      }
      if (work.own && work.border) break;
    }
    return work;
  }

  uint32_t* PrefixRow(std::vector<uint32_t>& buffer, int y) { return buffer.data() + size_t(y - prefixFirst_) * stride_; }
  const uint32_t* PrefixRow(const std::vector<uint32_t>& buffer, int y) const {
    return buffer.data() + size_t(y - prefixFirst_) * stride_;
  }

  // Entry e of the row holds the sums over the selected pixels left of x = e - pad.
  template <typename Selected>
  void BuildPrefixRow(int y, std::vector<uint32_t>& buffer, Selected selected) {
    uint32_t* entry = PrefixRow(buffer, y);
    const uint8_t* mask = mask_.GetLine(y);
    const uint8_t* colour = colour_.GetLineBytes(y);
    uint32_t sum[kLanes] = {};
    auto write = [&] {
      for (int l = 0; l < kLanes; ++l) entry[l] = sum[l];
      entry += kLanes;
    };
    for (int e = 0; e <= pad_; ++e) write();
    for (int x = 0; x < width_; ++x) {
      const uint32_t take = selected(mask[x]) ? 1 : 0;
      for (int c = 0; c < C; ++c) sum[c] += take * colour[x * C + c];
      sum[C] += take;
      write();
    }
    for (int e = 0; e < pad_; ++e) write();
  }

  // A kernel's intervals, all rows in one list, each with its offsets from the centre entry of
  // the prefix buffer (rows included, as the buffer's rows lie at a fixed stride) and its weight
  // in every lane. The rows of a window clipped at the top or bottom of the image are a
  // contiguous part of the list.
  struct WindowRun {
    alignas(16) uint32_t weight[4];
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
        run.end = row + std::ptrdiff_t(r->dxEnd) * kLanes;
        run.begin = row + std::ptrdiff_t(r->dxBegin) * kLanes;
        w.runs.push_back(run);
      }
    }
    w.rowStart.push_back(w.runs.size());
    return w;
  }

  // acc[l] = the kernel-weighted sum of lane l over the window around (x, y).
  void SumWindow(const std::vector<uint32_t>& buffer, const KernelWindow& kernel, int x, int y, uint32_t* acc) const {
    const int dyFirst = std::max(-kernel.radiusY, -y);
    const int dyLast = std::min(kernel.radiusY, height_ - 1 - y);
    const WindowRun* run = kernel.runs.data() + kernel.rowStart[size_t(dyFirst + kernel.radiusY)];
    const WindowRun* last = kernel.runs.data() + kernel.rowStart[size_t(dyLast + kernel.radiusY + 1)];
    const uint32_t* centre = PrefixRow(buffer, y) + size_t(pad_ + x) * kLanes;
#if defined(__SSE2__)
    if constexpr (kLanes == 4) {
      // An interval's lane sums stay below 2^15 (see kWidestRun), so each 32-bit difference is a
      // 16-bit value with a zero high half, and pmaddwd multiplies it by the weight exactly.
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
      const uint32_t* end = centre + run->end;
      const uint32_t* begin = centre + run->begin;
      for (int l = 0; l < kLanes; ++l) acc[l] += run->weight[0] * (end[l] - begin[l]);
    }
  }

  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    uint8_t* out = output_.GetLineBytes(y);
    // Neighbours mostly share their depth, hence their kernel.
    float lastDepth = 0.0f;
    int lastKernel = -1;
    for (int x = 0; x < width_; ++x) {
      const uint8_t v = mask[x];
      if (v < kMaskBorderBase) continue;
      uint8_t* pixel = out + size_t(x) * C;
      if (v == kMaskOwn) {
        if (lastKernel < 0 || !(depth[x] == lastDepth)) {
          lastKernel = table_.LookupIndex(settings_.BlurPixels(depth[x], true));
          lastDepth = depth[x];
        }
        alignas(16) uint32_t acc[kLanes];
        SumWindow(notBehind_, windows_[size_t(lastKernel)], x, y, acc);
        const uint32_t weight = acc[C];
        for (int c = 0; c < C; ++c) pixel[c] = uint8_t(weight != 0 ? acc[c] / weight : 0);
      } else {
        BlendBorder(windows_[size_t(borderKernel_[v])], x, y, pixel);
      }
    }
  }

  // A pixel behind the slice that its blurred border reaches: the slice's average colour
  // around it, weighed by the share of the window that the slice covers.
  void BlendBorder(const KernelWindow& kernel, int x, int y, uint8_t* pixel) const {
    alignas(16) uint32_t inside[kLanes];
    alignas(16) uint32_t any[kLanes];
    SumWindow(own_, kernel, x, y, inside);
    SumWindow(notBehind_, kernel, x, y, any);
    const uint32_t insideWeight = inside[C];
    const uint32_t outsideWeight = any[C] - insideWeight;
    // Only a diaph that is black at its centre can leave both weights at 0: keep the pixel.
    if (insideWeight + outsideWeight == 0) return;
    const double alpha = double(insideWeight) / double(insideWeight + outsideWeight);
    for (int c = 0; c < C; ++c) {
      const uint32_t average = insideWeight != 0 ? inside[c] / insideWeight : inside[c];
      pixel[c] = uint8_t(double(average) * alpha + double(pixel[c]) * (1.0 - alpha));
    }
  }

  const DepthOfFieldSettings& settings_;
  const Bitmap& colour_;
  const floatBitmap& depth_;
  Bitmap& output_;
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
  std::vector<uint32_t> notBehind_;
  std::vector<uint32_t> own_;
};

void CheckSameShape(const Bitmap& a, const Bitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    throw std::invalid_argument("slice images differ in size");
  }
}

}  // namespace

SliceResult CompositeSlice(const DepthOfFieldSettings& settings, const Bitmap& colour, const floatBitmap& depth,
                           Bitmap& output, const g8Bitmap& mask, const BlurKernelTable& table) {
  CheckSameShape(colour, depth);
  CheckSameShape(output, depth);
  CheckSameShape(mask, depth);
  if (colour.GetChannels() != output.GetChannels()) throw std::invalid_argument("slice images differ in channels");
  switch (colour.GetChannels()) {
    case 3: return SliceCompositor<3>(settings, colour, depth, output, mask, table).Run();
    case 1: return SliceCompositor<1>(settings, colour, depth, output, mask, table).Run();
  }
  throw std::invalid_argument("slice colour must have 1 or 3 channels");
}
