#include <gtest/gtest.h>

#include <cmath>

#include "filters/dof/DepthOfFieldSettings.h"
#include "filters/dof/DepthSlices.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FourCC.h"

namespace {

// A field from 10 to 20, 15 pixels of blur at 5 in front and at 40 behind, on a 360 pixel wide
// frame of 36 film units.
DepthOfFieldSettings TypicalSettings() {
  DepthOfFieldSettings s;
  s.FieldNear = 10.0;
  s.FieldFar = 20.0;
  s.FrontMaxDepth = 5.0;
  s.BackMaxDepth = 40.0;
  s.FrontAmount = 15;
  s.BackAmount = 15;
  s.FilmWidth = 36.0;
  s.PixelScale = 10.0;
  return s;
}

std::unique_ptr<CLayerBitmap> DepthImage(int width, int height, float nearest, float farthest) {
  auto depth = std::make_unique<depthBitmap>(width, height);
  float* p = depth->GetData();
  for (size_t i = 0; i < depth->GetValueCount(); ++i) {
    p[i] = nearest + (farthest - nearest) * float(i) / float(depth->GetValueCount() - 1);
  }
  return std::make_unique<CLayerBitmap>(std::move(depth));
}

DepthOfFieldSettings RoundTrip(const DepthOfFieldSettings& s) {
  CArchive out;
  DepthOfFieldSettings copy = s;
  copy.Serialize(out);
  CArchive in(out.GetBytes());
  DepthOfFieldSettings read;
  read.Serialize(in);
  EXPECT_EQ(in.Remaining(), 0u);
  return read;
}

}  // namespace

TEST(DepthOfFieldLaw, FieldLimitsGivePlusOneInFrontAndMinusOneBehind) {
  DepthOfFieldSettings s = TypicalSettings();
  EXPECT_EQ(s.BlurPixels(10.0, false), 1.0);
  EXPECT_EQ(s.BlurPixels(20.0, false), -1.0);
  EXPECT_EQ(s.BlurPixels(15.0, false), 1.0);
  EXPECT_EQ(s.BlurPixels(20.0, true), 1.0);
  // Just outside the field the law starts from 0.
  EXPECT_NEAR(s.BlurPixels(9.999, false), 0.0, 0.01);
  EXPECT_NEAR(s.BlurPixels(20.001, false), 0.0, 0.01);
  EXPECT_GT(s.BlurPixels(9.999, false), 0.0);
  EXPECT_LT(s.BlurPixels(20.001, false), 0.0);
}

TEST(DepthOfFieldLaw, AmountsAreReachedAtTheMaximumDepthsWhateverThePixelScale) {
  for (double scale : {1.0, 10.0, 53.3}) {
    DepthOfFieldSettings s = TypicalSettings();
    s.PixelScale = scale;
    EXPECT_NEAR(s.BlurPixels(5.0, false), 15.0, 1e-9) << scale;
    EXPECT_NEAR(s.BlurPixels(40.0, false), -15.0, 1e-9) << scale;
    EXPECT_NEAR(s.BlurAt(5.0) * scale, 15.0, 1e-9) << scale;
    // Inverse depths: halfway between 1/10 and 1/5 gives half the amount.
    EXPECT_NEAR(s.BlurPixels(1.0 / ((0.1 + 0.2) / 2), false), 7.5, 1e-9) << scale;
  }
}

TEST(DepthOfFieldLaw, MaximumDepthsOnTheFieldLimitsAreMovedOffThem) {
  DepthOfFieldSettings s = TypicalSettings();
  s.FrontMaxDepth = s.FieldNear;
  s.BackMaxDepth = s.FieldFar;
  DepthOfFieldSettings moved = TypicalSettings();
  moved.FrontMaxDepth = 0.95 * 10.0;
  moved.BackMaxDepth = 1.05 * 20.0;
  for (double z : {1.0, 5.0, 9.0, 9.9, 21.0, 30.0, 1000.0}) {
    EXPECT_TRUE(std::isfinite(s.BlurAt(z))) << z;
    EXPECT_DOUBLE_EQ(s.BlurAt(z), moved.BlurAt(z)) << z;
  }
  EXPECT_NEAR(s.BlurPixels(9.5, false), 15.0, 1e-9);
  EXPECT_NEAR(s.BlurPixels(21.0, false), -15.0, 1e-9);
}

