// How far a blurred foreground spills over a sharp background, measured on the rendered output
// of flat-coloured scenes: a square standing at the frame's nearest depth in front of a wall.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "filters/dof/DepthOfFieldOptions.h"
#include "filters/dof/DepthOfFieldRenderer.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"
#include "filters/dof/Diaph.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/Progress.h"

namespace {
// Renders here show in the scripted user interface's progress, as the program's do in its own.
ScriptedProgress uiProgress;
}  // namespace

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;
constexpr float kSquareDepth = 2.0f;
constexpr float kWallDepth = 10.0f;
// A strip of far background along the top (in the wall's colour), blurred behind the field.
constexpr float kFarDepth = 40.0f;
constexpr int kFarRows = 6;
// The square: columns [kSquareFirst, kSquareEnd), rows [kSquareTop, kSquareTop + its side).
constexpr int kSquareFirst = 50;
constexpr int kSquareEnd = 130;
constexpr int kSquareTop = 30;
constexpr int kSquareBottom = kSquareTop + kSquareEnd - kSquareFirst - 1;
constexpr uint8_t kSquareColour[3] = {240, 200, 20};
constexpr uint8_t kWallColour[3] = {20, 60, 230};

// With a post depth: a flat post at that depth along the left edge, large enough to close a
// slice of its own, out of reach of the square's blur.
std::unique_ptr<CLayerBitmap> SquareBeforeWall(std::optional<float> postDepth) {
  auto colour = std::make_unique<rgbBitmap>(kWidth, kHeight);
  auto depth = std::make_unique<depthBitmap>(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool square = x >= kSquareFirst && x < kSquareEnd && y >= kSquareTop && y <= kSquareBottom;
      const bool onPost = postDepth && x < 16 && y >= 10;
      const uint8_t* c = square ? kSquareColour : kWallColour;
      std::copy(c, c + 3, colour->GetLine(y) + 3 * x);
      depth->GetLine(y)[x] = square ? kSquareDepth : (onPost ? *postDepth : (y < kFarRows ? kFarDepth : kWallDepth));
    }
  }
  auto image = std::make_unique<CLayerBitmap>(std::move(colour));
  image->AddLayer(std::move(depth));
  return image;
}

// The wall in focus, the square blurred `front` pixels.
DepthOfFieldSettings WallInFocus(int front) {
  DepthOfFieldSettings s;
  s.FieldNear = 9.0;
  s.FieldFar = 11.0;
  s.FrontMaxDepth = kSquareDepth;
  s.BackMaxDepth = kFarDepth;
  s.SetAmounts(front, 9);
  s.FilmWidth = 36.0;
  s.PixelScale = kWidth / 36.0;
  return s;
}

std::unique_ptr<CLayerBitmap> Render(const CLayerBitmap& image, const DepthOfFieldSettings& settings) {
  DepthOfFieldOptions options;
  Diaph diaph;
  return DepthOfFieldRenderer(settings, options, diaph.GetPicture()).RenderFrame(image, 1, 1, uiProgress);
}

const uint8_t* Pixel(const CLayerBitmap& image, int x, int y) {
  return image.GetLayerByType(kRgbBitmap)->GetLineBytes(y) + 3 * x;
}

// The share of the square's colour in a pixel, from the channels where the two colours differ
// most (red and blue), averaged.
double SquareShare(const uint8_t* p) {
  const double red = double(p[0] - kWallColour[0]) / double(kSquareColour[0] - kWallColour[0]);
  const double blue = double(p[2] - kWallColour[2]) / double(kSquareColour[2] - kWallColour[2]);
  return (red + blue) / 2.0;
}

// The share `away` pixels out from the middle of each side of the square, the smallest and the
// largest of the four.
struct Spill {
  double least = 1.0;
  double most = 0.0;
};

Spill SpillAt(const CLayerBitmap& result, int away) {
  const int middleX = (kSquareFirst + kSquareEnd) / 2;
  const int middleY = (kSquareTop + kSquareBottom) / 2;
  const int points[4][2] = {{kSquareEnd - 1 + away, middleY},
                            {kSquareFirst - away, middleY},
                            {middleX, kSquareTop - away},
                            {middleX, kSquareBottom + away}};
  Spill s;
  for (const auto& p : points) {
    const double share = SquareShare(Pixel(result, p[0], p[1]));
    s.least = std::min(s.least, share);
    s.most = std::max(s.most, share);
  }
  return s;
}

