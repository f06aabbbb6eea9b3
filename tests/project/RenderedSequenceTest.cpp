// Projects of OpenEXR sequences as renderers write them: frames at the display window, the field
// on the subject, soft edges without fringes, stereo views, and companion files without depth.
#include <OpenImageIO/imageio.h>

#include <cmath>
#include <filesystem>

#include "support/ScriptedUserInterface.h"
#include "filters/dof/DepthOfFieldSettings.h"
#include "platform/framework/StringTable.h"
#include "platform/image/FloatLayers.h"
#include "platform/image/PixelConversion.h"
#include "project/ProjectFixture.h"
#include "support/RenderedExr.h"
#include "platform/framework/Progress.h"

namespace {
// Renders here show in the scripted user interface's progress, as the program's do in its own.
ScriptedProgress uiProgress;
}  // namespace

namespace {

const uint32_t kDepthOfField = FourCC("FXDE");
constexpr int kW = 90;
constexpr int kH = 64;

// The subject of frame k: moving right, its depth from 9.0 to 10.9 across it.
SoftDisc FrameSubject(int k) {
  SoftDisc disc;
  disc.cx = 25 + 12 * k;
  disc.cy = 28 + 3 * k;
  disc.radius = 12;
  disc.edge = 5;
  disc.depth = 9.95f;
  disc.depthPerPixel = 0.95f / 17;
  return disc;
}

ImageRect Around(const SoftDisc& d) {
  int margin = int(d.radius + d.edge) + 1;
  return {int(d.cx) - margin, int(d.cy) - margin, 2 * margin, 2 * margin};
}

void WriteFrames(const TempFolder& dir, int count) {
  for (int k = 0; k < count; ++k) {
    SoftDisc disc = FrameSubject(k);
    WriteRenderedExr(dir.File("shot000" + std::to_string(k + 1) + ".exr"), kW, kH,
                     {{"", "", {}, Around(disc), disc.Channels(true)}});
  }
}

}  // namespace

TEST_F(ProjectTest, RenderedSequenceFramesLineUpAndTheResetFieldLiesOnTheSubject) {
  WriteFrames(dir, 3);
  ASSERT_TRUE(NewProject(dir.File("shot0001.exr"), kDepthOfField));
  ASSERT_EQ(Project().Model().GetImageCount(), 3);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    ASSERT_TRUE(Project().LoadFrameAt(k));
    const CLayerBitmap& image = *Project().GetCurrentImage();
    EXPECT_EQ(image.GetWidth(), kW);
    EXPECT_EQ(image.GetHeight(), kH);
    SoftDisc disc = FrameSubject(k);
    EXPECT_EQ(PixelAlpha(image, int(disc.cx), int(disc.cy)), 255);
    EXPECT_EQ(PixelAlpha(image, int(disc.cx), int(disc.cy - disc.radius - disc.edge - 1)), 0);
    const depthBitmap& depth = *image.GetLayer<depthBitmap>();
    EXPECT_GE(depth.GetMinDepth(), 9.0f);
    EXPECT_LE(depth.GetMaxDepth(), 10.91f);
  }
  const auto& settings = static_cast<const DepthOfFieldSettings&>(Project().GetFilter()->GetCurrentSettings());
  EXPECT_GE(settings.FieldNear, 9.0);
  EXPECT_LE(settings.FieldFar, 10.91);
  EXPECT_LT(settings.FieldNear, settings.FieldFar);
}

