// How long the image view takes to paint a 3840 x 2160 frame into a 1600 x 900 window at the
// zooms a user scrolls and zooms through: one paint per scroll step or wheel notch. Qt's
// painter spreads image drawing over threads, so the wall time is the one that counts.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "app/FovaraView.h"
#include "tools/ProjectSession.h"

namespace {

constexpr int kFrameWidth = 3840;
constexpr int kFrameHeight = 2160;

NTBitmap MakeFrame() {
  NTBitmap frame(kFrameWidth, kFrameHeight);
  for (int y = 0; y < kFrameHeight; ++y) {
    uint8_t* row = frame.GetLine(y);
    for (int x = 0; x < kFrameWidth; ++x) {
      row[4 * x] = uint8_t(x);
      row[4 * x + 1] = uint8_t(y);
      row[4 * x + 2] = uint8_t(x ^ y);
      row[4 * x + 3] = 255;
    }
  }
  return frame;
}

void PaintAtZoom(benchmark::State& state, double zoom) {
  static NTBitmap frame = MakeFrame();
  ProjectSession session;
  CFovaraView view(session.Frame());
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(1600, 900);
  view.show();  // lays out the viewport
  view.SetDisplayedImage(&frame);
  view.ZoomAround(zoom, QPointF(800, 450));
  QImage target(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  int step = 0;
  for (auto _ : state) {
    // Each paint follows a scroll step, as while panning.
    view.ZoomAround(zoom, QPointF(800 + (step++ % 2) * 20, 450));
    QPainter painter(&target);
    view.viewport()->render(&painter);
  }
  // The colour in the middle of the window is one of the frame's pixels under it (a zoomed
  // out view samples one of several): the paint drew the image.
  QPointF centre = view.ViewToImage(QPointF(800, 450));
  bool found = false;
  for (int dy = -4; dy <= 4 && !found; ++dy) {
    for (int dx = -4; dx <= 4 && !found; ++dx) {
      const uint8_t* p = frame.GetLine(int(centre.y()) + dy) + 4 * (int(centre.x()) + dx);
      found = QColor(target.pixel(800, 450)) == QColor(p[0], p[1], p[2]);
    }
  }
  if (!found) state.SkipWithError("nothing painted");
}

}  // namespace

BENCHMARK_CAPTURE(PaintAtZoom, fit_whole_frame, 1600.0 / kFrameWidth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PaintAtZoom, quarter, 0.25)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PaintAtZoom, actual_pixels, 1.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PaintAtZoom, four_times, 4.0)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