void ExpectLensLikeSpill(const CLayerBitmap& result, const char* what) {
  const Spill outline = SpillAt(result, 1);
  EXPECT_GE(outline.least, 0.35) << what;
  EXPECT_LE(outline.most, 0.65) << what;
  EXPECT_LT(SpillAt(result, 10).most, 0.05) << what;
  // Fading from the outline outwards, and nothing past the blur's reach.
  for (int away = 2; away <= 10; ++away) {
    EXPECT_LE(SpillAt(result, away).most, SpillAt(result, away - 1).most) << what << ", " << away << " away";
  }
  EXPECT_EQ(SpillAt(result, 12).most, 0.0) << what;
  // The square itself is blurred over the wall behind it, not the other way round: its middle
  // keeps its colour.
  EXPECT_EQ(SquareShare(Pixel(result, (kSquareFirst + kSquareEnd) / 2, (kSquareTop + kSquareBottom) / 2)), 1.0)
      << what;
}

}  // namespace

TEST(ForegroundSpill, SquareAtTheNearestDepthSpillsOverTheSharpWallAsALensBlurs) {
  ScriptedUserInterface ui;
  const DepthOfFieldSettings settings = WallInFocus(20);
  ASSERT_NEAR(settings.BlurPixels(kSquareDepth, true), 20.0, 1e-9);
  // A post blurred 16 pixels closes a slice of its own, so that the square's slice holds only
  // blurs from 17 to 20 pixels.
  auto image = SquareBeforeWall(float(settings.DepthForBlur(16.0 / settings.PixelScale)));
  auto slices = BuildSlices(settings, *image->GetLayer<depthBitmap>(), DepthOfFieldOptions{}.SliceStep);
  const DepthSlice& nearest = slices->Get(slices->GetCount() - 1);
  ASSERT_EQ(nearest.lo, kSquareDepth);
  ASSERT_GT(settings.BlurPixels(nearest.hi, true), 16.0);

  auto result = Render(*image, settings);
  ASSERT_TRUE(result);
  ExpectLensLikeSpill(*result, "a slice of its own");
}

TEST(ForegroundSpill, EmptyDepthsBetweenTheSquareAndTheFieldDoNotCutTheSpill) {
  ScriptedUserInterface ui;
  const DepthOfFieldSettings settings = WallInFocus(20);
  auto image = SquareBeforeWall(std::nullopt);
  // Nothing lies between the square and the wall: the square's slice reaches the field, and its
  // smallest kernel is one pixel.
  auto slices = BuildSlices(settings, *image->GetLayer<depthBitmap>(), DepthOfFieldOptions{}.SliceStep);
  const DepthSlice& nearest = slices->Get(slices->GetCount() - 1);
  ASSERT_EQ(nearest.lo, kSquareDepth);
  ASSERT_EQ(nearest.hi, settings.FieldNear);

  auto result = Render(*image, settings);
  ASSERT_TRUE(result);
  ExpectLensLikeSpill(*result, "a slice reaching the field");
}

TEST(ForegroundSpill, SharpSquareBeforeABlurredWallStaysClean) {
  ScriptedUserInterface ui;
  DepthOfFieldSettings settings = WallInFocus(20);
  settings.FieldNear = 1.5;
  settings.FieldFar = 2.5;
  settings.FrontMaxDepth = 1.0;
  settings.BackMaxDepth = kWallDepth;
  settings.SetAmounts(10, 20);
  ASSERT_NEAR(settings.BlurPixels(kWallDepth, true), 20.0, 1e-9);
  auto image = SquareBeforeWall(std::nullopt);
  auto result = Render(*image, settings);
  ASSERT_TRUE(result);
  // Below the far strip (the wall's blurred border blends over it, in the same colour).
  for (int y = kFarRows; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool square = image->GetLayer<depthBitmap>()->GetLine(y)[x] == kSquareDepth;
      const uint8_t* expected = square ? kSquareColour : kWallColour;
      const uint8_t* p = Pixel(*result, x, y);
      ASSERT_TRUE(std::equal(p, p + 3, expected)) << x << "," << y << (square ? " square" : " wall");
    }
  }
}
