// Behaviour of the slice rendering: slicing, the mask, the spill of a blurred foreground,
// alpha, progress and cancel, the field overlay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "DofScenes.h"
#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"
#include "filters/dof/Diaph.h"
#include "filters/dof/FieldOverlay.h"
#include "filters/dof/SlicePasses.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/Progress.h"

namespace {
// Renders here show in the scripted user interface's progress, as the program's do in its own.
ScriptedProgress uiProgress;
}  // namespace

namespace {

// A sharp, textured background plane at depth 20 (inside the field 15..25) and a flat red disc
// at depth 2, far in front of it, blurred by `front` pixels.
std::unique_ptr<CLayerBitmap> DiscOverSharpPlane(int width, int height, int radius) {
  auto colour = std::make_unique<rgbBitmap>(width, height);
  auto depth = std::make_unique<depthBitmap>(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool disc = (x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2) <= radius * radius;
      uint8_t* c = colour->GetLine(y) + 3 * x;
      c[0] = disc ? 255 : uint8_t(x * 3);
      c[1] = disc ? 0 : uint8_t(100 + (y & 7));
      c[2] = disc ? 0 : 200;
      depth->GetLine(y)[x] = disc ? 2.0f : 20.0f;
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  return image;
}

DepthOfFieldSettings DiscSettings(int width, int front) {
  DepthOfFieldSettings s;
  s.FieldNear = 15.0;
  s.FieldFar = 25.0;
  s.FrontMaxDepth = 2.0;
  s.BackMaxDepth = 40.0;
  s.SetAmounts(front, 10);
  s.FilmWidth = 36.0;
  s.PixelScale = width / 36.0;
  return s;
}

const uint8_t* Pixel(const CLayerBitmap& image, int x, int y) {
  return image.GetLayerByType(kRgbBitmap)->GetLineBytes(y) + 3 * x;
}

// Renders a frame and counts its progress: the total announced and the steps polled.
struct CountedRender {
  std::unique_ptr<CLayerBitmap> result;
  int announcedTotal = -1;  // -1: no progress display opened
  int steps = 0;
  bool closed = false;
};

CountedRender RenderCounting(const CLayerBitmap& frame, const DepthOfFieldSettings& settings,
                             const DepthOfFieldOptions& options, int cancelAtStep) {
  ScriptedUserInterface ui;
  ui.cancelAtStep = cancelAtStep;
  Diaph diaph;
  CountedRender r;
  r.result = DepthOfFieldRenderer(settings, options, diaph.GetPicture()).RenderFrame(frame, 3, 7, uiProgress);
  auto progress = ui.EventsOfKind("progress");
  if (!progress.empty()) r.announcedTotal = progress[0].number;
  r.steps = ui.ProgressSteps();
  r.closed = !ui.ProgressOpen();
  return r;
}

}  // namespace

TEST(BuildSlices, SlicesRunFromTheBackgroundToTheNearestDepth) {
  auto scene = MakeDofScene(120, 90);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 30, 20);
  const depthBitmap& depth = *scene->GetLayer<depthBitmap>();
  auto slices = BuildSlices(settings, depth, 2.0);
  ASSERT_GT(slices->GetCount(), 2);
  EXPECT_EQ(slices->Get(0).hi, double(depth.GetBackgroundDepth()));
  EXPECT_EQ(slices->Get(slices->GetCount() - 1).lo, double(depth.GetMinDepth()));
  bool fieldSlice = false;
  for (int i = 0; i < slices->GetCount(); ++i) {
    const DepthSlice& s = slices->Get(i);
    EXPECT_LE(s.lo, s.hi) << i;
    if (i > 0) {
      EXPECT_EQ(s.hi, slices->Get(i - 1).lo) << i;
    }
    if (s.lo == settings.FieldNear) fieldSlice = s.hi >= settings.FieldFar;
  }
  EXPECT_TRUE(fieldSlice) << "the whole field lies in one slice starting at its near limit";

  // A blur range under one slice step: one slice from the nearest depth to the background.
  settings.SetAmounts(1, 1);
  settings.FieldNear = 2.0;
  settings.FieldFar = 50.0;
  auto one = BuildSlices(settings, depth, 2.0);
  ASSERT_EQ(one->GetCount(), 1);
  EXPECT_EQ(one->Get(0).lo, double(depth.GetMinDepth()));
  EXPECT_EQ(one->Get(0).hi, double(depth.GetBackgroundDepth()));
}