// A subject with soft edges on nothing, all at one depth, blurred: over white it must look like
// the picture over white, blurred. Premultiplied colour blurs so; straight colour would leave a
// dark fringe where the empty pixels' black bleeds in. A rendered file is float colour, blurred in
// linear light: the layering over white is done in linear light too.
TEST_F(ProjectTest, ABlurredSoftEdgeOverWhiteHasNoFringe) {
  SoftDisc disc = FrameSubject(1);
  disc.depthPerPixel = 0.0f;
  WriteRenderedExr(dir.File("soft0001.exr"), kW, kH, {{"", "", {}, Around(disc), disc.Channels(true)}});
  // The same picture laid over white, opaque, at the same depth everywhere.
  auto overWhite = [&](int k, int x, int y) {
    double a = disc.Alpha(x, y);
    double straight = k == 0 ? disc.red : k == 1 ? disc.green : disc.blue;
    return float(a * straight + (1 - a));
  };
  std::vector<ExrChannel> white;
  for (int k = 0; k < 3; ++k) {
    white.push_back({std::string(1, "RGB"[k]), false, [=](int x, int y) { return overWhite(k, x, y); }});
  }
  white.push_back({"Z", false, [&](int, int) { return disc.depth; }});
  WriteRenderedExr(dir.File("white0001.exr"), kW, kH, {{"", "", {}, {0, 0, kW, kH}, white}});

  auto render = [&](const std::string& image) {
    ui.answers.push_back(Answer::No);
    EXPECT_TRUE(NewProject(dir.File(image), kDepthOfField));
    auto settings = Project().GetFilter()->GetCurrentSettings().Clone();
    auto& dof = static_cast<DepthOfFieldSettings&>(*settings);
    // The field well behind the subject: it is blurred, evenly, by a few pixels.
    dof.FieldNear = 20.0;
    dof.FieldFar = 30.0;
    dof.FrontMaxDepth = 5.0;
    return CurrentFilterCommand(Project())->RenderFrame(dof, uiProgress);
  };
  auto soft = render("soft0001.exr");
  auto reference = render("white0001.exr");
  ASSERT_TRUE(soft && reference && GetAlphaLayer(*soft));

  // Through a saved straight-alpha file, as a compositor would take it.
  WriteImage(dir.File("soft.png"), *soft);
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto in = OIIO::ImageInput::open(dir.File("soft.png"), &config);
  ASSERT_TRUE(in);
  std::vector<uint8_t> stored(size_t(kW) * kH * 4);
  ASSERT_TRUE(in->read_image(0, 0, 0, 4, OIIO::TypeDesc::UINT8, stored.data()));
  int worst = 0;
  int blurredEdge = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const uint8_t* p = &stored[(size_t(y) * kW + x) * 4];
      double a = p[3] / 255.0;
      if (p[3] > 0 && p[3] < 255 && std::fabs(disc.Alpha(x, y) - a) > 0.05) ++blurredEdge;
      for (int k = 0; k < 3; ++k) {
        double composite = LinearToSrgbUnit(float(a * SrgbByteToLinear(p[k]) + (1 - a))) * 255.0;
        int expected = PixelColour(*reference, x, y).r;
        if (k == 1) expected = PixelColour(*reference, x, y).g;
        if (k == 2) expected = PixelColour(*reference, x, y).b;
        worst = std::max(worst, int(std::lround(std::fabs(composite - expected))));
      }
    }
  }
  EXPECT_GT(blurredEdge, 20) << "the edge was not blurred";
  EXPECT_LE(worst, 2);
}

TEST_F(ProjectTest, ANewProjectKeepsTheViewItWasMadeWith) {
  SoftDisc left = FrameSubject(0);
  SoftDisc right = FrameSubject(1);
  right.red = 0.9f;
  std::vector<ExrChannel> channels = left.Channels(true);
  for (auto& ch : right.Channels(true, "right.")) channels.push_back(ch);
  WriteRenderedExr(dir.File("stereo0001.exr"), kW, kH, {{"", "", {"left", "right"}, {0, 0, kW, kH}, channels}});

  Project().Model().Frames().SetImageView("right");
  ASSERT_TRUE(NewProject(dir.File("stereo0001.exr"), kDepthOfField));
  EXPECT_EQ(PixelColour(*Project().GetCurrentImage(), int(right.cx), int(right.cy)).r, LinearToSrgbByte(0.9f));
  SaveAs(dir.File("p.fvz"));

  ASSERT_TRUE(session.Document().OnOpenDocument(dir.File("p.fvz"))) << session.Document().GetLastError();
  EXPECT_EQ(Project().Model().Frames().GetImageView(), "right");
  EXPECT_EQ(PixelColour(*Project().GetCurrentImage(), int(right.cx), int(right.cy)).r, LinearToSrgbByte(0.9f));
}

// A companion that holds neither depth nor a picture (alpha alone) is no depth file: it is refused
// with the invalid-file message, never attached.
TEST_F(ProjectTest, ACompanionWithOnlyAlphaIsRefused) {
  WriteSequence(dir.Path(), "a", 1, 1, 4, ".tga", ".zpic", 40, 30);
  std::filesystem::remove(dir.File("a0001.zpic"));
  WriteRenderedExr(dir.File("a0001.qel"), 40, 30, {{"", "", {}, {0, 0, 40, 30}, {{"A", true, [](int, int) {
                                                                                   return 1.0f;
                                                                                 }}}}});
  ui.openFiles.push_back(std::nullopt);  // no other depth file is picked
  EXPECT_FALSE(NewProject(dir.File("a0001.tga")));
  EXPECT_EQ(Project().GetCurrentImage(), nullptr);
  auto warnings = ui.EventsOfKind("warning");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].text, LoadString(Language::English, 2188));
}
