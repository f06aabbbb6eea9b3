#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "platform/framework/Colour.h"

namespace {

struct Hsl {
  double h, s, l;
};

Hsl ToHsl(double r, double g, double b) {
  Hsl v{};
  ConvertRGBToHSL(r, g, b, v.h, v.s, v.l);
  return v;
}

}  // namespace

TEST(Hsl, KnownColours) {
  struct Case {
    double r, g, b, h, s, l;
  };
  const Case cases[] = {
      {1, 0, 0, 0.0, 1, 0.5},           {0, 1, 0, 1.0 / 3, 1, 0.5},   {0, 0, 1, 2.0 / 3, 1, 0.5},
      {1, 1, 0, 1.0 / 6, 1, 0.5},       {0, 1, 1, 0.5, 1, 0.5},       {1, 0, 1, 5.0 / 6, 1, 0.5},
      {0.5, 0.25, 0.25, 0.0, 1.0 / 3, 0.375}, {1, 0.5, 0.5, 0.0, 1, 0.75},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.r << " " << c.g << " " << c.b);
    const Hsl v = ToHsl(c.r, c.g, c.b);
    EXPECT_NEAR(v.h, c.h, 1e-12);
    EXPECT_NEAR(v.s, c.s, 1e-12);
    EXPECT_NEAR(v.l, c.l, 1e-12);
    double r, g, b;
    ConvertHSLToRGB(c.h, c.s, c.l, r, g, b);
    EXPECT_NEAR(r, c.r, 1e-12);
    EXPECT_NEAR(g, c.g, 1e-12);
    EXPECT_NEAR(b, c.b, 1e-12);
  }
}

TEST(Hsl, RandomColoursRoundTrip) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 20000; ++i) {
    // Every fourth colour is built from bytes, as the filters pass them.
    const bool bytes = i % 4 == 0;
    const double r = bytes ? int(unit(random) * 256) / 255.0 : unit(random);
    const double g = bytes ? int(unit(random) * 256) / 255.0 : unit(random);
    const double b = bytes ? int(unit(random) * 256) / 255.0 : unit(random);
    const Hsl v = ToHsl(r, g, b);
    ASSERT_GE(v.h, 0.0);
    ASSERT_LT(v.h, 1.0);
    ASSERT_GE(v.s, 0.0);
    ASSERT_LE(v.s, 1.0);
    double r2, g2, b2;
    ConvertHSLToRGB(v.h, v.s, v.l, r2, g2, b2);
    ASSERT_NEAR(r2, r, 1e-9) << r << " " << g << " " << b;
    ASSERT_NEAR(g2, g, 1e-9) << r << " " << g << " " << b;
    ASSERT_NEAR(b2, b, 1e-9) << r << " " << g << " " << b;
  }
}

TEST(Hsl, ZeroSaturationIsGreyOfTheLightnessWhateverTheHue) {
  for (double h : {0.0, 0.2, 0.7}) {
    for (double l : {0.0, 0.3, 1.0}) {
      double r, g, b;
      ConvertHSLToRGB(h, 0.0, l, r, g, b);
      EXPECT_EQ(r, l);
      EXPECT_EQ(g, l);
      EXPECT_EQ(b, l);
    }
  }
  const Hsl grey = ToHsl(0.4, 0.4, 0.4);
  EXPECT_EQ(grey.h, 0.0);
  EXPECT_EQ(grey.s, 0.0);
  EXPECT_DOUBLE_EQ(grey.l, 0.4);
}

TEST(Hsl, LightnessZeroIsBlackAndOneIsWhite) {
  for (double h : {0.0, 0.4, 0.9}) {
    for (double s : {0.5, 1.0}) {
      double r, g, b;
      ConvertHSLToRGB(h, s, 0.0, r, g, b);
      EXPECT_EQ(r + g + b, 0.0);
      ConvertHSLToRGB(h, s, 1.0, r, g, b);
      EXPECT_EQ(r, 1.0);
      EXPECT_EQ(g, 1.0);
      EXPECT_EQ(b, 1.0);
    }
  }
}

