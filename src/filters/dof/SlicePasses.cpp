#include "filters/dof/SlicePasses.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

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
        lo_(lo),
        hi_(hi),
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
  bool InSlice(float d) const {
    double v = d;
    return lo_ < v && v <= hi_;
  }

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

  void FinishRow(int y) {
    uint8_t* mask = mask_->GetLine(y);
    const float* depth = depth_.GetLine(y);
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
          for (int x = x0; x < x1; ++x) {
            if (double(depth[x]) > hi_) mask[x] = p.value;
          }
        }
      }
    }
    for (int x = 0; x < width_; ++x) {
      if (mask[x] != 0) continue;
      const double d = depth[x];
      mask[x] = (lo_ <= d && d <= hi_) ? kMaskOwn : (d > hi_ ? kMaskBehind : kMaskInFront);
    }
  }

  const DepthOfFieldSettings& settings_;
  const floatBitmap& depth_;
  const BlurKernelTable& table_;
  const SliceKernelRuns runs_;
  const double lo_;
  const double hi_;
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
    const int reach = runs_.MaxRadiusY();
    const size_t bandRows = size_t(std::min(height_, kRowsPerProgressStep + 2 * reach));
    notBehind_.resize(bandRows * stride_);
    own_.resize(bandRows * stride_);
    bool completed = ForEachProgressBand(height_, [&](int first, int end) {
      if (!AnyWork(first, end)) return;
      prefixFirst_ = std::max(0, first - reach);
      const int prefixEnd = std::min(height_, end + reach);
      ForRowsInParallel(prefixFirst_, prefixEnd, [&](int y) { BuildPrefixRow(y); });
      ForRowsInParallel(first, end, [&](int y) { CompositeRow(y); });
    });
    return completed ? SliceResult::Done : SliceResult::Cancelled;
  }

 private:
  bool AnyWork(int first, int end) const {
    for (int y = first; y < end; ++y) {
      const uint8_t* mask = mask_.GetLine(y);
      for (int x = 0; x < width_; ++x) {
        if (mask[x] >= kMaskBorderBase) return true;
      }
    }
    return false;
  }

  uint32_t* PrefixRow(std::vector<uint32_t>& buffer, int y) { return buffer.data() + size_t(y - prefixFirst_) * stride_; }
  const uint32_t* PrefixRow(const std::vector<uint32_t>& buffer, int y) const {
    return buffer.data() + size_t(y - prefixFirst_) * stride_;
  }

  void BuildPrefixRow(int y) {
    uint32_t* notBehind = PrefixRow(notBehind_, y);
    uint32_t* own = PrefixRow(own_, y);
    const uint8_t* mask = mask_.GetLine(y);
    const uint8_t* colour = colour_.GetLineBytes(y);
    uint32_t sumAny[kLanes] = {};
    uint32_t sumOwn[kLanes] = {};
    auto write = [&](int entry) {
      for (int l = 0; l < kLanes; ++l) {
        notBehind[size_t(entry) * kLanes + l] = sumAny[l];
        own[size_t(entry) * kLanes + l] = sumOwn[l];
      }
    };
    int entry = 0;
    for (; entry <= pad_; ++entry) write(entry);
    for (int x = 0; x < width_; ++x, ++entry) {
      const uint8_t v = mask[x];
      if (v != 0) {
        for (int c = 0; c < C; ++c) sumAny[c] += colour[x * C + c];
        sumAny[C] += 1;
        if (v == kMaskOwn) {
          for (int c = 0; c < C; ++c) sumOwn[c] += colour[x * C + c];
          sumOwn[C] += 1;
        }
      }
      write(entry);
    }
    for (; entry < width_ + 2 * pad_ + 1; ++entry) write(entry);
  }

  // Adds, for each lane below `lanes`, the kernel-weighted sum of the window around (x, y).
  void AddWindow(const std::vector<uint32_t>& buffer, const KernelRuns& kernel, int x, int y, int firstLane,
                 int lanes, uint32_t* acc) const {
    const int dyFirst = std::max(-kernel.RadiusY(), -y);
    const int dyLast = std::min(kernel.RadiusY(), height_ - 1 - y);
    for (int dy = dyFirst; dy <= dyLast; ++dy) {
      const uint32_t* centre = PrefixRow(buffer, y + dy) + size_t(pad_ + x) * kLanes;
      for (const KernelRun* r = kernel.WeightRunsBegin(dy); r != kernel.WeightRunsEnd(dy); ++r) {
        const uint32_t* end = centre + r->dxEnd * kLanes;
        const uint32_t* begin = centre + r->dxBegin * kLanes;
        for (int l = firstLane; l < lanes; ++l) acc[l] += r->weight * (end[l] - begin[l]);
      }
    }
  }

  void CompositeRow(int y) {
    const uint8_t* mask = mask_.GetLine(y);
    const float* depth = depth_.GetLine(y);
    uint8_t* out = output_.GetLineBytes(y);
    for (int x = 0; x < width_; ++x) {
      const uint8_t v = mask[x];
      if (v < kMaskBorderBase) continue;
      uint8_t* pixel = out + size_t(x) * C;
      if (v == kMaskOwn) {
        const KernelRuns& kernel = runs_.Get(table_.LookupIndex(settings_.BlurPixels(depth[x], true)));
        uint32_t acc[kLanes] = {};
        AddWindow(notBehind_, kernel, x, y, 0, kLanes, acc);
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
    uint32_t inside[kLanes] = {};
    uint32_t any[kLanes] = {};
    AddWindow(own_, kernel, x, y, 0, kLanes, inside);
    AddWindow(notBehind_, kernel, x, y, C, kLanes, any);
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
