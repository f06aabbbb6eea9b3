// The renderer against the plain transcription of the rules, byte for byte, on one thread and
// on all of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <hwy/targets.h>
#include <tbb/global_control.h>

#include "DofScenes.h"
#include "ReferenceDepthOfField.h"
#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"
#include "filters/dof/Diaph.h"
#include "filters/dof/ResampleDiaph.h"
#include "filters/dof/SlicePasses.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/Progress.h"

namespace {
// Renders here show in the scripted user interface's progress, as the program's do in its own.
ScriptedProgress uiProgress;
}  // namespace

namespace {

// A diaph read from a file would be any grey picture: this one is lopsided, has grey levels
// and is black in the middle, so that a border pixel can meet a kernel with nothing at its centre.
std::unique_ptr<g8Bitmap> LopsidedRing() {
  g8Bitmap picture(90, 70);
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 90; ++x) {
      const int dx = x - 40, dy = y - 38;
      const int r2 = dx * dx + dy * dy;
      picture.GetLine(y)[x] = uint8_t(r2 < 200 ? 0 : (r2 < 1400 ? 255 - x : 0));
    }
  }
  return ResampleDiaph(picture, 55.0f, 55.0f);
}

std::unique_ptr<g8Bitmap> DiaphPicture(int number) {
  if (number == 0) return LopsidedRing();
  Diaph diaph;
  diaph.Load("", number);
  return std::unique_ptr<g8Bitmap>(static_cast<g8Bitmap*>(diaph.GetPicture().Copy().release()));
}

// Where two layers first differ, or "" when they hold the same bytes.
std::string FirstDifference(const Bitmap* expected, const Bitmap* actual) {
  if (!expected || !actual) return expected == actual ? "" : "layer missing on one side";
  if (expected->GetType() != actual->GetType() || expected->GetWidth() != actual->GetWidth() ||
      expected->GetHeight() != actual->GetHeight()) {
    return "layers differ in type or size";
  }
  const size_t rowBytes = size_t(expected->GetWidth()) * expected->GetBytesPerPixel();
  for (int y = 0; y < expected->GetHeight(); ++y) {
    const uint8_t* e = expected->GetLineBytes(y);
    const uint8_t* a = actual->GetLineBytes(y);
    for (size_t i = 0; i < rowBytes; ++i) {
      if (e[i] != a[i]) {
        return "byte " + std::to_string(i % expected->GetBytesPerPixel()) + " of pixel (" +
               std::to_string(i / expected->GetBytesPerPixel()) + ", " + std::to_string(y) +
               "): expected " + std::to_string(e[i]) + ", got " + std::to_string(a[i]);
      }
    }
  }
  return "";
}

void ExpectSameImage(const CLayerBitmap* expected, const CLayerBitmap* actual, const std::string& what) {
  ASSERT_TRUE(expected) << what;
  ASSERT_TRUE(actual) << what;
  EXPECT_EQ(FirstDifference(expected->GetLayerByType(kRgbBitmap), actual->GetLayerByType(kRgbBitmap)), "")
      << what << " (colour)";
  EXPECT_EQ(FirstDifference(expected->GetLayerByType(kAlphaBitmap), actual->GetLayerByType(kAlphaBitmap)), "")
      << what << " (alpha)";
  EXPECT_EQ(actual->GetLayerCount(), expected->GetLayerCount()) << what;
}

struct FrameCase {
  std::string name;
  int width;
  int height;
  int diaph;  // 0: a picture as a file would give
  bool alpha;
  bool applyOnAlpha;
  int front;
  int back;
  double kernelStep = 0.3;
  double sliceStep = 2.0;
  bool flatColours = false;  // blocks of one colour: window averages that divide exactly
};

// Blocks of 6 x 5 pixels take the colour (and alpha) of their first pixel.
void FlattenColours(CLayerBitmap& scene) {
  for (int kind : {kRgbBitmap, kAlphaBitmap}) {
    Bitmap* layer = scene.GetLayerByType(kind);
    if (!layer) continue;
    const int bytes = layer->GetBytesPerPixel();
    for (int y = 0; y < layer->GetHeight(); ++y) {
      for (int x = 0; x < layer->GetWidth(); ++x) {
        const uint8_t* from = layer->GetLineBytes(y - y % 5) + (x - x % 6) * bytes;
        std::copy(from, from + bytes, layer->GetLineBytes(y) + x * bytes);
      }
    }
  }
}

void ExpectFrameMatches(const FrameCase& c, const DofSceneDepths& depths = {}) {
  ScriptedUserInterface ui;
  auto scene = MakeDofScene(c.width, c.height, c.alpha, depths);
  if (c.flatColours) FlattenColours(*scene);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, c.front, c.back, depths);
  DepthOfFieldOptions options;
  options.ApplyOnAlpha = c.applyOnAlpha;
  options.KernelStep = c.kernelStep;
  options.SliceStep = c.sliceStep;
  auto diaph = DiaphPicture(c.diaph);

  auto expected = ReferenceRenderFrame(settings, options, *diaph, *scene, 1, 1);
  DepthOfFieldRenderer renderer(settings, options, *diaph);
  auto parallel = renderer.RenderFrame(*scene, 1, 1, uiProgress);
  ExpectSameImage(expected.get(), parallel.get(), c.name + ", all threads");
  {
    tbb::global_control one(tbb::global_control::max_allowed_parallelism, 1);
    auto single = renderer.RenderFrame(*scene, 1, 1, uiProgress);
    ExpectSameImage(expected.get(), single.get(), c.name + ", one thread");
  }
  EXPECT_FALSE(ui.ProgressOpen());
}

}  // namespace

