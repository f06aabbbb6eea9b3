// The depth summary against the pixels it summarises: counts, the sides of its tiles and the
// depth queries of the layer, on depths with background markers of every kind, and the slice
// masks it speeds up against the reference on such depths.
#include <gtest/gtest.h>

#include <hwy/targets.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "ReferenceDepthOfField.h"
#include "filters/dof/BlurKernelTable.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/DepthTiles.h"
#include "filters/dof/Diaph.h"
#include "filters/dof/SlicePasses.h"
#include "support/ScriptedUserInterface.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Smooth depths from 2 to 30 with flat patches, and, when asked, markers of every kind
// (NaN, both infinities, huge values) and negative zeros in blocks and alone.
depthBitmap MakeDepths(int width, int height, bool markers, unsigned seed) {
  depthBitmap depth(width, height);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, 99);
  const float special[] = {kNaN, kInf, -kInf, 2e10f, 1e10f, -0.0f};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float d = 2.0f + 28.0f * float(x + 2 * y) / float(width + 2 * height);
      if ((x / 40 + y / 7) % 3 == 0) d = 12.5f;  // whole tiles at one depth
      if (markers && (pick(random) < 3 || (x >= 200 && x < 330 && y % 5 == 0))) d = special[pick(random) % 6];
      depth.GetLine(y)[x] = d;
    }
  }
  return depth;
}

int64_t CountByHand(const depthBitmap& depth, float lo, float hi) {
  int64_t n = 0;
  for (size_t i = 0; i < depth.GetValueCount(); ++i) n += lo <= depth.GetData()[i] && depth.GetData()[i] <= hi;
  return n;
}

// Counts for every kind of bound, and the depth queries, on images of several sizes.
void ExpectCountsAndQueriesAgree() {
  for (bool markers : {false, true}) {
    // Widths below, at and off the tile width; one row and one column.
    for (const auto& [width, height] : {std::pair{300, 40}, std::pair{128, 3}, std::pair{1, 50}, std::pair{517, 1}}) {
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + (markers ? " with markers" : ""));
      const depthBitmap depth = MakeDepths(width, height, markers, unsigned(width * 7 + height));
      const DepthTiles tiles(depth);
      EXPECT_EQ(tiles.MinDepth(), depth.GetMinDepth());
      EXPECT_EQ(tiles.MaxDepth(), depth.GetMaxDepth());
      EXPECT_EQ(tiles.BackgroundDepth(), depth.GetBackgroundDepth());
      EXPECT_EQ(tiles.BackgroundPixelCount(), depth.GetBackgroundPixelCount());
      const float bounds[] = {-kInf, -1.0f, -0.0f, 0.0f, 2.0f, 7.25f, 12.5f, std::nextafter(12.5f, 0.0f),
                              std::nextafter(12.5f, 99.0f), 29.0f, 1e10f, kInf, kNaN};
      for (float lo : bounds) {
        for (float hi : bounds) {
          EXPECT_EQ(tiles.CountBetween(lo, hi), CountByHand(depth, lo, hi)) << lo << " to " << hi;
        }
      }
    }
  }
}

}  // namespace

// On every instruction set of the vector code that takes the tiles' ranges.
TEST(DepthTiles, CountsAndQueriesAgreeWithThePixels) {
  for (int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    SCOPED_TRACE(hwy::TargetName(target));
    ExpectCountsAndQueriesAgree();
  }
  hwy::SetSupportedTargetsForTest(0);
}

TEST(DepthTiles, EveryTileRunLiesOnTheSideItReports) {
  const depthBitmap depth = MakeDepths(700, 30, true, 5);
  const DepthTiles tiles(depth);
  for (auto [lo, hi] : {std::pair{5.0f, 12.5f}, std::pair{12.5f, 12.5f}, std::pair{-kInf, 3.0f}, std::pair{20.0f, kInf}}) {
    for (int y = 0; y < depth.GetHeight(); ++y) {
      int covered = 0;
      tiles.ForTileRuns(y, lo, hi, [&](int x0, int x1, DepthTiles::Side side) {
        EXPECT_EQ(x0, covered);
        covered = x1;
        for (int x = x0; x < x1; ++x) {
          const float d = depth.GetLine(y)[x];
          const bool fits = side == DepthTiles::Side::Below    ? !(d >= lo)
                            : side == DepthTiles::Side::Inside ? lo <= d && d <= hi
                            : side == DepthTiles::Side::Above  ? d > hi
                                                               : true;
          EXPECT_TRUE(fits) << x << "," << y;
        }
      });
      EXPECT_EQ(covered, depth.GetWidth());
    }
  }
}

// Masks are built from the summary's tiles: on depths with markers (which the renderer replaces
// but the mask itself must still take as the reference does) they must match the reference.
TEST(DepthTiles, SliceMasksOverMarkersMatchTheReference) {
  ScriptedUserInterface ui;
  depthBitmap depth = MakeDepths(400, 60, true, 9);
  DepthOfFieldSettings settings;
  settings.FieldNear = 11.0;
  settings.FieldFar = 14.0;
  settings.SetAmounts(20, 20);
  settings.FrontMaxDepth = 2.0;
  settings.BackMaxDepth = 30.0;
  settings.PixelScale = 400 / settings.FilmWidth;
  Diaph diaph;
  auto table = BlurKernelTable::Build(1.0, 20.0, 0.5, diaph.GetPicture());
  for (auto [lo, hi] : {std::pair{14.0, 30.0}, std::pair{12.5, 12.5}, std::pair{5.0, 11.0}, std::pair{2.0, 1e12}}) {
    auto expected = ReferenceBuildSliceMask(settings, depth, *table, lo, hi);
    auto actual = BuildSliceMask(settings, depth, *table, lo, hi);
    ASSERT_TRUE(actual);
    size_t differences = 0;
    for (size_t i = 0; i < actual->GetValueCount(); ++i) differences += actual->GetData()[i] != expected->GetData()[i];
    EXPECT_EQ(differences, 0u) << lo << " to " << hi;
  }
}
