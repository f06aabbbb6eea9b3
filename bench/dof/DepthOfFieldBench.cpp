// Speed of the depth-of-field render on a full HD frame: a near object, a mid-distance wall, a
// ground plane and a far background, 50 pixels of blur in front and behind, the disc diaph.
// The renderer is timed on one thread and on all, without and with the frame's alpha rendered
// too, and on the same frame as float colour, against the plain reference. Besides the wall
// time, "user_ms" is the process's user CPU time a frame, all threads together.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>

#include <tbb/global_control.h>
#include <tbb/info.h>

#include "DofScenes.h"
#include "ReferenceDepthOfField.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/Diaph.h"
#include "platform/image/FloatLayers.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::unique_ptr<CLayerBitmap> FloatCopy(const CLayerBitmap& frame) {
  auto copy = std::make_unique<CLayerBitmap>(DecodeColour(*frame.GetLayer<rgbBitmap>(), nullptr));
  copy->AddLayer(frame.GetLayer<depthBitmap>()->Copy());
  return copy;
}

struct Scene {
  std::unique_ptr<CLayerBitmap> frame = MakeDofScene(kWidth, kHeight);
  std::unique_ptr<CLayerBitmap> frameWithAlpha = MakeDofScene(kWidth, kHeight, true);
  // The same frame as float colour in linear light, as a floating-point file gives it.
  std::unique_ptr<CLayerBitmap> floatFrame = FloatCopy(*frame);
  DepthOfFieldSettings settings = DofSceneSettings(*frame, 50, 50);
  DepthOfFieldOptions options;
  Diaph diaph;
};

const Scene& TheScene() {
  static const Scene scene;
  return scene;
}

double UserSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) * 1e-6;
}

void ReportMegapixels(benchmark::State& state) {
  state.counters["MP/s"] =
      benchmark::Counter(double(kWidth) * kHeight * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

enum class Frame { Bytes, BytesWithAlpha, Float };

void RenderWithThreads(benchmark::State& state, int threads, Frame which = Frame::Bytes) {
  const Scene& s = TheScene();
  tbb::global_control limit(tbb::global_control::max_allowed_parallelism, size_t(threads));
  DepthOfFieldRenderer renderer(s.settings, s.options, s.diaph.GetPicture());
  const CLayerBitmap& frame = which == Frame::Float ? *s.floatFrame
                              : which == Frame::BytesWithAlpha ? *s.frameWithAlpha
                                                               : *s.frame;
  NoProgress unwatched;
  const double user = UserSeconds();
  for (auto _ : state) {
    auto result = renderer.RenderFrame(frame, 1, 1, unwatched);
    benchmark::DoNotOptimize(result.get());
  }
  state.counters["user_ms"] = (UserSeconds() - user) * 1e3 / double(state.iterations());
  state.counters["threads"] = threads;
  ReportMegapixels(state);
}

void BM_DepthOfFieldOneThread(benchmark::State& state) { RenderWithThreads(state, 1); }

void BM_DepthOfFieldOneThreadAlpha(benchmark::State& state) { RenderWithThreads(state, 1, Frame::BytesWithAlpha); }

void BM_DepthOfFieldOneThreadFloat(benchmark::State& state) { RenderWithThreads(state, 1, Frame::Float); }

void BM_DepthOfFieldAllThreads(benchmark::State& state) {
  RenderWithThreads(state, tbb::info::default_concurrency());
}

void BM_DepthOfFieldAllThreadsAlpha(benchmark::State& state) {
  RenderWithThreads(state, tbb::info::default_concurrency(), Frame::BytesWithAlpha);
}

void BM_DepthOfFieldAllThreadsFloat(benchmark::State& state) {
  RenderWithThreads(state, tbb::info::default_concurrency(), Frame::Float);
}

void BM_DepthOfFieldReference(benchmark::State& state) {
  const Scene& s = TheScene();
  for (auto _ : state) {
    auto result = ReferenceRenderFrame(s.settings, s.options, s.diaph.GetPicture(), *s.frame, 1, 1);
    benchmark::DoNotOptimize(result.get());
  }
  ReportMegapixels(state);
}

}  // namespace

BENCHMARK(BM_DepthOfFieldOneThread)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DepthOfFieldOneThreadAlpha)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DepthOfFieldOneThreadFloat)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DepthOfFieldAllThreads)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DepthOfFieldAllThreadsAlpha)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DepthOfFieldAllThreadsFloat)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_DepthOfFieldReference)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