TEST(DepthOfFieldLaw, BlurPixelsStaysWithinFiftyEitherWay) {
  DepthOfFieldSettings s = TypicalSettings();
  s.SetAmounts(50, 50);
  double nearest = 0.0;
  double farthest = 0.0;
  for (double z : {1e-9, 0.01, 0.5, 1.0, 4.0, 6.0, 25.0, 100.0, 1e6, 1e30}) {
    double v = s.BlurPixels(z, false);
    EXPECT_LE(v, 50.0) << z;
    EXPECT_GE(v, -50.0) << z;
    nearest = std::max(nearest, v);
    farthest = std::min(farthest, v);
  }
  EXPECT_EQ(nearest, 50.0);
  EXPECT_EQ(farthest, -50.0);
  EXPECT_EQ(s.MaxAmount(), 50.0);
}

TEST(DepthOfFieldLaw, DepthForBlurInvertsTheLawOutsideTheField) {
  DepthOfFieldSettings s = TypicalSettings();
  for (double z : {2.0, 5.0, 8.0, 9.0, 21.0, 25.0, 40.0, 90.0}) {
    ASSERT_GT(s.BlurPixels(z, true), 1.0) << z;
    EXPECT_NEAR(s.DepthForBlur(s.BlurAt(z)), z, 1e-9 * z) << z;
  }
  // A blur of a pixel or less names the middle of the field.
  for (double b : {0.0, 0.1, -0.1, 1.0 / s.PixelScale, -1.0 / s.PixelScale}) {
    EXPECT_EQ(s.DepthForBlur(b), 15.0) << b;
  }
}

// Zero limits and a reversed field are not guarded by the law itself: whatever they give must
// stay a usable blur, and the slicing must still cover the whole depth range.
TEST(DepthOfFieldLaw, DegenerateLimitsGiveFiniteBlursAndCoveringSlices) {
  struct Case {
    const char* name;
    double fieldNear, fieldFar, frontMax, backMax, scale;
  };
  const Case cases[] = {
      {"everything zero", 0.0, 0.0, 0.0, 0.0, 10.0},
      {"field at zero", 0.0, 0.0, 0.0, 40.0, 10.0},
      {"zero maximum depths", 10.0, 20.0, 0.0, 0.0, 10.0},
      {"reversed field", 20.0, 10.0, 5.0, 40.0, 10.0},
      {"far limit zero", 10.0, 0.0, 5.0, 0.0, 10.0},
      {"no pixel scale", 10.0, 20.0, 5.0, 40.0, 0.0},
      {"negative pixel scale", 10.0, 20.0, 5.0, 40.0, -3.0},
  };
  auto image = DepthImage(40, 30, 0.0f, 50.0f);
  const depthBitmap& depth = *image->GetLayer<depthBitmap>();
  for (const Case& c : cases) {
    DepthOfFieldSettings s = TypicalSettings();
    s.FieldNear = c.fieldNear;
    s.FieldFar = c.fieldFar;
    s.FrontMaxDepth = c.frontMax;
    s.BackMaxDepth = c.backMax;
    s.PixelScale = c.scale;
    for (double z : {-1.0, 0.0, 1e-6, 1.0, 5.0, 10.0, 15.0, 20.0, 30.0, 50.0}) {
      double v = s.BlurPixels(z, false);
      EXPECT_TRUE(std::isfinite(v) && v >= -50.0 && v <= 50.0) << c.name << " at " << z << ": " << v;
    }
    auto slices = BuildSlices(s, depth, 2.0);
    ASSERT_GE(slices->GetCount(), 1) << c.name;
    EXPECT_EQ(slices->Get(0).hi, 50.0) << c.name;
    EXPECT_LE(slices->Get(slices->GetCount() - 1).lo, 0.0) << c.name;
    for (int i = 0; i < slices->GetCount(); ++i) {
      EXPECT_FALSE(std::isnan(slices->Get(i).lo) || std::isnan(slices->Get(i).hi)) << c.name;
      if (i > 0) {
        EXPECT_EQ(slices->Get(i).hi, slices->Get(i - 1).lo) << c.name;
      }
    }
  }
}

