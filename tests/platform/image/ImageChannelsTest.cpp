// Channel names of other renderers, and the value conversions between files and layers.
#include <gtest/gtest.h>

#include <OpenImageIO/half.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/image/ChannelFinder.h"
#include "platform/image/HalfConversion.h"
#include "platform/image/PixelConversion.h"

namespace {

using Names = std::vector<std::vector<std::string>>;

bool Is(ChannelRef ref, int subimage, int channel) { return ref.subimage == subimage && ref.channel == channel; }

TEST(ChannelFinderTest, PlainChannels) {
  ChannelPlan p = FindChannels({{"R", "G", "B", "A", "Z"}});
  EXPECT_TRUE(Is(p.red, 0, 0) && Is(p.green, 0, 1) && Is(p.blue, 0, 2));
  EXPECT_TRUE(Is(p.alpha, 0, 3));
  EXPECT_TRUE(Is(p.depth, 0, 4));
  EXPECT_FALSE(p.grey);

  ChannelPlan grey = FindChannels({{"Y", "A"}});
  EXPECT_FALSE(grey.HasColour());
  EXPECT_TRUE(Is(grey.grey, 0, 0));
  EXPECT_TRUE(Is(grey.alpha, 0, 1));

  ChannelPlan depthWord = FindChannels({{"depth"}});
  EXPECT_TRUE(Is(depthWord.depth, 0, 0));
  EXPECT_FALSE(depthWord.grey) << "a lone depth channel is not a grey picture";
  EXPECT_TRUE(Is(FindChannels({{"luma"}}).grey, 0, 0));
  EXPECT_TRUE(FindChannels({{"foo", "bar"}}).IsEmpty());
}

TEST(ChannelFinderTest, MultilayerPrefersTheFinalPictureAndTheDepthPass) {
  // As the file lists them: sorted by name.
  ChannelPlan p = FindChannels({{"ViewLayer.AO.B", "ViewLayer.AO.G", "ViewLayer.AO.R", "ViewLayer.Combined.A",
                                 "ViewLayer.Combined.B", "ViewLayer.Combined.G", "ViewLayer.Combined.R",
                                 "ViewLayer.Normal.X", "ViewLayer.Normal.Y", "ViewLayer.Normal.Z",
                                 "ViewLayer.Depth.Z"}});
  EXPECT_TRUE(Is(p.red, 0, 6) && Is(p.green, 0, 5) && Is(p.blue, 0, 4));
  EXPECT_TRUE(Is(p.alpha, 0, 3));
  EXPECT_TRUE(Is(p.depth, 0, 10)) << "a normal's Z is no depth";
  EXPECT_FALSE(FindChannels({{"N.X", "N.Y", "N.Z"}}).depth);
  EXPECT_FALSE(FindChannels({{"X", "Y", "Z"}}).depth);

  ChannelPlan unprefixedFirst = FindChannels({{"diffuse.R", "diffuse.G", "diffuse.B", "R", "G", "B"}});
  EXPECT_TRUE(Is(unprefixedFirst.red, 0, 3));
  ChannelPlan anyLayer = FindChannels({{"diffuse.R", "diffuse.G", "diffuse.B", "specular.R"}});
  EXPECT_TRUE(Is(anyLayer.red, 0, 0));
}

TEST(ChannelFinderTest, DepthAcrossSubimages) {
  ChannelPlan p = FindChannels({{"R", "G", "B", "A"}, {"Depth.V"}});
  EXPECT_TRUE(Is(p.depth, 1, 0));
  EXPECT_TRUE(Is(FindChannels({{"R", "G", "B"}, {}, {"ViewLayer.Depth.V"}}).depth, 2, 0));
  EXPECT_TRUE(Is(FindChannels({{"R", "G", "B"}, {"Z"}}).depth, 1, 0));
  EXPECT_FALSE(FindChannels({{"R", "G", "B"}, {}}).depth) << "an unusable subimage is skipped";
}

TEST(PixelConversionTest, EveryByteSurvivesLinearFloatAndHalf) {
  for (int v = 0; v < 256; ++v) {
    float linear = SrgbByteToLinear(uint8_t(v));
    ASSERT_EQ(LinearToSrgbByte(linear), v);
    ASSERT_EQ(LinearToSrgbByte(float(half(linear))), v);
    ASSERT_EQ(UnitToByte(float(half(v / 255.0f))), v);
  }
  EXPECT_EQ(LinearToSrgbByte(8.0f), 255);
  EXPECT_EQ(LinearToSrgbByte(-1.0f), 0);
  EXPECT_EQ(LinearToSrgbByte(std::nanf("")), 0);
  EXPECT_EQ(UnitToByte(std::numeric_limits<float>::infinity()), 255);
  EXPECT_EQ(UnitToByte(0.5f), 128);
}

// The encoded byte steps from k to k + 1 where the linear value reaches the decoding of
// (k + 0.5) / 255: a millionth below it gives k, a millionth above k + 1.
TEST(PixelConversionTest, LinearToSrgbByteRoundsTheEncodedValueAtEveryStep) {
  for (int k = 0; k < 255; ++k) {
    const float threshold = SrgbUnitToLinear(float((k + 0.5) / 255.0));
    ASSERT_EQ(LinearToSrgbByte(threshold * (1.0f - 1e-6f)), k) << "below step " << k;
    ASSERT_EQ(LinearToSrgbByte(threshold * (1.0f + 1e-6f)), k + 1) << "above step " << k;
  }
  EXPECT_EQ(LinearToSrgbByte(std::nextafter(1.0f, 0.0f)), 255);
  EXPECT_EQ(LinearToSrgbByte(1e-30f), 0);
  EXPECT_EQ(LinearToSrgbByte(std::numeric_limits<float>::infinity()), 255);
}

// The bulk conversion (the processor's instructions where it has them) gives the half type's
// own rounding for every kind of float: zeros, subnormals, ties, overflow, infinities.
TEST(PixelConversionTest, FloatsToHalvesRoundAsTheHalfTypeDoes) {
  std::vector<float> values = {0.0f, -0.0f, 1.0f, 65504.0f, 65519.0f, 65520.0f, 1e-8f, 5.96e-8f, 2.98e-8f,
                               1.0009765625f, 1.00048828125f, std::numeric_limits<float>::infinity()};
  for (uint64_t bits = 0; bits < (uint64_t(1) << 32); bits += 4099) {
    float v = 0.0f;
    const auto b = uint32_t(bits);
    std::memcpy(&v, &b, sizeof v);
    if (!std::isnan(v)) values.push_back(v);
  }
  std::vector<half> halves(values.size());
  FloatsToHalves(values.data(), values.size(), halves.data());
  for (size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(halves[i].bits(), half(values[i]).bits()) << values[i];
  }
  half nan;
  const float notANumber = std::numeric_limits<float>::quiet_NaN();
  FloatsToHalves(&notANumber, 1, &nan);
  EXPECT_TRUE(nan.isNan());
}

TEST(PixelConversionTest, DepthIsNegatedOnlyWhenEveryObjectDepthIsNotPositive) {
  constexpr float inf = std::numeric_limits<float>::infinity();
  struct Case {
    std::vector<float> in;
    std::vector<float> out;
    bool negated;
  };
  const Case cases[] = {
      {{-1, -5, -1e30f, -inf}, {1, 5, 1e30f, inf}, true},
      {{-1, 0, 1e30f, inf}, {1, 0, 1e30f, inf}, true},
      {{-1, 5, -1e30f}, {-1, 5, -1e30f}, false},
      {{0, 0, inf}, {0, 0, inf}, false},
      {{inf, -inf}, {inf, -inf}, false},
  };
  for (const Case& c : cases) {
    std::vector<float> v = c.in;
    EXPECT_EQ(OrientDepth(v.data(), v.size()), c.negated);
    EXPECT_EQ(v, c.out);
  }
  std::vector<float> withNaN = {-2, std::nanf("")};
  EXPECT_TRUE(OrientDepth(withNaN.data(), withNaN.size()));
  EXPECT_EQ(withNaN[0], 2);
  EXPECT_TRUE(std::isnan(withNaN[1]));
}

}  // namespace