TEST(RenderMatchesReference, FramesWithEveryKindOfDiaphAndAlpha) {
  const FrameCase cases[] = {
      {"disc with alpha", 96, 72, 1, true, true, 12, 9},
      {"horizontal bar, exactly 80 rows", 83, 80, 2, false, true, 10, 14},
      {"star, exactly 160 rows, alpha rendered", 64, 160, 8, true, true, 16, 7},
      {"cross, under 80 rows", 50, 41, 6, false, true, 8, 8},
      {"file diaph black at its centre, alpha copied", 77, 95, 0, true, false, 11, 13},
      {"vertical bar, fifty pixels both ways", 120, 90, 3, false, true, 50, 50},
      {"square, tiny frame", 33, 17, 7, true, true, 6, 5},
      {"disc, coarse kernels and fine slices", 70, 81, 1, false, true, 14, 14, 0.7, 1.0},
      {"diagonal band, one-pixel image rows", 40, 1, 4, false, true, 9, 9},
      {"mirror band, one column", 1, 45, 5, false, true, 9, 9},
      {"wide frame, alpha rendered: row sums far past 16 bits", 700, 90, 1, true, true, 20, 24},
      {"flat colours with alpha", 150, 64, 1, true, true, 18, 15, 0.3, 2.0, true},
      {"flat colours, file diaph", 90, 70, 0, false, true, 10, 12, 0.3, 2.0, true},
      {"tall frame: seven bands, some without work, fine slices", 48, 520, 1, true, true, 18, 22, 0.3, 1.0},
  };
  for (const FrameCase& c : cases) ExpectFrameMatches(c);
}

// The vector code is compiled for several instruction sets and the best one the processor has
// is taken: every one that this processor runs must give the reference's bytes, whatever the
// number of pixels its vectors hold (frames narrower than one vector's pixels included).
TEST(RenderMatchesReference, EveryInstructionSetOfTheVectorCode) {
  const FrameCase cases[] = {
      {"disc with alpha", 96, 72, 1, true, true, 12, 9},
      {"file diaph black at its centre", 77, 95, 0, false, true, 11, 13},
      {"wide frame, alpha rendered", 300, 60, 1, true, true, 20, 24},
      {"flat colours", 64, 50, 8, false, true, 14, 10, 0.3, 2.0, true},
      {"three columns", 3, 40, 1, true, true, 6, 6},
  };
  const std::vector<int64_t> targets = hwy::SupportedAndGeneratedTargets();
  EXPECT_GE(targets.size(), 2u);
  for (int64_t target : targets) {
    hwy::SetSupportedTargetsForTest(target);
    SCOPED_TRACE(hwy::TargetName(target));
    for (const FrameCase& c : cases) ExpectFrameMatches(c);
  }
  hwy::SetSupportedTargetsForTest(0);
}

TEST(RenderMatchesReference, DepthsExactlyOnSliceBoundaries) {
  // The field starts exactly at the wall's depth, and the ground reaches the background depth:
  // those pixels lie on the bounds of two slices and are rendered by both.
  DofSceneDepths depths;
  depths.wall = 9.0f;
  depths.groundFar = depths.background;
  ScriptedUserInterface ui;
  auto scene = MakeDofScene(90, 85, true, depths);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 12, 12, depths);
  settings.FieldNear = 9.0;
  DepthOfFieldOptions options;
  auto diaph = DiaphPicture(1);
  auto expected = ReferenceRenderFrame(settings, options, *diaph, *scene, 1, 1);
  auto actual = DepthOfFieldRenderer(settings, options, *diaph).RenderFrame(*scene, 1, 1, uiProgress);
  ExpectSameImage(expected.get(), actual.get(), "ties");
}

TEST(RenderMatchesReference, EverythingSharpGivesTheInputBack) {
  ScriptedUserInterface ui;
  auto scene = MakeDofScene(61, 83, true);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 20, 20);
  settings.FieldNear = 1.0;
  settings.FieldFar = 100.0;
  DepthOfFieldOptions options;
  auto slices = BuildSlices(settings, *scene->GetLayer<depthBitmap>(), options.SliceStep);
  ASSERT_EQ(slices->GetCount(), 1);
  auto diaph = DiaphPicture(1);
  auto expected = ReferenceRenderFrame(settings, options, *diaph, *scene, 1, 1);
  auto actual = DepthOfFieldRenderer(settings, options, *diaph).RenderFrame(*scene, 1, 1, uiProgress);
  ExpectSameImage(expected.get(), actual.get(), "sharp");
  ASSERT_TRUE(actual);
  EXPECT_EQ(FirstDifference(scene->GetLayerByType(kRgbBitmap), actual->GetLayerByType(kRgbBitmap)), "");
  EXPECT_EQ(FirstDifference(scene->GetLayerByType(kAlphaBitmap), actual->GetLayerByType(kAlphaBitmap)), "");
}

