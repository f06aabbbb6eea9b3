#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/KernelRuns.h"
#include "filters/dof/ProgressBands.h"

namespace {

constexpr uint8_t kMaskInFront = 0;
constexpr uint8_t kMaskBehind = 64;
constexpr uint8_t kMaskBorderBase = 128;
constexpr uint8_t kMaskOwn = 255;

template <typename RowWork>
void ForRowsInParallel(int first, int end, RowWork&& work) {
  if (first >= end) return;
  tbb::parallel_for(tbb::blocked_range<int>(first, end), [&](const tbb::blocked_range<int>& rows) {
    for (int y = rows.begin(); y != rows.end(); ++y) work(y);
  });
}

// ---------------------------------------------------------------------------------------------
// Mask

// A float depth widened to double and compared with a double bound decides the same way as the
// float compared with the largest float not above the bound (for <, <=, >, > against it) or the
// smallest float not below it (for >=). The passes compare floats, without conversions.
float FloatNotAbove(double v) {
  if (std::isnan(v)) return std::numeric_limits<float>::quiet_NaN();
  if (v >= double(std::numeric_limits<float>::max())) {
    return v == std::numeric_limits<double>::infinity() ? std::numeric_limits<float>::infinity()
                                                        : std::numeric_limits<float>::max();
  }
  if (v < -double(std::numeric_limits<float>::max())) return -std::numeric_limits<float>::infinity();
  float f = float(v);
  if (double(f) > v) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
  return f;
}

float FloatNotBelow(double v) { return -FloatNotAbove(-v); }

struct BorderPixel {
  int x;
  int kernel;
  uint8_t value;
};

// The border stamps must land as if applied one border pixel after the other in raster order,
// a later one overwriting an earlier one. Each target row is therefore finished on its own:
// it takes the stamps of the border pixels of the rows around it, in raster order, and is
// complete once those rows have been searched for border pixels.
class SliceMaskBuilder {
 public:
  SliceMaskBuilder(const DepthOfFieldSettings& settings, const floatBitmap& depth, const BlurKernelTable& table,
                   double lo, double hi)
      : settings_(settings),
        depth_(depth),
        table_(table),
        runs_(table),
        loDown_(FloatNotAbove(lo)),
        loUp_(FloatNotBelow(lo)),
        hiDown_(FloatNotAbove(hi)),
        width_(depth.GetWidth()),
        height_(depth.GetHeight()),
        border_(size_t(depth.GetHeight())) {}

  std::unique_ptr<g8Bitmap> Build() {
    mask_ = std::make_unique<g8Bitmap>(width_, height_);
    const int reach = runs_.MaxRadiusY();
    int finished = 0;
    bool completed = ForEachProgressBand(height_, [&](int first, int end) {
      ForRowsInParallel(first, end, [&](int y) { FindBorderPixels(y); });
      // Rows whose every source row has been searched can be finished.
      int ready = end == height_ ? height_ : std::max(finished, end - reach);
      ForRowsInParallel(finished, ready, [&](int y) { FinishRow(y); });
      finished = std::max(finished, ready);
    });
    if (!completed) return nullptr;
    return std::move(mask_);
  }

 private:
  // lo < d <= hi: the slice, as its border pixels are searched.
  bool InSlice(float d) const { return d > loDown_ && d <= hiDown_; }

  void FindBorderPixels(int y) {
    std::vector<BorderPixel>& list = border_[size_t(y)];
    const float* row = depth_.GetLine(y);
    const float* up = y > 0 ? depth_.GetLine(y - 1) : nullptr;
    const float* down = y < height_ - 1 ? depth_.GetLine(y + 1) : nullptr;
    for (int x = 0; x < width_; ++x) {
      if (!InSlice(row[x])) continue;
      bool border = (x > 0 && !InSlice(row[x - 1])) || (x < width_ - 1 && !InSlice(row[x + 1])) ||
                    (up && !InSlice(up[x])) || (down && !InSlice(down[x]));
      if (!border) continue;
      double r = settings_.BlurPixels(row[x], true);
      if (!(r > 1.0)) continue;
      list.push_back({x, table_.LookupIndex(r), uint8_t(kMaskBorderBase + int(r))});
    }
  }

  bool AnyBehind(const float* depth) const {
    bool any = false;
    for (int x = 0; x < width_; ++x) any |= depth[x] > hiDown_;
    return any;
  }

  // The stamps of every border pixel whose kernel reaches row y, in raster order of the border
  // pixels; only pixels behind the slice (d > hi) take them.
  void StampRow(int y, uint8_t* mask, const float* depth) const {
    const int first = std::max(0, y - runs_.MaxRadiusY());
    const int last = std::min(height_ - 1, y + runs_.MaxRadiusY());
    for (int sy = first; sy <= last; ++sy) {
      const int dy = y - sy;
      for (const BorderPixel& p : border_[size_t(sy)]) {
        const KernelRuns& kernel = runs_.Get(p.kernel);
        if (dy < -kernel.RadiusY() || dy > kernel.RadiusY()) continue;
        for (const KernelRun* s = kernel.SpansBegin(dy); s != kernel.SpansEnd(dy); ++s) {
          const int x0 = std::max(0, p.x + s->dxBegin);
          const int x1 = std::min(width_, p.x + s->dxEnd);
          for (int x = x0; x < x1; ++x) mask[x] = depth[x] > hiDown_ ? p.value : mask[x];
        }
      }
    }
  }