TEST(Hsl, OutOfRangeInputsGiveChannelsInRange) {
  // Lightness or saturation computed past their ends, hues past a turn, and NaN.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Hsl inputs[] = {{0.2, 1.0, 1.3}, {0.2, 1.0, -0.2}, {1.25, 2.0, 0.5}, {-0.75, 0.5, 0.5}, {nan, nan, nan}};
  for (const Hsl& in : inputs) {
    double r, g, b;
    ConvertHSLToRGB(in.h, in.s, in.l, r, g, b);
    for (double channel : {r, g, b}) {
      EXPECT_GE(channel, 0.0);
      EXPECT_LE(channel, 1.0);
    }
  }
  double r1, g1, b1, r2, g2, b2;
  ConvertHSLToRGB(1.25, 1.0, 0.5, r1, g1, b1);
  ConvertHSLToRGB(0.25, 1.0, 0.5, r2, g2, b2);
  EXPECT_NEAR(r1, r2, 1e-12);
  EXPECT_NEAR(g1, g2, 1e-12);
  EXPECT_NEAR(b1, b2, 1e-12);
}

TEST(Hsl, HueIgnoresACommonScaleOfTheChannels) {
  // Raw bytes give the same hue as the same colour in 0..1, light and dark alike.
  const int colours[][3] = {{255, 255, 0}, {255, 0, 0}, {0, 0, 255}, {200, 30, 90}, {2, 1, 1}, {10, 250, 130}};
  for (const auto& c : colours) {
    const Hsl unit = ToHsl(c[0] / 255.0, c[1] / 255.0, c[2] / 255.0);
    const Hsl raw = ToHsl(c[0], c[1], c[2]);
    const Hsl dark = ToHsl(c[0] / 1020.0, c[1] / 1020.0, c[2] / 1020.0);
    EXPECT_NEAR(raw.h, unit.h, 1e-12);
    EXPECT_NEAR(dark.h, unit.h, 1e-12);
    EXPECT_TRUE(std::isfinite(raw.s) && std::isfinite(raw.l));
  }
  EXPECT_NEAR(ToHsl(255, 255, 0).h, 1.0 / 6, 1e-12);
}

TEST(RGBColor, ValueLayoutKeepsTheFourthByte) {
  const CRGBColor yellow = CRGBColor::FromValue(0x0000FFFF);
  EXPECT_EQ(yellow, CRGBColor(255, 255, 0));
  const CRGBColor c = CRGBColor::FromValue(0xA1332211);
  EXPECT_EQ(c.Red(), 0x11);
  EXPECT_EQ(c.Green(), 0x22);
  EXPECT_EQ(c.Blue(), 0x33);
  EXPECT_EQ(c.Extra(), 0xA1);
  EXPECT_EQ(c.ToValue(), 0xA1332211u);
}

TEST(RGBColor, ProductTruncatesAndClamps) {
  const CRGBColor c(200, 101, 3, 7);
  EXPECT_EQ(c * 0.5, CRGBColor(100, 50, 1, 7));
  EXPECT_EQ(c * 2.0, CRGBColor(255, 202, 6, 7));
  EXPECT_EQ(c * -1.0, CRGBColor(0, 0, 0, 7));
  EXPECT_EQ(c * 0.0, CRGBColor(0, 0, 0, 7));
  EXPECT_EQ(c * std::numeric_limits<double>::quiet_NaN(), CRGBColor(0, 0, 0, 7));
  EXPECT_EQ(c * 1e300, CRGBColor(255, 255, 255, 7));
}

TEST(RGBColor, SumClampsAndInterpolationStaysBetweenTheEnds) {
  EXPECT_EQ(CRGBColor(200, 10, 0, 1) + CRGBColor(100, 20, 255, 9), CRGBColor(255, 30, 255, 1));
  // Interpolating as keyframes do: earlier * (1 - t) + later * t.
  const CRGBColor earlier(255, 0, 40);
  const CRGBColor later(0, 255, 40);
  EXPECT_EQ(earlier * 1.0 + later * 0.0, earlier);
  EXPECT_EQ(earlier * 0.0 + later * 1.0, later);
  const CRGBColor middle = earlier * 0.5 + later * 0.5;
  EXPECT_EQ(middle, CRGBColor(127, 127, 40));
}