TEST(RenderMatchesReference, PreviewRectangles) {
  ScriptedUserInterface ui;
  auto scene = MakeDofScene(100, 170, true);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 15, 12);
  DepthOfFieldOptions options;
  const struct {
    int x, y, w, h;
  } rects[] = {{10, 7, 50, 40}, {0, 0, 100, 170}, {80, 89, 20, 81}, {37, 60, 1, 80}, {5, 5, 63, 160}};
  for (int number : {1, 8}) {
    auto diaph = DiaphPicture(number);
    DepthOfFieldRenderer renderer(settings, options, *diaph);
    for (const auto& r : rects) {
      const std::string what = "diaph " + std::to_string(number) + " rectangle " + std::to_string(r.x) + "," +
                               std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
      auto expected = ReferenceRenderPreview(settings, options, *diaph, *scene, r.x, r.y, r.w, r.h);
      auto actual = renderer.RenderPreview(*scene, ImageRect{r.x, r.y, r.w, r.h}, uiProgress);
      ExpectSameImage(expected.get(), actual.get(), what);
      if (actual) {
        EXPECT_FALSE(actual->GetLayerByType(kAlphaBitmap)) << what;
      }
    }
    EXPECT_FALSE(renderer.RenderPreview(*scene, ImageRect{90, 0, 20, 10}, uiProgress));
    EXPECT_FALSE(renderer.RenderPreview(*scene, ImageRect{0, 0, 0, 10}, uiProgress));
  }
}

// The masks compared on their own, over kernels of many sizes: a later border pixel's stamp must
// win, as in raster order, since its value chooses the kernel of the blend.
TEST(RenderMatchesReference, SliceMasksOfEverySlice) {
  ScriptedUserInterface ui;
  for (int number : {1, 6, 0}) {
    auto scene = MakeDofScene(110, 170);
    DepthOfFieldSettings settings = DofSceneSettings(*scene, 30, 25);
    const depthBitmap& depth = *scene->GetLayer<depthBitmap>();
    auto diaph = DiaphPicture(number);
    auto slices = BuildSlices(settings, depth, 2.0);
    ASSERT_GT(slices->GetCount(), 3);
    int stampedPixels = 0;
    for (int i = 0; i < slices->GetCount(); ++i) {
      const DepthSlice& s = slices->Get(i);
      // Kernels over the slice's whole blur range, so that its border pixels take several sizes.
      auto table = BlurKernelTable::Build(1.0, 30.0, 0.3, *diaph);
      auto expected = ReferenceBuildSliceMask(settings, depth, *table, s.lo, s.hi);
      auto actual = BuildSliceMask(settings, depth, *table, s.lo, s.hi);
      ASSERT_TRUE(actual);
      EXPECT_EQ(FirstDifference(expected.get(), actual.get()), "") << "diaph " << number << " slice " << i;
      for (size_t p = 0; p < actual->GetValueCount(); ++p) stampedPixels += actual->GetData()[p] > 128 && actual->GetData()[p] < 255;
    }
    EXPECT_GT(stampedPixels, 1000);
  }
}

// Slice bounds are doubles and depths floats: depths one float step either side of every bound,
// and on it, must fall on the same side as the rules' double comparisons put them.
TEST(RenderMatchesReference, SliceMasksForDepthsAroundTheBounds) {
  ScriptedUserInterface ui;
  auto scene = MakeDofScene(64, 48);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 20, 20);
  auto slices = BuildSlices(settings, *scene->GetLayer<depthBitmap>(), 2.0);
  ASSERT_GT(slices->GetCount(), 3);
  depthBitmap& depth = *scene->GetLayer<depthBitmap>();
  int x = 0;
  for (int i = 0; i < slices->GetCount(); ++i) {
    for (double bound : {slices->Get(i).lo, slices->Get(i).hi}) {
      const float f = float(bound);
      for (float d : {std::nextafter(f, 0.0f), f, std::nextafter(f, 1e30f)}) {
        // A small block, so that the neighbours share the depth and some are border pixels.
        for (int dy = 0; dy < 3; ++dy) depth.GetLine(20 + dy)[x % 64] = d;
        ++x;
      }
    }
  }
  auto diaph = DiaphPicture(1);
  auto table = BlurKernelTable::Build(1.0, 20.0, 0.5, *diaph);
  for (int i = 0; i < slices->GetCount(); ++i) {
    auto expected = ReferenceBuildSliceMask(settings, depth, *table, slices->Get(i).lo, slices->Get(i).hi);
    auto actual = BuildSliceMask(settings, depth, *table, slices->Get(i).lo, slices->Get(i).hi);
    EXPECT_EQ(FirstDifference(expected.get(), actual.get()), "") << "slice " << i;
  }
}