TEST(SliceMask, BlurredForegroundReachesTheSharpBackgroundNearItsOutline) {
  ScriptedUserInterface ui;
  const int W = 90, H = 70, radius = 15;
  auto image = DiscOverSharpPlane(W, H, radius);
  DepthOfFieldSettings settings = DiscSettings(W, 12);
  Diaph diaph;
  const depthBitmap& depth = *image->GetLayer<depthBitmap>();
  const double r = settings.BlurPixels(2.0, true);
  ASSERT_NEAR(r, 12.0, 1e-9);
  auto table = BlurKernelTable::Build(r, r, 0.3, diaph.GetPicture());
  auto mask = BuildSliceMask(settings, depth, *table, 1.0, 3.0);
  ASSERT_TRUE(mask);
  const uint8_t reached = uint8_t(128 + int(r));
  int spilled = 0;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const uint8_t v = mask->GetLine(y)[x];
      const double dist = std::hypot(x - W / 2, y - H / 2);
      if (depth.GetLine(y)[x] == 2.0f) {
        EXPECT_EQ(v, 255) << x << "," << y;
      } else if (dist <= radius + 4) {
        EXPECT_EQ(v, reached) << x << "," << y;  // reached by the border's blur
        ++spilled;
      } else if (dist > radius + 10) {
        EXPECT_EQ(v, 64) << x << "," << y;  // behind, out of reach
      } else {
        EXPECT_TRUE(v == 64 || v == reached) << x << "," << y;
      }
    }
  }
  EXPECT_GT(spilled, 100);

  // The rendered frame: the sharp plane takes a blend of red next to the disc, and stays itself
  // far away.
  DepthOfFieldOptions options;
  auto result = DepthOfFieldRenderer(settings, options, diaph.GetPicture()).RenderFrame(*image, 1, 1, uiProgress);
  ASSERT_TRUE(result);
  const int x = W / 2 + radius + 1, y = H / 2;
  EXPECT_GT(Pixel(*result, x, y)[0], Pixel(*image, x, y)[0]);
  EXPECT_LT(Pixel(*result, x, y)[2], 200);
  for (int corner : {0, W - 1}) {
    EXPECT_EQ(Pixel(*result, corner, 0)[0], Pixel(*image, corner, 0)[0]);
    EXPECT_EQ(Pixel(*result, corner, 0)[2], 200);
  }
}

TEST(SliceRender, BlurredBackgroundTakesNoColourFromASharpObjectInFront) {
  ScriptedUserInterface ui;
  const int W = 80, H = 60;
  auto image = DiscOverSharpPlane(W, H, 12);
  // The disc is now the sharp subject and the plane behind it is blurred by 10 pixels.
  DepthOfFieldSettings settings = DiscSettings(W, 10);
  settings.FieldNear = 1.5;
  settings.FieldFar = 2.5;
  settings.FrontMaxDepth = 1.0;
  settings.BackMaxDepth = 20.0;
  Diaph diaph;
  DepthOfFieldOptions options;
  auto result = DepthOfFieldRenderer(settings, options, diaph.GetPicture()).RenderFrame(*image, 1, 1, uiProgress);
  ASSERT_TRUE(result);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const uint8_t* p = Pixel(*result, x, y);
      if (image->GetLayer<depthBitmap>()->GetLine(y)[x] == 2.0f) {
        EXPECT_EQ(p[0], 255);  // the sharp disc keeps its colour
        EXPECT_EQ(p[1], 0);
      } else {
        EXPECT_EQ(p[2], 200) << x << "," << y;  // no red has leaked into the plane's average
        EXPECT_GE(p[1], 100) << x << "," << y;
      }
    }
  }
}

