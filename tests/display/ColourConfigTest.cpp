// A colour configuration's displays and views, and float colour shown through one of them.

#include <cmath>

#include <gtest/gtest.h>

#include "display/ColourConfig.h"
#include "platform/image/FloatLayers.h"
#include "support/ColourConfigFile.h"
#include "support/TempFolder.h"

namespace {

std::unique_ptr<ColourConfig> LoadTestConfig(const TempFolder& folder) {
  std::string reason;
  auto config = ColourConfig::Load(WriteColourConfig(folder), reason);
  EXPECT_TRUE(config) << reason;
  return config;
}

std::shared_ptr<const DisplayTransform> Transform(const ColourConfig& config, const std::string& view) {
  std::string reason;
  auto transform = config.MakeTransform({"Test", view}, reason);
  EXPECT_TRUE(transform) << reason;
  return transform;
}

int Byte(double unit) { return int(std::lround(std::clamp(unit, 0.0, 1.0) * 255)); }

}  // namespace

TEST(ColourConfig, ListsEveryDisplaysViewsAndItsDefault) {
  TempFolder folder;
  auto config = LoadTestConfig(folder);
  ASSERT_TRUE(config);
  const std::vector<DisplayView> expected = {
      {"Test", "Raw"}, {"Test", "Root"}, {"Test", "Graded"}, {"Other", "Raw"}};
  EXPECT_EQ(config->Views(), expected);
  EXPECT_EQ(config->Default(), (DisplayView{"Test", "Raw"}));
  EXPECT_EQ(config->InputSpace(), "scene_linear");
  EXPECT_EQ(DisplayViewName(config->Views()[1]), "Test / Root");
}

TEST(ColourConfig, ViewsTransformStraightLight) {
  TempFolder folder;
  auto config = LoadTestConfig(folder);
  ASSERT_TRUE(config);
  auto root = Transform(*config, "Root");
  auto raw = Transform(*config, "Raw");
  ASSERT_TRUE(root && raw);
  EXPECT_EQ(root->Name(), "Test / Root");
  float rgb[6] = {0.25f, 0.04f, 1.0f, 0.25f, 0.04f, 1.0f};
  root->Apply(rgb, 1);
  raw->Apply(rgb + 3, 1);
  EXPECT_NEAR(rgb[0], 0.5f, 1e-5f);
  EXPECT_NEAR(rgb[1], 0.2f, 1e-5f);
  EXPECT_NEAR(rgb[2], 1.0f, 1e-5f);
  EXPECT_NEAR(rgb[3], 0.25f, 1e-6f);
}

// Every pixel of a frame big enough to be cut into row bands: the exposure scales the light
// before the view, a partly covered pixel goes through the view straight and is covered again,
// and light above what the view shows is clipped.
TEST(ColourConfig, EncodesAFrameThroughTheViewAtTheExposure) {
  TempFolder folder;
  auto config = LoadTestConfig(folder);
  ASSERT_TRUE(config);
  auto root = Transform(*config, "Root");
  ASSERT_TRUE(root);
  constexpr int w = 37;
  constexpr int h = 90;
  rgbFloatBitmap colour(w, h);
  alphaFloatBitmap alpha(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const float a = x % 3 == 0 ? 0.5f : 1.0f;
      alpha.GetLine(y)[x] = a;
      for (int c = 0; c < 3; ++c) colour.GetLine(y)[3 * x + c] = a * float(x + y + c) / 200.0f;
    }
  }
  constexpr float kStops = 1.0f;
  auto shown = EncodeColour(colour, &alpha, kStops, *root);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double a = alpha.GetLine(y)[x];
      for (int c = 0; c < 3; ++c) {
        const double straight = 2.0 * (x + y + c) / 200.0;
        const int expected = Byte(a * std::sqrt(std::min(straight, 1.0)));
        ASSERT_NEAR(shown->GetLine(y)[3 * x + c], expected, 1) << x << "," << y << "," << c;
      }
    }
  }
  // The mid-grey of the view: linear 0.25 shows as half the screen's range.
  rgbFloatBitmap quarter(1, 1);
  std::fill_n(quarter.GetData(), 3, 0.25f);
  EXPECT_NEAR(EncodeColour(quarter, nullptr, 0.0f, *root)->GetData()[0], 128, 1);
}

TEST(ColourConfig, AViewTheFileCannotMakeIsRefusedWithItsReason) {
  TempFolder folder;
  auto config = LoadTestConfig(folder);
  ASSERT_TRUE(config);
  std::string reason;
  EXPECT_FALSE(config->MakeTransform({"Test", "Graded"}, reason));
  EXPECT_NE(reason.find("no-such-grade"), std::string::npos) << reason;
  reason.clear();
  EXPECT_FALSE(config->MakeTransform({"Nowhere", "Raw"}, reason));
  EXPECT_FALSE(reason.empty());
}

TEST(ColourConfig, FilesThatCannotBeUsedGiveTheirReason) {
  TempFolder folder;
  std::string reason;
  EXPECT_FALSE(ColourConfig::Load(folder.File("absent.ocio"), reason));
  EXPECT_FALSE(reason.empty());
  reason.clear();
  EXPECT_FALSE(ColourConfig::Load(folder.Write("broken.ocio", "ocio_profile_version: 2\ncolorspaces: [ {name: \n"), reason));
  EXPECT_FALSE(reason.empty());
  reason.clear();
  // Read, but without a space for the program's linear light.
  const std::string noRoles = "ocio_profile_version: 2\n"
                              "displays:\n  Test:\n    - !<View> {name: Raw, colorspace: linear}\n"
                              "colorspaces:\n  - !<ColorSpace>\n    name: linear\n";
  EXPECT_FALSE(ColourConfig::Load(folder.Write("roles.ocio", noRoles), reason));
  EXPECT_FALSE(reason.empty());
}
