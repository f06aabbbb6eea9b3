// Every registered filter renders a generated scene with its reset settings: whole frame and
// preview rectangle, with and without alpha.

#include "filters/DepthFilterCommand.h"
#include "animation/FilterTypes.h"
#include "filters/FilterRegistry.h"
#include "project/ProjectFixture.h"
#include "platform/framework/Progress.h"

namespace {

bool AnyPixelDiffers(const CLayerBitmap& a, const CLayerBitmap& b) {
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      if (!(PixelColour(a, x, y) == PixelColour(b, x, y))) return true;
    }
  }
  return false;
}

}  // namespace

class EveryFilterTest : public ProjectTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EveryFilterTest, RendersFramesPreviewsAndTheEffectPreview) {
  const bool withAlpha = GetParam();
  SequenceOptions options;
  options.scene.withAlpha = withAlpha;
  options.scene.farAlpha = 40;
  WriteSequence(dir.Path(), "all", 1, 1, 4, ".exr", "", 90, 100, options);

  auto filters = FilterCommands(session.Frame());
  // Every registered filter is a command of the program.
  ASSERT_EQ(filters.size(), RegisteredFilters().size());
  ASSERT_FALSE(filters.empty());
  for (DepthFilterCommand* filter : filters) {
    SCOPED_TRACE(filter->GetName(Language::English));
    ui.answers.push_back(Answer::No);  // the previous project is not saved
    UserInterfaceProgress uiProgress(ui, filter->GetName(Language::English));
    ASSERT_TRUE(NewProject(dir.File("all0001.exr"), filter->GetID()));
    ASSERT_EQ(Project().GetFilter(), filter);
    const CLayerBitmap& source = *Project().GetCurrentImage();
    const KeyframeSettings& settings = filter->GetCurrentSettings();
    EXPECT_EQ(settings.GetFrameNumber(), 0);
    EXPECT_EQ(filter->GetRequiredLayers(), 513u);
    EXPECT_FLOAT_EQ(filter->GetVersion(), 1.0f);

    auto frame = filter->RenderFrame(settings, uiProgress);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetWidth(), 90);
    EXPECT_EQ(frame->GetHeight(), 100);
    ASSERT_NE(frame->GetLayerByType(kRgbBitmap), nullptr);
    EXPECT_EQ(frame->GetLayerByType(kAlphaBitmap) != nullptr, withAlpha);
    EXPECT_TRUE(AnyPixelDiffers(*frame, source)) << "reset settings leave the frame untouched";

    auto preview = filter->RenderPreview(settings, {10, 20, 40, 30}, uiProgress);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetWidth(), 40);
    EXPECT_EQ(preview->GetHeight(), 30);
    EXPECT_EQ(preview->GetLayerByType(kAlphaBitmap), nullptr);
    EXPECT_EQ(filter->RenderPreview(settings, {80, 90, 40, 30}, uiProgress), nullptr);  // not inside the image

    EXPECT_NE(filter->GetViewBitmap(kViewFilterPreview), nullptr);
    EXPECT_EQ(filter->GetViewBitmap(kViewImageAlpha), nullptr);
    EXPECT_EQ(filter->HasEffectPreview(), 1);
  }
  EXPECT_TRUE(ui.Unexpected().empty());
}

INSTANTIATE_TEST_SUITE_P(Alpha, EveryFilterTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithAlpha" : "WithoutAlpha"; });

TEST_F(ProjectTest, ACancelledRenderGivesNothingAndClosesTheProgress) {
  // Tall enough for the depth of field to poll (every 80 rows).
  WriteSequence(dir.Path(), "c", 1, 1, 4, ".tga", ".zpic", 40, 170);
  for (DepthFilterCommand* filter : FilterCommands(session.Frame())) {
    SCOPED_TRACE(filter->GetName(Language::English));
    ui.answers.push_back(Answer::No);
    ASSERT_TRUE(NewProject(dir.File("c0001.tga"), filter->GetID()));
    ui.cancelAtStep = ui.ProgressSteps() + 1;
    UserInterfaceProgress uiProgress(ui, filter->GetName(Language::English));
    EXPECT_EQ(filter->RenderFrame(filter->GetCurrentSettings(), uiProgress), nullptr);
    EXPECT_FALSE(ui.ProgressOpen());
  }
}

TEST(FilterRegistry, ASecondFilterSharingWhatNamesOneIsRefusedNamingBoth) {
  const FilterEntry& known = RegisteredFilters().front();
  struct Case {
    const char* what;
    FilterEntry entry;
  };
  FilterEntry fresh = known;
  fresh.listPosition = 9999;
  fresh.description.id = FourCC("FXZZ");
  fresh.cliName = "twin";
  fresh.settingsTypeCode = FourCC("ZZZZ");
  std::vector<Case> cases;
  cases.push_back({"command id", fresh});
  cases.back().entry.description.id = known.description.id;
  cases.push_back({"list position", fresh});
  cases.back().entry.listPosition = known.listPosition;
  cases.push_back({"command-line name", fresh});
  cases.back().entry.cliName = known.cliName;
  cases.push_back({"settings", fresh});
  cases.back().entry.settingsTypeCode = known.settingsTypeCode;
  const size_t before = RegisteredFilters().size();
  for (const Case& c : cases) {
    try {
      RegisterFilter(c.entry);
      ADD_FAILURE() << c.what << " taken twice";
    } catch (const std::logic_error& e) {
      const std::string why = e.what();
      EXPECT_NE(why.find(c.what), std::string::npos) << why;
      EXPECT_TRUE(why.find(known.cliName) != std::string::npos ||
                  why.find(FourCCToString(known.description.id)) != std::string::npos)
          << why;
    }
  }
  // Nothing refused was kept.
  EXPECT_EQ(RegisteredFilters().size(), before);
  EXPECT_EQ(FindFilter(FourCC("FXZZ")), nullptr);
  EXPECT_EQ(FindFilterTypes(FourCC("FXZZ")), nullptr);
}

TEST_F(ProjectTest, ASecondCommandOfAnIdIsRefused) {
  CQelCommand* first = session.Frame().GetCommandManager().GetCommand(0);
  EXPECT_THROW(session.Frame().AddCommand(first), std::logic_error);
}