TEST(DepthOfFieldSettings, ResetPlacesTheFieldByTheDepthRange) {
  // Far depth at least ten times the nearest: field at 2 and 3 times the nearest.
  auto wide = DepthImage(720, 4, 2.0f, 100.0f);
  DepthOfFieldSettings s;
  s.SetFrameNumber(7);
  s.Reset(*wide);
  EXPECT_EQ(s.GetFrameNumber(), 0);
  EXPECT_EQ(s.FieldNear, 4.0);
  EXPECT_EQ(s.FieldFar, 6.0);
  EXPECT_EQ(s.FrontMaxDepth, 2.0);
  EXPECT_EQ(s.BackMaxDepth, 100.0);
  EXPECT_EQ(s.Mode, 2);
  EXPECT_EQ(s.FrontAmount, 15);
  EXPECT_EQ(s.BackAmount, 15);
  EXPECT_EQ(s.FilmWidth, 36.0);
  EXPECT_EQ(s.FilmHeight, 24.0);
  EXPECT_EQ(s.PixelScale, 20.0);

  // A narrower range: 0.3 and 0.7 of the way, with the single-precision constants.
  auto narrow = DepthImage(36, 4, 10.0f, 20.0f);
  s.Reset(*narrow);
  EXPECT_EQ(s.FieldNear, 10.0 + 0.30000001192092896 * 10.0);
  EXPECT_EQ(s.FieldFar, 10.0 + 0.699999988079071 * 10.0);
  EXPECT_EQ(s.PixelScale, 1.0);

  // A nearest depth of 0 would put a field of no width at the camera: the proportional rule serves.
  auto fromZero = DepthImage(36, 4, 0.0f, 1.0f);
  s.Reset(*fromZero);
  EXPECT_DOUBLE_EQ(s.FieldNear, 0.30000001192092896);
  EXPECT_DOUBLE_EQ(s.FieldFar, 0.699999988079071);
}

TEST(DepthOfFieldSettings, RecordRoundTripsAndMissingFilmSizeReadsAsPortrait) {
  DepthOfFieldSettings s = TypicalSettings();
  s.Mode = 3;
  s.SetFrameNumber(12);
  s.FilmHeight = 24.0;
  DepthOfFieldSettings read = RoundTrip(s);
  EXPECT_EQ(read.GetFrameNumber(), 12);
  EXPECT_EQ(read.Mode, 3);
  EXPECT_EQ(read.FrontAmount, 15);
  EXPECT_EQ(read.FieldNear, 10.0);
  EXPECT_EQ(read.FieldFar, 20.0);
  EXPECT_EQ(read.FrontMaxDepth, 5.0);
  EXPECT_EQ(read.BackMaxDepth, 40.0);
  EXPECT_EQ(read.FilmWidth, 36.0);
  EXPECT_EQ(read.FilmHeight, 24.0);
  EXPECT_EQ(read.PixelScale, 10.0);

  CCustomData record;
  s.StoreRecord(record);
  ASSERT_EQ(record.Size(), 10u);
  EXPECT_EQ(record.Entries()[0].key, FourCC("MODE"));
  EXPECT_EQ(record.Entries()[9].key, FourCC("PXSZ"));
  record.Remove(FourCC("FMWD"));
  record.Remove(FourCC("FMHG"));
  DepthOfFieldSettings old;
  old.LoadRecord(record);
  EXPECT_EQ(old.FilmWidth, 24.0);
  EXPECT_EQ(old.FilmHeight, 36.0);

  DepthOfFieldSettings empty;
  empty.LoadRecord(CCustomData{});
  EXPECT_EQ(empty.Mode, 2);
  EXPECT_EQ(empty.FrontAmount, 15);
  EXPECT_EQ(empty.BackAmount, 15);
  EXPECT_EQ(empty.FieldNear, 0.0);
  EXPECT_EQ(empty.FieldFar, 1.0);
  EXPECT_EQ(empty.PixelScale, 1.0);
}

