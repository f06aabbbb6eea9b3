// What a render may write: never a file the project reads, whatever name reaches it; and the
// render options question, when cancelled, renders nothing.

#include <filesystem>

#include "filters/dof/DepthOfFieldFilter.h"
#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectFixture.h"
#include "support/FileChecks.h"
#include "project/RenderOutputCheck.h"
#include "filters/RenderRun.h"

namespace fs = std::filesystem;

namespace {

class RenderOutputCheckTest : public ProjectTest {
 protected:
  // shot0101.tga to shot0103.tga with .zpic depth files.
  void MakeSequence(uint32_t filter = FourCC("FXDL")) {
    WriteSequence(dir.Path(), "shot", 101, 3, 4, ".tga", ".zpic", 24, 20);
    ASSERT_TRUE(NewProject(dir.File("shot0101.tga"), filter));
    ui.ClearEvents();
  }

  std::optional<OutputClash> ClashOf(const std::string& outputName) {
    C2DIo output(outputName, kIoSaving);
    output.SetNumberWidth(Project().Model().GetOutputNumberWidth());
    return FindInputOverwrite(Project().Model(), output, 0, Project().Model().GetLastFrame());
  }
};

constexpr uint32_t kRenderSave = FourCC("DSFX");
constexpr uint32_t kRender = FourCC("DOFX");

}  // namespace

