// The row pass shared by the colour filters: where it polls the progress display, what a
// cancel leaves behind, and that the thread count never changes an image.

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include <tbb/global_control.h>

#include "FilterImages.h"
#include "filters/RowPass.h"
#include "filters/atmosphere/AtmosphericPerspectivePixels.h"
#include "filters/zone/ZHuePixels.h"
#include "filters/zone/ZLuminancePixels.h"
#include "filters/zone/ZSaturationPixels.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/Progress.h"

namespace {
// Renders here show in the scripted user interface's progress, as the program's do in its own.
ScriptedProgress uiProgress;
}  // namespace

namespace {

// A progress display opened over the scripted seam for the length of a test.
class ProgressDisplay {
 public:
  explicit ProgressDisplay(int cancelAtStep = 0) {
    ui_.cancelAtStep = cancelAtStep;
    uiProgress.Begin(5, 20, 1, 1);
  }
  ~ProgressDisplay() { uiProgress.End(); }
  int Steps() const { return ui_.ProgressSteps(); }

 private:
  ScriptedUserInterface ui_;
};

// Runs a pass over height rows and tells which rows were computed.
std::vector<int> ComputedRows(int height, bool& complete) {
  std::vector<std::atomic<int>> computed(size_t(std::max(height, 0)));
  complete = RunRowPass(height, uiProgress, [&](int y) { computed[size_t(y)] += 1; });
  std::vector<int> rows;
  for (int y = 0; y < height; ++y) {
    EXPECT_LE(computed[size_t(y)].load(), 1) << "row " << y << " computed twice";
    if (computed[size_t(y)]) rows.push_back(y);
  }
  return rows;
}

std::vector<int> Range(int count) {
  std::vector<int> rows;
  for (int y = 0; y < count; ++y) rows.push_back(y);
  return rows;
}

}  // namespace

TEST(RowPass, PollsTheProgressDisplayAtEveryFifthOfTheImage) {
  struct Case {
    int height;
    int polls;
  };
  // 10 rows: polls at 0, 2, 4, 6, 8; 12 rows: also at 10; under 5 rows: every row.
  for (const Case c : {Case{10, 5}, Case{12, 6}, Case{1080, 5}, Case{3, 3}, Case{0, 0}}) {
    ProgressDisplay display;
    bool complete = false;
    EXPECT_EQ(ComputedRows(c.height, complete), Range(c.height));
    EXPECT_TRUE(complete);
    EXPECT_EQ(display.Steps(), c.polls) << c.height << " rows";
  }
}

TEST(RowPass, CancelStopsAtThePollAndKeepsTheRowsBefore) {
  struct Case {
    int height;
    int cancelAt;
    int rowsDone;
  };
  // The third poll of 10 rows is at row 4; the sixth of 12 rows at row 10.
  for (const Case c : {Case{10, 3, 4}, Case{12, 6, 10}, Case{10, 1, 0}}) {
    ProgressDisplay display(c.cancelAt);
    bool complete = true;
    EXPECT_EQ(ComputedRows(c.height, complete), Range(c.rowsDone));
    EXPECT_FALSE(complete);
    EXPECT_EQ(display.Steps(), c.cancelAt);
  }
}

TEST(RowPass, CancelledFilterReportsItAndWritesOnlyTheRowsBefore) {
  ProgressDisplay display(2);  // the second poll of 10 rows is at row 2
  const CLayerBitmap image = MakeNoiseImage(16, 10, 5);
  rgbBitmap destination(16, 10);
  ZSaturationSettings settings;
  settings.ZoneNear = 100.0f;  // every pixel in front: all change
  settings.ZoneFar = 200.0f;
  settings.ForegroundPoint = 50.0f;
  EXPECT_FALSE(FilterPixels(settings, ZoneOptions{}, image, destination, uiProgress));
  const auto isBlank = [&](int y) {
    for (int i = 0; i < 16 * 3; ++i)
      if (destination.GetLine(y)[i] != 0) return false;
    return true;
  };
  EXPECT_FALSE(isBlank(0));
  EXPECT_FALSE(isBlank(1));
  for (int y = 2; y < 10; ++y) EXPECT_TRUE(isBlank(y)) << y;
}