  void FinishRow(int y) {
    uint8_t* mask = mask_->GetLine(y);
    const float* depth = depth_.GetLine(y);
    if (AnyBehind(depth)) StampRow(y, mask, depth);
    for (int x = 0; x < width_; ++x) {
      if (mask[x] != 0) continue;
      const float d = depth[x];
      mask[x] = (d >= loUp_ && d <= hiDown_) ? kMaskOwn : (d > hiDown_ ? kMaskBehind : kMaskInFront);
    }
  }

  const DepthOfFieldSettings& settings_;
  const floatBitmap& depth_;
  const BlurKernelTable& table_;
  const SliceKernelRuns runs_;
  // The bounds as floats: d > lo is d > loDown_, d >= lo is d >= loUp_, d <= hi is d <= hiDown_.
  const float loDown_;
  const float loUp_;
  const float hiDown_;
  const int width_;
  const int height_;
  std::vector<std::vector<BorderPixel>> border_;
  std::unique_ptr<g8Bitmap> mask_;
};

// ---------------------------------------------------------------------------------------------
// Composite

// Window sums come from per-row prefix sums: for the pixels whose mask is not 0 (the slice and
// what lies behind it) and for those whose mask is 255 (the slice itself), each entry holding
// the C colour sums and the pixel count. A run of equal kernel weight then costs one
// difference per lane. The rows are padded by the widest kernel radius on both sides, so that
// the window's clipping at the image edges comes for free: outside pixels add nothing.
template <int C>
class SliceCompositor {
 public:
  static constexpr int kLanes = C + 1;
  // Kernels are at most 51 pixels wide; up to this width the sum of a lane over one run
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
        stride_(size_t(width_ + 2 * pad_ + 1) * kLanes) {}

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

  // acc[l] = the kernel-weighted sum of lane l over the window around (x, y).
  void SumWindow(const std::vector<uint32_t>& buffer, const KernelRuns& kernel, int x, int y, uint32_t* acc) const {
    const int dyFirst = std::max(-kernel.RadiusY(), -y);
    const int dyLast = std::min(kernel.RadiusY(), height_ - 1 - y);
#if defined(__SSE2__)
    if constexpr (kLanes == 4) {
      // A run's lane sums stay below 2^15 (see kWidestRun), so each 32-bit difference is a
      // 16-bit value with a zero high half, and pmaddwd multiplies it by the weight exactly.
      __m128i sum = _mm_setzero_si128();
      for (int dy = dyFirst; dy <= dyLast; ++dy) {
        const uint32_t* centre = PrefixRow(buffer, y + dy) + size_t(pad_ + x) * kLanes;
        for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
          const __m128i end = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + r->dxEnd * kLanes));
          const __m128i begin = _mm_loadu_si128(reinterpret_cast<const __m128i*>(centre + r->dxBegin * kLanes));
          sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_sub_epi32(end, begin), _mm_set1_epi32(int(r->weight))));
        }
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc), sum);
      return;
    }
#endif
    for (int l = 0; l < kLanes; ++l) acc[l] = 0;
    for (int dy = dyFirst; dy <= dyLast; ++dy) {
      const uint32_t* centre = PrefixRow(buffer, y + dy) + size_t(pad_ + x) * kLanes;
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
        const uint32_t* end = centre + r->dxEnd * kLanes;
        const uint32_t* begin = centre + r->dxBegin * kLanes;
        for (int l = 0; l < kLanes; ++l) acc[l] += r->weight * (end[l] - begin[l]);
      }
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
        SumWindow(notBehind_, runs_.Get(lastKernel), x, y, acc);
        const uint32_t weight = acc[C];
        for (int c = 0; c < C; ++c) pixel[c] = uint8_t(weight != 0 ? acc[c] / weight : 0);
      } else {
        BlendBorder(runs_.Get(0), x, y, pixel);
      }
    }
  }

  // A pixel behind the slice that its blurred border reaches: the slice's average colour
  // around it, weighed by the share of the window that the slice covers.
  void BlendBorder(const KernelRuns& kernel, int x, int y, uint8_t* pixel) const {
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

std::unique_ptr<g8Bitmap> BuildSliceMask(const DepthOfFieldSettings& settings, const floatBitmap& depth,
                                         const BlurKernelTable& table, double lo, double hi) {
  return SliceMaskBuilder(settings, depth, table, lo, hi).Build();
}

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

SliceResult ProcessSlice(const DepthOfFieldSettings& settings, double kernelStep, const Bitmap& colour,
                         const floatBitmap& depth, Bitmap& output, const g8Bitmap& diaph, double lo, double hi) {
  const double rh = settings.BlurPixels(hi, false);
  const double rl = settings.BlurPixels(lo, false);
  double mn = std::min(rh, rl);
  double mx = std::max(rh, rl);
  if (mn < 0.0 && mx > 0.0) {
    // The slice holds the sharp field: kernels from one pixel up to its largest blur.
    mx = std::max({std::fabs(mn), mx, 1.0});
    mn = 1.0;
  }
  const double a = std::min(std::fabs(mn), std::fabs(mx));
  const double b = std::max(std::fabs(mn), std::fabs(mx));
  const auto table = BlurKernelTable::Build(a, b, kernelStep, diaph);
  const auto mask = BuildSliceMask(settings, depth, *table, lo, hi);
  if (!mask) return SliceResult::Cancelled;
  return CompositeSlice(settings, colour, depth, output, *mask, *table);
}