TEST_F(RenderOutputCheckTest, FramesNamedLikeAnImageOrADepthFileOrReachingThemAreRefused) {
  MakeSequence();
  auto image = ClashOf(dir.File("shot.tga"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->input.kind, InputKind::Image);
  EXPECT_EQ(image->frameFile, dir.File("shot0101.tga"));
  // The text names the file and what it is to the project.
  EXPECT_NE(DescribeClash(Language::English, *image).find("shot0101.tga"), std::string::npos);
  EXPECT_NE(DescribeClash(Language::English, *image).find(LoadString(Language::English, 64001)), std::string::npos);

  auto depth = ClashOf(dir.File("shot.zpic"));
  ASSERT_TRUE(depth);
  EXPECT_EQ(depth->input.kind, InputKind::DepthFile);

  // Another spelling of the same folder, and another name for the same file.
  fs::create_directory(dir.File("sub"));
  EXPECT_TRUE(ClashOf(dir.File("sub/../shot.tga")));
  fs::create_hard_link(dir.File("shot0102.tga"), dir.File("alias0102.tga"));
  auto linked = ClashOf(dir.File("alias.tga"));
  ASSERT_TRUE(linked);
  EXPECT_EQ(linked->input.path, dir.File("shot0102.tga"));

  EXPECT_FALSE(ClashOf(dir.File("graded.tga")));
  EXPECT_FALSE(ClashOf(dir.File("shot.png")));
}

TEST_F(RenderOutputCheckTest, TheDiaphPictureIsAnInputWhileItIsInUse) {
  WriteSequence(dir.Path(), "still", 1, 1, 4, ".tga", ".zpic", 24, 20);
  ASSERT_TRUE(NewProject(dir.File("still0001.tga"), FourCC("FXDE")));
  auto* filter = static_cast<DepthOfFieldFilter*>(Project().GetFilter());
  const std::string iris = dir.File("iris.tga");
  WriteImage(iris, *MakeImage(60, 60, [](int x, int y) { return (x - 30) * (x - 30) + (y - 30) * (y - 30) < 900 ? Rgb{255, 255, 255} : Rgb{}; }));
  ASSERT_EQ(filter->Options().diaph.LoadFile(iris, Language::English), "");
  // A single image rendered once is saved under the name itself.
  auto clash = ClashOf(iris);
  ASSERT_TRUE(clash);
  EXPECT_EQ(clash->input.kind, InputKind::Diaph);
  // Back to a built-in diaph, the file is nothing to the project any more.
  filter->LoadDiaph(3);
  EXPECT_FALSE(ClashOf(iris));
}

TEST_F(RenderOutputCheckTest, TheRenderRefusesBeforeWritingAndTheDesktopAsksAgain) {
  MakeSequence();
  const auto before = ReadFileBytes(dir.File("shot0102.tga"));
  // The render loop itself refuses: nothing rendered, nothing written.
  C2DIo output(dir.File("shot.tga"), kIoSaving);
  RenderJob job;
  job.first = 0;
  job.last = 2;
  job.output = &output;
  NoProgress progress;
  RenderContext context{progress};
  RenderOutcome refused = RunRenderJob(Project().Model(), job, context);
  EXPECT_EQ(refused.rendered, 0);
  EXPECT_FALSE(refused.saveError.empty());
  EXPECT_EQ(ReadFileBytes(dir.File("shot0102.tga")), before);

  // The command says so and asks again; the second name is used.
  ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  ui.saveFiles.push_back(dir.File("shot.tga"));
  ui.saveFiles.push_back(dir.File("graded.tga"));
  ASSERT_TRUE(session.Frame().RunCommand(kRenderSave, 0, 0));
  EXPECT_EQ(ui.EventsOfKind("save").size(), 2u);
  ASSERT_EQ(ui.EventsOfKind("warning").size(), 1u);
  EXPECT_NE(ui.EventsOfKind("warning")[0].text.find("shot0101.tga"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir.File("shot0102.tga")), before);
  for (const char* name : {"graded0101.tga", "graded0102.tga", "graded0103.tga"}) EXPECT_TRUE(fileExists(dir.File(name)));
  EXPECT_TRUE(ui.EventsOfKind("ask").empty());

  // Rendering there again asks once for the whole run: No goes back to the name, Yes renders.
  ui.ClearEvents();
  ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  ui.saveFiles.push_back(dir.File("graded.tga"));
  ui.saveFiles.push_back(dir.File("graded.tga"));
  ui.answers.push_back(Answer::No);
  ui.answers.push_back(Answer::Yes);
  ASSERT_TRUE(session.Frame().RunCommand(kRenderSave, 0, 0));
  ASSERT_EQ(ui.EventsOfKind("ask").size(), 2u);
  EXPECT_NE(ui.EventsOfKind("ask")[0].text.find("3"), std::string::npos);
  EXPECT_EQ(ui.EventsOfKind("progress").size(), 3u);
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(RenderOutputCheckTest, ACancelledOptionsQuestionRendersNothing) {
  MakeSequence();
  RenderRangeChoice cancelled{RenderRangeMode::All, 0, 0};
  cancelled.cancelled = true;
  ui.renderRanges.push_back(cancelled);
  ui.renderRanges.push_back(cancelled);
  ASSERT_TRUE(session.Frame().RunCommand(kRender, 0, 0));
  ASSERT_TRUE(session.Frame().RunCommand(kRenderSave, 0, 0));
  EXPECT_TRUE(ui.EventsOfKind("progress").empty());
  EXPECT_TRUE(ui.EventsOfKind("save").empty());  // no save dialog after a cancelled question
  EXPECT_EQ(Project().GetLastResult(), nullptr);
}

TEST_F(RenderOutputCheckTest, ACancelledFrameReadKeepsTheFrameOnShow) {
  MakeSequence();
  const CLayerBitmap* shown = Project().GetCurrentImage();
  ui.cancelWaits = true;
  EXPECT_EQ(Project().GoToFrame(2, false), 0);
  EXPECT_TRUE(Project().LoadWasCancelled());
  // Nothing was taken against the frame: it stays in the sequence and its keyframe stays.
  EXPECT_EQ(Project().Model().GetImageCount(), 3);
  EXPECT_EQ(Project().GetCurrentImage(), shown);
  EXPECT_EQ(ui.EventsOfKind("wait").size(), 1u);
  EXPECT_TRUE(ui.EventsOfKind("warning").empty());

  ui.cancelWaits = false;
  EXPECT_EQ(Project().GoToFrame(2, false), 2);
}