TEST(RowPass, StopsAtTheCancelOfTheProgressItIsGiven) {
  // No display open and no user interface behind it: only the given progress can cancel.
  class CancelAtThird final : public RenderProgress {
   public:
    void Begin(int, int, int, int) override {}
    bool Step() override { return ++steps == 3; }
    void End() override {}
    int steps = 0;
  } progress;
  std::atomic<int> computed = 0;
  EXPECT_FALSE(RunRowPass(10, progress, [&](int) { ++computed; }));
  EXPECT_EQ(progress.steps, 3);
  EXPECT_EQ(computed.load(), 4) << "rows 0 to 3, before the third poll at row 4";
}

TEST(RowPass, EveryFilterGivesTheSameBytesOnOneThreadAndOnAll) {
  const CLayerBitmap image = MakeNoiseImage(640, 360, 11);

  ZSaturationSettings saturation;
  saturation.ForegroundPoint = 3.0f;
  saturation.ZoneNear = 8.0f;
  saturation.ZoneFar = 12.0f;
  saturation.BackgroundPoint = 18.0f;
  ZLuminanceSettings luminance;
  luminance.CopyFrom(saturation);
  ZHueSettings hue;
  hue.CopyFrom(saturation);
  hue.Colour = CRGBColor(40, 90, 230);
  AtmosphericPerspectiveSettings fog;
  fog.StartDepth = 6.0f;
  fog.NearIntensity = 0.1f;
  fog.Colour = CRGBColor(180, 200, 255);
  ZoneOptions raised;
  raised.RaiseBackground = true;
  ZHueOptions inverted;
  inverted.InvertZone = true;

  const auto runAll = [&] {
    std::vector<std::vector<Rgb>> results;
    results.push_back(Filter(saturation, raised, image));
    results.push_back(Filter(luminance, ZoneOptions{}, image));
    results.push_back(Filter(hue, inverted, image));
    results.push_back(Filter(fog, AtmosphericPerspectiveOptions{}, image));
    return results;
  };
  std::vector<std::vector<Rgb>> single;
  {
    tbb::global_control oneThread(tbb::global_control::max_allowed_parallelism, 1);
    single = runAll();
  }
  const auto many = runAll();
  ASSERT_EQ(single.size(), many.size());
  for (size_t i = 0; i < single.size(); ++i) {
    ASSERT_EQ(single[i].size(), size_t(640 * 360)) << "filter " << i;
    EXPECT_TRUE(single[i] == many[i]) << "filter " << i;
  }
}

// Colour is held premultiplied: a law meant for straight colour (here an inversion) must see the
// straight colour and give back a premultiplied result, or soft edges change hue and brightness.
TEST(RowPass, LawsApplyToTheStraightColourWhereThereIsAlpha) {
  CLayerBitmap source;
  auto colour = std::make_unique<rgbBitmap>(4, 1);
  auto alpha = std::make_unique<alphaBitmap>(4, 1);
  const uint8_t alphas[4] = {255, 128, 51, 0};
  for (int x = 0; x < 4; ++x) {
    alpha->GetData()[x] = alphas[x];
    // Straight colour (200, 100, 0), premultiplied.
    colour->GetData()[3 * x] = uint8_t((200 * alphas[x] + 127) / 255);
    colour->GetData()[3 * x + 1] = uint8_t((100 * alphas[x] + 127) / 255);
  }
  source.AddLayer(std::move(colour));
  source.AddLayer(std::move(alpha));
  source.AddLayer(std::make_unique<depthBitmap>(4, 1));
  rgbBitmap out(4, 1);
  ASSERT_TRUE(RunPixelPass(source, out, uiProgress, [](const uint8_t* in, float, uint8_t* o) {
    for (int k = 0; k < 3; ++k) o[k] = uint8_t(255 - in[k]);
  }));
  for (int x = 0; x < 4; ++x) {
    const uint8_t* p = out.GetLine(0) + 3 * x;
    // Straight result (55, 155, 255), premultiplied again; the transparent pixel stays empty.
    EXPECT_NEAR(p[0], 55 * alphas[x] / 255.0, 1.0) << x;
    EXPECT_NEAR(p[1], 155 * alphas[x] / 255.0, 1.0) << x;
    EXPECT_NEAR(p[2], 255 * alphas[x] / 255.0, 1.0) << x;
  }
  // Without alpha the law sees the colour as it is.
  source.DetachBitmap(kAlphaBitmap);
  ASSERT_TRUE(RunPixelPass(source, out, uiProgress, [](const uint8_t* in, float, uint8_t* o) {
    for (int k = 0; k < 3; ++k) o[k] = uint8_t(255 - in[k]);
  }));
  EXPECT_EQ(out.GetLine(0)[3 * 2], 255 - source.GetLayer<rgbBitmap>()->GetLine(0)[3 * 2]);
}