TEST(SliceRender, AlphaIsLeftOutCopiedOrBlurredLikeColour) {
  auto withAlpha = MakeDofScene(70, 50, true);
  auto withoutAlpha = MakeDofScene(70, 50, false);
  DepthOfFieldSettings settings = DofSceneSettings(*withAlpha, 9, 9);
  DepthOfFieldOptions options;

  auto plain = RenderCounting(*withoutAlpha, settings, options, 0).result;
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->GetLayerByType(kAlphaBitmap));

  options.ApplyOnAlpha = false;
  auto copied = RenderCounting(*withAlpha, settings, options, 0).result;
  ASSERT_TRUE(copied);
  const auto* sourceAlpha = withAlpha->GetLayer<alphaBitmap>();
  const auto* copiedAlpha = copied->GetLayer<alphaBitmap>();
  ASSERT_TRUE(copiedAlpha);
  EXPECT_TRUE(std::equal(sourceAlpha->GetData(), sourceAlpha->GetData() + sourceAlpha->GetValueCount(),
                         copiedAlpha->GetData()));

  // Rendered: exactly the colour render of a frame whose colour is the alpha as grey.
  options.ApplyOnAlpha = true;
  auto blurred = RenderCounting(*withAlpha, settings, options, 0).result;
  ASSERT_TRUE(blurred);
  auto alphaAsColour = std::make_unique<CLayerBitmap>(sourceAlpha->ConvertToType(kRgbBitmap));
  alphaAsColour->AddLayer(withAlpha->GetLayer<depthBitmap>()->Copy());
  auto expected = RenderCounting(*alphaAsColour, settings, options, 0).result;
  ASSERT_TRUE(expected);
  const auto* blurredAlpha = blurred->GetLayer<alphaBitmap>();
  ASSERT_TRUE(blurredAlpha);
  int changed = 0;
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 70; ++x) {
      ASSERT_EQ(blurredAlpha->GetLine(y)[x], Pixel(*expected, x, y)[0]) << x << "," << y;
      changed += blurredAlpha->GetLine(y)[x] != sourceAlpha->GetLine(y)[x];
    }
  }
  EXPECT_GT(changed, 50);
  // The colour is the same whether the alpha is rendered or copied.
  EXPECT_TRUE(std::equal(copied->GetLayerByType(kRgbBitmap)->GetLineBytes(0),
                         copied->GetLayerByType(kRgbBitmap)->GetLineBytes(0) + 70 * 50 * 3,
                         blurred->GetLayerByType(kRgbBitmap)->GetLineBytes(0)));
}

TEST(SliceRender, ProgressCountsEveryEightyRowsOfEachPassAndCancelYieldsNothing) {
  auto scene = MakeDofScene(60, 170, true);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 10, 10);
  DepthOfFieldOptions options;
  const int slices = BuildSlices(settings, *scene->GetLayer<depthBitmap>(), options.SliceStep)->GetCount();
  // A mask and a composite pass a slice; the alpha is rendered in the colour's passes.
  const int total = (170 / 80) * slices * 2;

  CountedRender full = RenderCounting(*scene, settings, options, 0);
  ASSERT_TRUE(full.result);
  EXPECT_EQ(full.announcedTotal, total);
  EXPECT_EQ(full.steps, total);
  EXPECT_TRUE(full.closed);

  for (int cancelAt : {1, total / 2 - 1, total / 2 + 1, total}) {
    CountedRender cancelled = RenderCounting(*scene, settings, options, cancelAt);
    EXPECT_FALSE(cancelled.result) << cancelAt;
    EXPECT_EQ(cancelled.steps, cancelAt);
    EXPECT_TRUE(cancelled.closed) << cancelAt;
  }

  options.ApplyOnAlpha = false;
  EXPECT_EQ(RenderCounting(*scene, settings, options, 0).announcedTotal, total);
}

// A progress of the caller's own, with no user interface behind it: the renderer reports to it
// and stops at its cancel.
class CountingProgress final : public RenderProgress {
 public:
  explicit CountingProgress(int cancelAtStep) : cancelAtStep_(cancelAtStep) {}
  void Begin(int total, int, int, int) override { announced = total, open = true; }
  bool Step() override { return ++steps == cancelAtStep_; }
  void End() override { open = false; }
  int announced = -1;
  int steps = 0;
  bool open = false;

 private:
  int cancelAtStep_;
};

