// The render commands' run procedure, driven through the scripted user interface.

#include <filesystem>

#include "platform/framework/FileHelpers.h"
#include "project/ProjectFixture.h"
#include "tools/RenderCommand.h"

namespace fs = std::filesystem;

namespace {

class RenderRunTest : public ProjectTest {
 protected:
  // A sequence numbered from 101, opened with Z Luminance.
  void MakeSequence(int count) {
    names = WriteSequence(dir.Path(), "shot", 101, count, 4, ".tga", ".zpic", 24, 20);
    ASSERT_TRUE(NewProject(dir.File("shot0101.tga"), FourCC("FXDL")));
    ui.ClearEvents();
  }

  bool Run(uint32_t id) { return session.Frame().RunCommand(id, 0, 0); }

  std::vector<std::string> Written(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
  }

  std::vector<std::string> names;
};

constexpr uint32_t kRender = FourCC("DOFX");
constexpr uint32_t kRenderSave = FourCC("DSFX");

}  // namespace

TEST_F(RenderRunTest, SavedFramesKeepTheSourceNumbersWhateverPartIsRendered) {
  MakeSequence(10);
  fs::create_directory(dir.File("out"));
  ui.renderRanges.push_back({4, 7, 3});  // range 7 to 3: frames 3 to 7
  ui.saveFiles.push_back(dir.File("out/graded.png"));
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_EQ(ui.EventsOfKind("render-range")[0].number, 10);  // frames in the animation
  // The proposed name was the project's default output name.
  EXPECT_EQ(ui.EventsOfKind("save")[0].text, dir.File("Kovrinshot"));
  EXPECT_EQ(Written(dir.File("out")), (std::vector<std::string>{"graded0104.png", "graded0105.png", "graded0106.png",
                                                                "graded0107.png", "graded0108.png"}));
  // The chosen name is kept for the next render, and the project is marked modified.
  EXPECT_EQ(Project().outputFolder, dir.File("out/"));
  EXPECT_EQ(Project().outputName, "graded.png");
  EXPECT_EQ(Project().GetTrack().GetCurrentFrame(), 7);
  EXPECT_EQ(Project().GetViewMode(), kViewLastResult);
  ASSERT_NE(Project().GetLastResult(), nullptr);
  EXPECT_EQ(ui.EventsOfKind("progress").size(), 5u);
  EXPECT_EQ(ui.EventsOfKind("progress")[0].text, "Render filter \"Z Luminance\"\n(image 1 / 5)");
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(RenderRunTest, RangeChoicesOfTheOptionsDialog) {
  MakeSequence(4);
  Project().GetTrack().SetCurrentFrame(2, false);
  struct Case {
    RenderRangeChoice choice;
    int lastRendered;
    size_t frames;
  };
  for (const Case& c : {Case{{0, 0, 0}, 0, 1}, Case{{1, 0, 0}, 3, 1}, Case{{3, 0, 0}, 3, 4}, Case{{4, 2, 1}, 2, 2}}) {
    ui.ClearEvents();
    ui.renderRanges.push_back(c.choice);
    ASSERT_TRUE(Run(kRender));
    EXPECT_EQ(ui.EventsOfKind("progress").size(), c.frames) << c.choice.mode;
    EXPECT_EQ(Project().GetTrack().GetCurrentFrame(), c.lastRendered) << c.choice.mode;
  }
  // Current frame (mode 2) renders the frame on show.
  ui.renderRanges.push_back({2, 0, 0});
  ui.ClearEvents();
  ASSERT_TRUE(Run(kRender));
  EXPECT_EQ(ui.EventsOfKind("progress").size(), 1u);
  EXPECT_EQ(Project().GetTrack().GetCurrentFrame(), 2);
}

TEST_F(RenderRunTest, ASingleFrameAsksNoRangeAndACancelledSaveStillRenders) {
  WriteSequence(dir.Path(), "still", 1, 1, 4, ".tga", ".zpic", 24, 20);
  ASSERT_TRUE(NewProject(dir.File("still0001.tga"), FourCC("FXDH")));
  ui.ClearEvents();
  ui.saveFiles.push_back(std::nullopt);
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_TRUE(ui.EventsOfKind("render-range").empty());
  auto infos = ui.EventsOfKind("info");
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].text, "Blur rendering preview\nResulting image(s) won't be saved");
  EXPECT_EQ(infos[0].number, 2000);
  EXPECT_NE(Project().GetLastResult(), nullptr);
  EXPECT_EQ(Project().outputName, "Kovrinstill");
}

TEST_F(RenderRunTest, CancelDuringTheThirdFrameKeepsTheTwoBefore) {
  MakeSequence(10);
  fs::create_directory(dir.File("out"));
  ui.renderRanges.push_back({3, 0, 0});
  ui.saveFiles.push_back(dir.File("out/c.tga"));
  ui.cancelAtStep = ui.ProgressSteps() + 2 * 5 + 3;  // five polls a frame; the third of frame 3
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_EQ(Written(dir.File("out")), (std::vector<std::string>{"c0101.tga", "c0102.tga"}));
  EXPECT_FALSE(ui.ProgressOpen());
  EXPECT_EQ(Project().GetTrack().GetCurrentFrame(), 2);
}

TEST_F(RenderRunTest, AFrameThatCannotBeLoadedLeavesTheRange) {
  MakeSequence(5);
  fs::remove(dir.File("shot0103.zpic"));
  fs::create_directory(dir.File("out"));
  ui.renderRanges.push_back({3, 0, 0});
  ui.saveFiles.push_back(dir.File("out/r.png"));
  ui.openFiles.push_back(std::nullopt);  // no depth file picked for frame 103
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_EQ(Written(dir.File("out")), (std::vector<std::string>{"r0101.png", "r0102.png", "r0104.png", "r0105.png"}));
  EXPECT_EQ(Project().GetImageCount(), 4);
}

TEST_F(RenderRunTest, ASaveThatFailsIsReportedAndStopsTheRun) {
  MakeSequence(3);
  fs::create_directory(dir.File("out"));
  // Something that is not a file already takes the second frame's name.
  fs::create_directory(dir.File("out/f0102.png"));
  ui.renderRanges.push_back({3, 0, 0});
  ui.saveFiles.push_back(dir.File("out/f.png"));
  ASSERT_TRUE(Run(kRenderSave));
  auto warnings = ui.EventsOfKind("warning");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].text.find("f0102.png"), std::string::npos) << warnings[0].text;
  EXPECT_TRUE(fileExists(dir.File("out/f0101.png")));
  EXPECT_FALSE(fileExists(dir.File("out/f0103.png")));
}