TEST(DepthOfFieldSettings, CloneCopiesTheFieldsButNotTheFrame) {
  DepthOfFieldSettings s = TypicalSettings();
  s.SetFrameNumber(4);
  auto clone = s.Clone();
  EXPECT_EQ(clone->GetFrameNumber(), -1);
  EXPECT_EQ(clone->GetTypeCode(), FourCC("DOFF"));
  const auto& c = static_cast<const DepthOfFieldSettings&>(*clone);
  EXPECT_EQ(c.FieldNear, 10.0);
  EXPECT_EQ(c.BackMaxDepth, 40.0);
  EXPECT_EQ(c.PixelScale, 10.0);
}

TEST(DepthOfFieldSettings, InterpolateBlendsThenKeepsTheDepthsInRange) {
  auto image = DepthImage(360, 2, 4.0f, 50.0f);
  DepthOfFieldSettings earlier = TypicalSettings();
  earlier.Mode = 1;
  DepthOfFieldSettings later = TypicalSettings();
  later.Mode = 2;
  later.SetAmounts(20, 40);
  later.FieldNear = 14.0;
  later.FieldFar = 30.0;
  later.FrontMaxDepth = 3.0;  // nearer than the image: clamped
  later.BackMaxDepth = 48.0;
  later.FilmWidth = 24.0;
  later.PixelScale = 15.0;

  DepthOfFieldSettings out;
  out.Interpolate(image.get(), earlier, later, 0.0);
  EXPECT_EQ(out.FieldNear, 10.0);
  EXPECT_EQ(out.FieldFar, 20.0);
  EXPECT_EQ(out.FrontMaxDepth, 5.0);
  EXPECT_EQ(out.BackMaxDepth, 40.0);
  EXPECT_EQ(out.FrontAmount, 15);

  out.Interpolate(image.get(), earlier, later, 0.3);
  EXPECT_EQ(out.Mode, 1);
  EXPECT_EQ(out.FrontAmount, 16);  // 16.5 truncated
  EXPECT_EQ(out.BackAmount, 22);   // 22.5 truncated
  EXPECT_DOUBLE_EQ(out.FieldNear, 11.2);
  EXPECT_DOUBLE_EQ(out.FieldFar, 23.0);
  EXPECT_DOUBLE_EQ(out.FrontMaxDepth, 0.7 * 5.0 + 0.3 * 3.0);
  EXPECT_EQ(out.FilmWidth, 36.0);
  EXPECT_EQ(out.PixelScale, 10.0);

  // Later's front maximum lies before the image's nearest depth: raised to it.
  out.Interpolate(image.get(), earlier, later, 1.0);
  EXPECT_EQ(out.FrontMaxDepth, 4.0);
  EXPECT_EQ(out.BackMaxDepth, 48.0);

  // Without an image there is no range: the blend is kept as it is.
  out.Interpolate(nullptr, earlier, later, 1.0);
  EXPECT_EQ(out.FrontMaxDepth, 3.0);
}

TEST(DepthOfFieldSettings, ClampLimitsKeepsTheDepthsApartAndInRange) {
  const DepthRange range{4.0f, 60.0f, 80.0f};
  DepthOfFieldSettings s = TypicalSettings();
  s.ClampLimits(9.95, 20.1, range);  // too close to the field: one percent away
  EXPECT_DOUBLE_EQ(s.FrontMaxDepth, 9.9);
  EXPECT_DOUBLE_EQ(s.BackMaxDepth, 20.2);
  s.ClampLimits(1.0, 100.0, range);  // outside the image: its nearest and background depths
  EXPECT_EQ(s.FrontMaxDepth, 4.0);
  EXPECT_EQ(s.BackMaxDepth, 80.0);
  s.FieldNear = 2.0;
  s.FieldFar = 90.0;
  s.ClampLimits(3.0, 85.0, range);
  EXPECT_EQ(s.FieldNear, 4.0);
  EXPECT_EQ(s.FieldFar, 80.0);
  EXPECT_EQ(s.FrontMaxDepth, 4.0);
  EXPECT_EQ(s.BackMaxDepth, 80.0);
}