TEST(SliceRender, FramesAndPreviewsReportToTheProgressTheyAreGiven) {
  auto scene = MakeDofScene(60, 170);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 10, 10);
  DepthOfFieldOptions options;
  Diaph diaph;
  const DepthOfFieldRenderer renderer(settings, options, diaph.GetPicture());
  const int slices = BuildSlices(settings, *scene->GetLayer<depthBitmap>(), options.SliceStep)->GetCount();

  CountingProgress whole(0);
  EXPECT_TRUE(renderer.RenderFrame(*scene, 1, 1, whole));
  EXPECT_EQ(whole.announced, (170 / 80) * slices * 2);
  EXPECT_EQ(whole.steps, whole.announced);
  EXPECT_FALSE(whole.open);

  for (int cancelAt : {1, 3}) {
    CountingProgress frame(cancelAt);
    EXPECT_FALSE(renderer.RenderFrame(*scene, 1, 1, frame)) << cancelAt;
    EXPECT_EQ(frame.steps, cancelAt);
    EXPECT_FALSE(frame.open);
    CountingProgress preview(cancelAt);
    EXPECT_FALSE(renderer.RenderPreview(*scene, ImageRect{0, 0, 60, 160}, preview)) << cancelAt;
    EXPECT_EQ(preview.steps, cancelAt);
  }
}

TEST(SliceRender, FramesAndPreviewsUnderEightyRowsOpenNoProgress) {
  auto scene = MakeDofScene(60, 79, true);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 10, 10);
  DepthOfFieldOptions options;
  CountedRender r = RenderCounting(*scene, settings, options, 1);
  ASSERT_TRUE(r.result);
  EXPECT_EQ(r.announcedTotal, -1);
  EXPECT_EQ(r.steps, 0);

  ScriptedUserInterface ui;
  ui.cancelAtStep = 1;
  auto tall = MakeDofScene(60, 200);
  Diaph diaph;
  DepthOfFieldRenderer renderer(settings, options, diaph.GetPicture());
  EXPECT_TRUE(renderer.RenderPreview(*tall, ImageRect{0, 100, 60, 79}, uiProgress));
  EXPECT_TRUE(ui.EventsOfKind("progress").empty());
  // 160 rows: two polls per pass; the first one cancels.
  EXPECT_FALSE(renderer.RenderPreview(*tall, ImageRect{0, 10, 60, 160}, uiProgress));
  auto progress = ui.EventsOfKind("progress");
  ASSERT_EQ(progress.size(), 1u);
  const int slices = BuildSlices(settings, *tall->GetLayer<depthBitmap>(), options.SliceStep)->GetCount();
  EXPECT_EQ(progress[0].number, slices * 2 * 2);
  EXPECT_FALSE(ui.ProgressOpen());
}

TEST(SliceRender, BackgroundMarkersRenderAsTheMaximumDepth) {
  ScriptedUserInterface ui;
  auto marked = MakeDofScene(70, 60);
  depthBitmap& depth = *marked->GetLayer<depthBitmap>();
  const float markers[] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(), 1e30f};
  int k = 0;
  for (size_t i = 0; i < depth.GetValueCount(); ++i) {
    if (depth.GetData()[i] == DofSceneDepths{}.background) depth.GetData()[i] = markers[k++ % 3];
  }
  auto replaced = std::make_unique<CLayerBitmap>(marked->GetLayerByType(kRgbBitmap)->Copy());
  auto replacedDepth = std::unique_ptr<depthBitmap>(static_cast<depthBitmap*>(depth.Copy().release()));
  replacedDepth->ReplaceBackgroundDepth(depth.GetMaxDepth());
  replaced->AddLayer(std::move(replacedDepth));

  DepthOfFieldSettings settings = DofSceneSettings(*replaced, 12, 12);
  DepthOfFieldOptions options;
  Diaph diaph;
  DepthOfFieldRenderer renderer(settings, options, diaph.GetPicture());
  auto expected = renderer.RenderFrame(*replaced, 1, 1, uiProgress);
  auto actual = renderer.RenderFrame(*marked, 1, 1, uiProgress);
  ASSERT_TRUE(expected && actual);
  const Bitmap& e = *expected->GetLayerByType(kRgbBitmap);
  const Bitmap& a = *actual->GetLayerByType(kRgbBitmap);
  EXPECT_TRUE(std::equal(e.GetLineBytes(0), e.GetLineBytes(0) + 70 * 60 * 3, a.GetLineBytes(0)));
  auto expectedPreview = renderer.RenderPreview(*replaced, ImageRect{5, 3, 40, 30}, uiProgress);
  auto actualPreview = renderer.RenderPreview(*marked, ImageRect{5, 3, 40, 30}, uiProgress);
  ASSERT_TRUE(expectedPreview && actualPreview);
  const Bitmap& ep = *expectedPreview->GetLayerByType(kRgbBitmap);
  const Bitmap& ap = *actualPreview->GetLayerByType(kRgbBitmap);
  EXPECT_TRUE(std::equal(ep.GetLineBytes(0), ep.GetLineBytes(0) + 40 * 30 * 3, ap.GetLineBytes(0)));
}

