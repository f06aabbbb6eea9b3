// The depth-of-field filter inside a project: its options travel with the project file and
// it exchanges depths with the tools.

#include <filesystem>

#include "filters/dof/DepthOfFieldFilter.h"
#include "ProjectFixture.h"
#include "tools/DepthTools.h"

namespace {

class DepthOfFieldProjectTest : public ProjectTest {
 protected:
  void SetUp() override {
    WriteSequence(dir.Path(), "dof", 1, 1, 4, ".tga", ".qel", 60, 40);
    ASSERT_TRUE(NewProject(dir.File("dof0001.tga"), FourCC("FXDE")));
    filter = static_cast<DepthOfFieldFilter*>(Project().GetFilter());
  }
  DepthOfFieldSettings& Settings() { return static_cast<DepthOfFieldSettings&>(filter->GetCurrentSettings()); }
  CQelCommand* RunTool(const char* id, int mode) {
    EXPECT_TRUE(session.Frame().RunCommand(*FourCCFromString(id), kRunAsTool, mode));
    return session.Frame().GetCommandManager().GetCurrentCommand();
  }
  ScenePoint Point(ScenePart part) { return PlanesScenePoint(60, 40, part); }

  DepthOfFieldFilter* filter = nullptr;
};

}  // namespace

TEST_F(DepthOfFieldProjectTest, OptionsAndTheDiaphSurviveSavingAndReopening) {
  filter->Options().ApplyOnAlpha = false;
  filter->Options().KernelStep = 0.5;
  filter->Options().SliceStep = 3.0;
  filter->LoadDiaph(5);
  std::string path = SaveAs(dir.File("options.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  filter->LoadDiaph(1);
  filter->Options() = DepthOfFieldOptions{};

  ASSERT_TRUE(session.Document().OnOpenDocument(path)) << session.Document().GetLastError();
  EXPECT_FALSE(filter->Options().ApplyOnAlpha);
  EXPECT_DOUBLE_EQ(filter->Options().KernelStep, 0.5);
  EXPECT_DOUBLE_EQ(filter->Options().SliceStep, 3.0);
  EXPECT_EQ(filter->GetDiaph().GetNumber(), 5);

  // A diaph read from a file comes back from the same file.
  auto square = MakeImage(60, 60, [](int x, int y) {
    uint8_t v = (x > 10 && x < 50 && y > 10 && y < 50) ? 255 : 0;
    return Rgb{v, v, v};
  });
  std::string diaphFile = dir.File("square.png");
  CLayerBitmap grey(square->GetLayerByType(kRgbBitmap)->ConvertToType(kGreyBitmap));
  WriteImage(diaphFile, grey);
  ASSERT_EQ(filter->Options().diaph.LoadFile(diaphFile, Language::English), "");
  ASSERT_EQ(filter->GetDiaph().GetNumber(), 0);
  SaveAs(path);
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  filter->LoadDiaph(2);
  ASSERT_TRUE(session.Document().OnOpenDocument(path));
  EXPECT_EQ(filter->GetDiaph().GetNumber(), 0);
  EXPECT_EQ(filter->GetDiaph().GetPath(), diaphFile);

  // A diaph file gone since gives the disc, not the diaph the last project left.
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  std::filesystem::remove(diaphFile);
  filter->LoadDiaph(2);
  ASSERT_TRUE(session.Document().OnOpenDocument(path));
  EXPECT_EQ(filter->GetDiaph().GetNumber(), 1);
}

TEST_F(DepthOfFieldProjectTest, TheFieldToolSetsTheFieldAndTheMaximumBlurDepthsAtTheEnds) {
  auto* selector = static_cast<IntervalSelectCommand*>(RunTool("DEPI", 0));
  EXPECT_DOUBLE_EQ(selector->GetNearLimit(), Settings().FieldNear);
  EXPECT_DOUBLE_EQ(selector->GetFarLimit(), Settings().FieldFar);
  selector->OnLButtonDown(Point(ScenePart::Far).x, Point(ScenePart::Far).y);
  selector->OnLButtonDown(Point(ScenePart::Mid).x, Point(ScenePart::Mid).y);
  EXPECT_DOUBLE_EQ(Settings().FieldNear, 40.0);
  EXPECT_DOUBLE_EQ(Settings().FieldFar, 100.0);
  EXPECT_DOUBLE_EQ(Settings().FrontMaxDepth, 10.0);
  EXPECT_DOUBLE_EQ(Settings().BackMaxDepth, 100.0);
  // Stored in keyframe 0, the current frame's keyframe.
  EXPECT_DOUBLE_EQ(static_cast<DepthOfFieldSettings*>(Project().Model().Track().GetAt(0))->FieldNear, 40.0);
}

TEST_F(DepthOfFieldProjectTest, TheFocusPointCentresTheFieldAndTheBlurPointsFollowIt) {
  Settings().FieldNear = 20.0;
  Settings().FieldFar = 30.0;
  Settings().FrontMaxDepth = 15.0;  // not at the nearest depth: it follows
  Settings().BackMaxDepth = 100.0;  // at the background: it stays
  auto* picker = static_cast<DepthPickCommand*>(RunTool("DEPP", 1));
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);  // mode 1 shows no forbidden zone
  picker->OnLButtonDown(Point(ScenePart::Mid).x, Point(ScenePart::Mid).y);
  EXPECT_DOUBLE_EQ(Settings().FieldNear, 35.0);
  EXPECT_DOUBLE_EQ(Settings().FieldFar, 45.0);
  EXPECT_DOUBLE_EQ(Settings().FrontMaxDepth, 30.0);
  EXPECT_DOUBLE_EQ(Settings().BackMaxDepth, 100.0);

  // The front maximum-blur point is taken only in front of the field.
  picker = static_cast<DepthPickCommand*>(RunTool("DEPP", 3));
  EXPECT_DOUBLE_EQ(picker->GetReferenceDepth(), 35.0);
  picker->OnLButtonDown(Point(ScenePart::Far).x, Point(ScenePart::Far).y);  // refused
  picker->OnLButtonDown(Point(ScenePart::Near).x, Point(ScenePart::Near).y);
  EXPECT_DOUBLE_EQ(Settings().FrontMaxDepth, 10.0);
  EXPECT_TRUE(ui.Unexpected().empty());
}
