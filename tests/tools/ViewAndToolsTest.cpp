// View modes and their commands, the area preview and the depth picture's name.

#include "filters/DepthFilterCommand.h"
#include "project/ProjectFixture.h"
#include "tools/DepthConversion.h"
#include "tools/DepthTools.h"
#include "tools/ViewCommands.h"

namespace {

// Counts what the project asks of the view.
class RecordingViewport : public ImageViewport {
 public:
  void SetDisplayedImage(const NTBitmap* image) override {
    ++pictures;
    shown = image;
  }
  void Redraw(bool) override { ++redraws; }
  void SetOverlay(const ImageRect& r, std::unique_ptr<NTBitmap> picture) override {
    rect = r;
    overlay = std::move(picture);
  }
  void ClearOverlay() override { overlay.reset(); }
  bool HasOverlay() const override { return overlay != nullptr; }

  int pictures = 0;
  int redraws = 0;
  const NTBitmap* shown = nullptr;
  ImageRect rect;
  std::unique_ptr<NTBitmap> overlay;
};

class ViewTest : public ProjectTest {
 protected:
  void SetUp() override {
    session.Frame().SetViewport(&view);
    PlanesSceneOptions scene;
    scene.withAlpha = true;
    SequenceOptions options;
    options.scene = scene;
    WriteSequence(dir.Path(), "v", 1, 2, 2, ".exr", "", 40, 30, options);
    ASSERT_TRUE(NewProject(dir.File("v01.exr"), FourCC("FXDF")));
  }
  void TearDown() override { session.Frame().SetViewport(nullptr); }

  CQelCommand* Command(const char* id) { return session.Frame().GetCommandManager().GetCommandById(*FourCCFromString(id)); }
  void Apply(const char* id) { ASSERT_TRUE(session.Frame().RunCommand(*FourCCFromString(id), 0, 0)); }
  bool Enabled(const char* id) {
    Command(id)->UpdateState();
    return Command(id)->IsStateSet(kStateEnabled);
  }

  RecordingViewport view;
};

}  // namespace

TEST_F(ViewTest, SetViewModeRebuildsOnlyWhenAskedAndKeepsTheViewWhenTheSourceIsMissing) {
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);
  int before = view.pictures;
  Project().View().SetViewMode(kViewImage, true, false);  // same mode, no force: nothing
  EXPECT_EQ(view.pictures, before);
  Project().View().SetViewMode(kViewImage, true, true);
  EXPECT_EQ(view.pictures, before + 1);

  // Nothing rendered yet: the last result mode changes nothing, mode included.
  Project().View().SetViewMode(kViewLastResult, true, false);
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);
  EXPECT_EQ(view.pictures, before + 1);

  Project().View().SetViewMode(kViewGreyDepth, true, false);
  EXPECT_EQ(Project().View().GetViewMode(), kViewGreyDepth);
  ASSERT_NE(view.shown, nullptr);
  ScenePoint nearPoint = PlanesScenePoint(40, 30, ScenePart::Near);
  ScenePoint farPoint = PlanesScenePoint(40, 30, ScenePart::Far);
  EXPECT_GT(view.shown->GetLine(nearPoint.y)[4 * nearPoint.x], view.shown->GetLine(farPoint.y)[4 * farPoint.x]);

  Project().View().SetViewMode(kViewImageAlpha, true, false);
  EXPECT_EQ(Project().View().GetViewMode(), kViewImageAlpha);
  EXPECT_EQ(view.shown->GetLine(farPoint.y)[4 * farPoint.x], 0);  // the far plane is transparent

  // A filter mode the filter has no picture for keeps the view.
  Project().View().SetViewMode(kFilterViewModeBase + 7, true, false);
  EXPECT_EQ(Project().View().GetViewMode(), kViewImageAlpha);
}