TEST(SliceRender, FramesWithoutColourOrDepthRenderNothing) {
  ScriptedUserInterface ui;
  auto scene = MakeDofScene(30, 20);
  DepthOfFieldSettings settings = DofSceneSettings(*scene, 10, 10);
  DepthOfFieldOptions options;
  Diaph diaph;
  DepthOfFieldRenderer renderer(settings, options, diaph.GetPicture());
  CLayerBitmap colourOnly(scene->GetLayerByType(kRgbBitmap)->Copy());
  CLayerBitmap depthOnly(scene->GetLayerByType(kDepthBitmap)->Copy());
  EXPECT_FALSE(renderer.RenderFrame(colourOnly, 1, 1, uiProgress));
  EXPECT_FALSE(renderer.RenderFrame(depthOnly, 1, 1, uiProgress));
  EXPECT_FALSE(renderer.RenderPreview(colourOnly, ImageRect{0, 0, 10, 10}, uiProgress));
  EXPECT_FALSE(MakeFieldOverlay(settings, depthOnly));
}

TEST(FieldOverlay, SharpZoneUnchangedAndRedGrowingWithTheBlur) {
  const int W = 6;
  auto colour = std::make_unique<rgbBitmap>(W, 1);
  auto depth = std::make_unique<depthBitmap>(W, 1);
  // Depth, red byte: in the field; just outside (blur under one pixel); 5 pixels; fifty;
  // a bright red under some blur; behind the field.
  const float depths[W] = {15.0f, 9.9999f, 0.0f, 0.5f, 0.0f, 30.0f};
  const uint8_t reds[W] = {100, 100, 100, 100, 230, 100};
  DepthOfFieldSettings s;
  s.FieldNear = 10.0;
  s.FieldFar = 20.0;
  s.FrontMaxDepth = 5.0;
  s.BackMaxDepth = 40.0;
  s.SetAmounts(10, 10);
  s.PixelScale = 1.0;
  float fivePixels = 1.0f / (0.1f + 0.5f * (0.2f - 0.1f));  // half of 10 pixels
  for (int x = 0; x < W; ++x) {
    colour->GetLine(0)[3 * x] = reds[x];
    colour->GetLine(0)[3 * x + 1] = 77;
    colour->GetLine(0)[3 * x + 2] = 33;
    depth->GetLine(0)[x] = x == 2 ? fivePixels : depths[x];
  }
  CLayerBitmap image(std::move(colour));
  image.AddLayer(std::move(depth));
  auto overlay = MakeFieldOverlay(s, image);
  ASSERT_TRUE(overlay);
  const uint8_t* p = overlay->GetLayerByType(kRgbBitmap)->GetLineBytes(0);
  const int blurAt2 = int(s.BlurPixels(fivePixels, true));
  EXPECT_EQ(p[0], 100);
  EXPECT_EQ(p[3], 150);                     // no whole pixel of blur: +50
  EXPECT_EQ(p[6], 100 + 4 * blurAt2 + 46);  // +4 a pixel, +46
  EXPECT_EQ(p[9], 255);                     // fifty pixels
  EXPECT_EQ(p[12], 255);                    // already bright
  EXPECT_GT(p[15], 100);
  for (int x = 0; x < W; ++x) {
    EXPECT_EQ(p[3 * x + 1], 77);
    EXPECT_EQ(p[3 * x + 2], 33);
  }
}