TEST(DepthOfFieldSettings, DepthToolsStartFromAndChangeTheRightDepths) {
  using Mode = DepthOfFieldSettings::DepthPointMode;
  const DepthRange range{4.0f, 60.0f, 80.0f};
  DepthOfFieldSettings s = TypicalSettings();
  EXPECT_EQ(s.ReferenceDepthFor(Mode::FrontMax), 10.0);
  EXPECT_EQ(s.ReferenceDepthFor(Mode::BackMax), 20.0);
  EXPECT_FALSE(s.ReferenceDepthFor(Mode::Focus).has_value());

  s.ApplyFieldInterval(12.0, 16.0, range);
  EXPECT_EQ(s.FieldNear, 12.0);
  EXPECT_EQ(s.FieldFar, 16.0);
  EXPECT_EQ(s.FrontMaxDepth, 4.0);
  EXPECT_EQ(s.BackMaxDepth, 80.0);

  s = TypicalSettings();
  EXPECT_TRUE(s.ApplyDepthPoint(2, 50.0, range));
  EXPECT_EQ(s.BackMaxDepth, 50.0);
  EXPECT_EQ(s.FrontMaxDepth, 5.0);
  EXPECT_TRUE(s.ApplyDepthPoint(3, 7.0, range));
  EXPECT_EQ(s.FrontMaxDepth, 7.0);
  EXPECT_EQ(s.BackMaxDepth, 50.0);
  EXPECT_FALSE(s.ApplyDepthPoint(4, 7.0, range));
}

TEST(DepthOfFieldSettings, FocusPointMovesTheFieldAndTheMaximumDepthsFollowUnlessAtTheEnds) {
  const DepthRange range{4.0f, 60.0f, 80.0f};
  // Both maximum depths inside the range: they keep their distance to the field.
  DepthOfFieldSettings s = TypicalSettings();
  s.ApplyFocusPoint(30.0, range);
  EXPECT_EQ(s.FieldNear, 25.0);
  EXPECT_EQ(s.FieldFar, 35.0);
  EXPECT_EQ(s.FrontMaxDepth, 20.0);
  EXPECT_EQ(s.BackMaxDepth, 55.0);

  // At the ends of the range they stay there.
  s = TypicalSettings();
  s.FrontMaxDepth = 4.0;
  s.BackMaxDepth = 80.0;
  s.ApplyFocusPoint(30.0, range);
  EXPECT_EQ(s.FrontMaxDepth, 4.0);
  EXPECT_EQ(s.BackMaxDepth, 80.0);

  // Near the front of the range the field is cut at the nearest depth, and the front maximum
  // cannot pass it.
  s = TypicalSettings();
  s.ApplyFocusPoint(6.0, range);
  EXPECT_EQ(s.FieldNear, 4.0);
  EXPECT_EQ(s.FieldFar, 11.0);
  EXPECT_EQ(s.FrontMaxDepth, 4.0);
  EXPECT_EQ(s.BackMaxDepth, 31.0);
}

TEST(DepthOfFieldSettings, TypedFieldLimitsStayInOrderInRangeAndPushTheFullBlurDepthsOut) {
  const DepthRange range{2.0f, 90.0f, 100.0f};
  DepthOfFieldSettings s = TypicalSettings();
  // A near limit past the far one, or a far one before the near one, changes nothing.
  EXPECT_FALSE(s.SetFieldLimit(true, 25.0, range));
  EXPECT_FALSE(s.SetFieldLimit(false, 10.0, range));
  EXPECT_DOUBLE_EQ(s.FieldNear, 10.0);
  EXPECT_DOUBLE_EQ(s.FieldFar, 20.0);
  // A far limit beyond the full blur behind takes it along; beyond the background, clamped.
  EXPECT_TRUE(s.SetFieldLimit(false, 50.0, range));
  EXPECT_DOUBLE_EQ(s.FieldFar, 50.0);
  EXPECT_DOUBLE_EQ(s.BackMaxDepth, 50.5);
  EXPECT_TRUE(s.SetFieldLimit(false, 500.0, range));
  EXPECT_DOUBLE_EQ(s.FieldFar, 100.0);
  EXPECT_DOUBLE_EQ(s.BackMaxDepth, 100.0);
  // A near limit before the nearest depth is the nearest depth; the full blur in front stays
  // in front of it, within the range.
  EXPECT_TRUE(s.SetFieldLimit(true, 0.5, range));
  EXPECT_DOUBLE_EQ(s.FieldNear, 2.0);
  EXPECT_DOUBLE_EQ(s.FrontMaxDepth, 2.0);
  EXPECT_DOUBLE_EQ(s.FocusDepth(), 51.0);
}