TEST_F(ViewTest, ViewCommandsToggleAndFollowWhatExists) {
  EXPECT_FALSE(Enabled("VLSI"));
  Apply("VLSI");  // applied anyway: the source image
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);

  EXPECT_TRUE(Enabled("PWFX"));
  Apply("PWFX");
  EXPECT_EQ(Project().View().GetViewMode(), kViewFilterPreview);
  Apply("PWFX");
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);

  EXPECT_TRUE(Enabled("VALP"));
  Apply("VALP");
  EXPECT_EQ(Project().View().GetViewMode(), kViewImageAlpha);
  Apply("VALP");
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);

  // Render the frame: the last result shows, its alpha toggles with it.
  ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
  Apply("DOFX");
  EXPECT_EQ(Project().View().GetViewMode(), kViewLastResult);
  EXPECT_TRUE(Enabled("VLSI"));
  Apply("VALP");
  EXPECT_EQ(Project().View().GetViewMode(), kViewResultAlpha);
  Apply("VALP");
  EXPECT_EQ(Project().View().GetViewMode(), kViewLastResult);
  Apply("VLSI");
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);

  // The depth view asks its mode, and leaves without asking.
  ui.depthModes.push_back({2, 1, 0.37f});
  Apply("VZBF");
  EXPECT_EQ(Project().View().GetViewMode(), kViewColourDepth);
  EXPECT_EQ(Project().View().GetDepthViewMode(), 1);
  EXPECT_FLOAT_EQ(Project().View().GetDepthViewFactor(), 0.37f);
  Apply("VZBF");
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);
  EXPECT_EQ(ui.EventsOfKind("depth-mode").size(), 1u);
  ui.depthModes.push_back({1, 0, 0.2f});
  Apply("VZBF");
  EXPECT_EQ(Project().View().GetViewMode(), kViewGreyDepth);
}

TEST_F(ViewTest, AnEditShowsTheImageAgainInsteadOfAnOutdatedResult) {
  ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
  Apply("DOFX");
  ASSERT_EQ(Project().View().GetViewMode(), kViewLastResult);
  Project().NotifyChanged(kChangeSettings);
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);
  // In the effect preview, an edit rebuilds the preview.
  Apply("PWFX");
  int before = view.pictures;
  Project().NotifyChanged(kChangeSettings);
  EXPECT_EQ(Project().View().GetViewMode(), kViewFilterPreview);
  EXPECT_EQ(view.pictures, before + 1);
}

TEST_F(ViewTest, TheAreaPreviewShowsRectanglesOfAtLeastFifteenPixels) {
  auto* preview = static_cast<AreaPreviewCommand*>(Command("DNFX"));
  EXPECT_FALSE(preview->PreviewRectangle({0, 0, 14, 20}));
  EXPECT_FALSE(view.HasOverlay());
  ASSERT_TRUE(preview->PreviewRectangle({2, 3, 15, 15}));
  ASSERT_TRUE(view.HasOverlay());
  EXPECT_EQ(view.overlay->GetWidth(), 15);
  EXPECT_EQ(view.rect.x, 2);
  // Dragged past the edge: the part inside the image.
  ASSERT_TRUE(preview->PreviewRectangle({30, 20, 50, 50}));
  EXPECT_EQ(view.overlay->GetWidth(), 10);
  EXPECT_EQ(view.overlay->GetHeight(), 10);
  // A new interactive command clears the overlay.
  session.Frame().RunCommand(FourCC("ZOOM"), 0, 0);
  EXPECT_FALSE(view.HasOverlay());
}

TEST(DepthPictureName, IsTheImageNameWithZTgaInItsFolder) {
  ProjectModel project;
  project.Frames().SetImageFolder("/shots/");
  project.Frames().SetImageNames({"shot_0012.rla", "shot_0013.rla"});
  EXPECT_EQ(ProposedDepthPictureName(project, 1), "/shots/shot_0012.z.tga");  // a single image's frame
  project.Track().SetMode(kSequenceMode);
  EXPECT_EQ(ProposedDepthPictureName(project, 0), "/shots/shot_0012.z.tga");
  EXPECT_EQ(ProposedDepthPictureName(project, 1), "/shots/shot_0013.z.tga");
}
