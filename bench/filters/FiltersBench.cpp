// Megapixels per second of each colour filter's FilterPixels on a 1920 x 1080 frame.
// The argument is the thread count; 0 means every core. "user_ms" is the process's user CPU
// time a frame, all threads together.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>
#include <random>

#include <tbb/global_control.h>
#include <tbb/info.h>

#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
#include "filters/zone/ZHuePixels.h"
#include "filters/zone/ZLuminancePixels.h"
#include "filters/zone/ZSaturationPixels.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Varied colours over depths from 1 to 100, so that every part of every law is exercised.
const CLayerBitmap& Frame() {
  static const std::unique_ptr<CLayerBitmap> frame = [] {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> byte(0, 255);
    auto colour = std::make_unique<rgbBitmap>(kWidth, kHeight);
    auto depth = std::make_unique<depthBitmap>(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < 3; ++c) colour->GetLine(y)[3 * x + c] = uint8_t(byte(random));
        depth->GetLine(y)[x] = 1.0f + 99.0f * float(x) / kWidth + float(y % 7);
      }
    }
    auto image = std::make_unique<CLayerBitmap>(std::move(colour));
    image->AddLayer(std::move(depth));
    return image;
  }();
  return *frame;
}

double UserSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) * 1e-6;
}

int ThreadCount(const benchmark::State& state) {
  return state.range(0) > 0 ? int(state.range(0)) : tbb::info::default_concurrency();
}

template <typename Settings, typename Options>
void RunFilter(benchmark::State& state, const Options& options) {
  const CLayerBitmap& frame = Frame();
  Settings settings;
  settings.Reset(frame);
  rgbBitmap destination(kWidth, kHeight);
  const int threads = ThreadCount(state);
  tbb::global_control limit(tbb::global_control::max_allowed_parallelism, size_t(threads));
  NoProgress unwatched;
  const double user = UserSeconds();
  for (auto _ : state) {
    benchmark::DoNotOptimize(FilterPixels(settings, options, frame, destination, unwatched));
    benchmark::ClobberMemory();
  }
  state.counters["user_ms"] = (UserSeconds() - user) * 1e3 / double(state.iterations());
  state.counters["MP/s"] = benchmark::Counter(double(kWidth) * kHeight * 1e-6 * double(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.counters["threads"] = threads;
}

void ZSaturation(benchmark::State& state) { RunFilter<ZSaturationSettings>(state, ZoneOptions{}); }
void ZLuminance(benchmark::State& state) { RunFilter<ZLuminanceSettings>(state, ZoneOptions{}); }
void ZHue(benchmark::State& state) { RunFilter<ZHueSettings>(state, ZHueOptions{}); }
void AtmosphericPerspective(benchmark::State& state) {
  RunFilter<AtmosphericPerspectiveSettings>(state, AtmosphericPerspectiveOptions{});
}

}  // namespace

BENCHMARK(ZSaturation)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ZLuminance)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(ZHue)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(AtmosphericPerspective)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
