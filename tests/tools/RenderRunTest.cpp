// The render commands' run procedure, driven through the scripted user interface.

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/framework/FileHelpers.h"
#include "platform/image/ImageIo.h"
#include "project/ProjectFixture.h"
#include "support/ImageCompare.h"
#include "tools/RenderCommand.h"
#include "filters/RenderRun.h"
#include "platform/framework/Progress.h"

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
  ui.renderRanges.push_back({RenderRangeMode::Range, 7, 3});  // range 7 to 3: frames 3 to 7
  ui.saveFiles.push_back(dir.File("out/graded.png"));
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_EQ(ui.EventsOfKind("render-range")[0].number, 10);  // frames in the animation
  // The proposed name was the project's default output name, in the sources' format.
  EXPECT_EQ(ui.EventsOfKind("save")[0].text, dir.File("Kovrinshot.tga"));
  EXPECT_EQ(Written(dir.File("out")), (std::vector<std::string>{"graded0104.png", "graded0105.png", "graded0106.png",
                                                                "graded0107.png", "graded0108.png"}));
  // The chosen name is kept for the next render, and the project is marked modified; the frame
  // on show stays.
  EXPECT_EQ(Project().Model().Frames().GetOutputFolder(), dir.File("out/"));
  EXPECT_EQ(Project().Model().Frames().GetOutputName(), "graded.png");
  EXPECT_EQ(Project().GetCurrentFrame(), 0);
  EXPECT_EQ(Project().View().GetViewMode(), kViewLastResult);
  ASSERT_NE(Project().GetLastResult(), nullptr);
  EXPECT_EQ(ui.EventsOfKind("progress").size(), 5u);
  EXPECT_EQ(ui.EventsOfKind("progress")[0].text, "Render filter \"Z Luminance\"\n(image 1 / 5)");
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(RenderRunTest, RangeChoicesOfTheOptionsDialog) {
  MakeSequence(4);
  Project().GoToFrame(2, false);
  using Mode = RenderRangeMode;
  struct Case {
    RenderRangeChoice choice;
    std::string firstText;  // the first frame's progress text
    size_t frames;
  };
  for (const Case& c : {Case{{Mode::First, 0, 0}, "1 / 1", 1}, Case{{Mode::Last, 0, 0}, "1 / 1", 1},
                        Case{{Mode::All, 0, 0}, "1 / 4", 4}, Case{{Mode::Range, 2, 1}, "1 / 2", 2},
                        Case{{Mode::Current, 0, 0}, "1 / 1", 1}}) {
    ui.ClearEvents();
    ui.renderRanges.push_back(c.choice);
    ASSERT_TRUE(Run(kRender));
    const auto progress = ui.EventsOfKind("progress");
    ASSERT_EQ(progress.size(), c.frames) << int(c.choice.mode);
    EXPECT_NE(progress[0].text.find(c.firstText), std::string::npos) << int(c.choice.mode);
    // The frame on show stays, whatever renders.
    EXPECT_EQ(Project().GetCurrentFrame(), 2) << int(c.choice.mode);
  }
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
  // A render changes nothing of the project: no output name is stored for it.
  EXPECT_EQ(Project().Model().Frames().GetOutputName(), "");
}

TEST_F(RenderRunTest, CancelDuringTheThirdFrameKeepsTheTwoBefore) {
  MakeSequence(10);
  fs::create_directory(dir.File("out"));
  ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  ui.saveFiles.push_back(dir.File("out/c.tga"));
  ui.cancelAtStep = ui.ProgressSteps() + 2 * 5 + 3;  // five polls a frame; the third of frame 3
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_EQ(Written(dir.File("out")), (std::vector<std::string>{"c0101.tga", "c0102.tga"}));
  EXPECT_FALSE(ui.ProgressOpen());
  EXPECT_EQ(Project().GetCurrentFrame(), 0);
}

TEST_F(RenderRunTest, AFrameThatCannotBeReadIsToldAndTheOthersRender) {
  MakeSequence(5);
  fs::remove(dir.File("shot0103.zpic"));
  fs::create_directory(dir.File("out"));
  ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  ui.saveFiles.push_back(dir.File("out/r.png"));
  ASSERT_TRUE(Run(kRenderSave));
  EXPECT_EQ(Written(dir.File("out")), (std::vector<std::string>{"r0101.png", "r0102.png", "r0104.png", "r0105.png"}));
  const auto warnings = ui.EventsOfKind("warning");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].text.find("shot0103.tga"), std::string::npos) << warnings[0].text;
  // The project keeps its frames: a render changes nothing of it.
  EXPECT_EQ(Project().Model().GetImageCount(), 5);
}

TEST_F(RenderRunTest, ASaveThatFailsIsReportedAndStopsTheRun) {
  MakeSequence(3);
  fs::create_directory(dir.File("out"));
  // Something that is not a file already takes the second frame's name.
  fs::create_directory(dir.File("out/f0102.png"));
  ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  ui.saveFiles.push_back(dir.File("out/f.png"));
  ASSERT_TRUE(Run(kRenderSave));
  auto warnings = ui.EventsOfKind("warning");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].text.find("f0102.png"), std::string::npos) << warnings[0].text;
  EXPECT_TRUE(fileExists(dir.File("out/f0101.png")));
  EXPECT_FALSE(fileExists(dir.File("out/f0103.png")));
}

namespace {

// Renders frames first to last of the project one after another and saves them as the
// pipelined run must reproduce them: load, render with the frame's settings, save; nothing
// read ahead or written meanwhile.
void RenderOneAfterAnother(ProjectData& project, int first, int last, C2DIo& output) {
  DepthFilterCommand* filter = CurrentFilterCommand(project);
  for (int f = first; f <= last; ++f) {
    project.GoToFrame(f, false);
    NoProgress progress;
    auto frame = filter->RenderFrame(filter->GetCurrentSettings(), progress);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(output.Save(*frame, f + 1)) << output.GetError();
  }
}

// The same colour and alpha, pixel for pixel.
void ExpectSamePixels(const CLayerBitmap& expected, const CLayerBitmap& actual, const std::string& what) {
  ASSERT_EQ(actual.GetWidth(), expected.GetWidth()) << what;
  ASSERT_EQ(actual.GetHeight(), expected.GetHeight()) << what;
  EXPECT_EQ(MaxByteDifference(*expected.GetLayerByType(kRgbBitmap), *actual.GetLayerByType(kRgbBitmap)), 0) << what;
  const Bitmap* alpha = expected.GetLayerByType(kAlphaBitmap);
  ASSERT_EQ(alpha != nullptr, actual.GetLayerByType(kAlphaBitmap) != nullptr) << what;
  if (alpha) {
    EXPECT_EQ(MaxByteDifference(*alpha, *actual.GetLayerByType(kAlphaBitmap)), 0) << what;
  }
}

}  // namespace

TEST_F(RenderRunTest, PipelinedFramesAreThoseRenderedOneAfterAnotherForEveryFilter) {
  // Each filter reads its depth another way: companion files through the image library or our
  // own reader, a depth picture (asked about once), images that carry their own depth.
  const std::vector<std::tuple<uint32_t, std::string, std::string>> cases = {
      {FourCC("FXDE"), ".png", ".exr"}, {FourCC("FXDS"), ".tga", ".zpic"}, {FourCC("FXDL"), ".png", ".z.tga"},
      {FourCC("FXDH"), ".exr", ""},     {FourCC("FXDF"), ".tga", ".qel"}};
  const int count = 6;
  for (const auto& [filterId, imageExt, depthExt] : cases) {
    SCOPED_TRACE(FourCCToString(filterId) + " " + imageExt + " " + depthExt);
    TempFolder folder;
    SequenceOptions options;
    options.depthStep = 12.0f;
    options.scene.withAlpha = true;
    options.scene.farAlpha = 90;
    options.scene.backgroundDepth = 1e30f;  // replaced by the farthest depth on loading
    WriteSequence(folder.Path(), "p", 1, count, 4, imageExt, depthExt, 60, 45, options);
    ui.answers.push_back(Answer::No);  // the previous project is not saved
    if (depthExt == ".z.tga") {  // picked by the user, asked about once
      ui.openFiles.push_back(folder.File("p0001.z.tga"));
      ui.depthTypes.push_back(0);
    }
    ASSERT_TRUE(NewProject(folder.File("p0001" + imageExt), filterId));
    // A second keyframe reset on the last frame's depths: every frame gets settings of its own.
    ProjectData& project = Project();
    DepthFilterCommand* filter = CurrentFilterCommand(project);
    project.GoToFrame(count - 1, false);
    filter->GetCurrentSettings().Reset(*project.GetCurrentImage());
    project.Model().Track().SetKeyframe(count - 1, filter->GetCurrentSettings());
    project.GoToFrame(0, false);

    C2DIo output(folder.File("out/r.png"), kIoSaving);
    fs::create_directory(folder.File("out"));
    ASSERT_TRUE(output.PrepareSaving(*project.GetCurrentImage(), count)) << output.GetError();
    RenderJob job;
    job.first = 0;
    job.last = count - 1;
    job.output = &output;
    std::vector<int> reported;
    job.onFrameDone = [&](int index, int, const std::string&, bool) { reported.push_back(index); };
    NoProgress progress;
    RenderContext context{progress};
    RenderOutcome outcome = RunRenderJob(project.Model(), job, context);
    EXPECT_EQ(outcome.rendered, count);
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(project.GetCurrentFrame(), 0);

    C2DIo serial(folder.File("serial/r.png"), kIoSaving);
    fs::create_directory(folder.File("serial"));
    RenderOneAfterAnother(project, 0, count - 1, serial);
    for (int f = 0; f < count; ++f) {
      auto expected = ReadLayered(serial.GetFrameFileName(f + 1));
      auto written = ReadLayered(output.GetFrameFileName(f + 1));
      ASSERT_NE(expected, nullptr);
      ASSERT_NE(written, nullptr) << output.GetFrameFileName(f + 1);
      ExpectSamePixels(*expected, *written, output.GetFrameFileName(f + 1));
    }
    EXPECT_EQ(Written(folder.File("out")).size(), size_t(count));  // no temporary file left
    EXPECT_TRUE(ui.Unexpected().empty()) << ui.Unexpected().front();
  }
}

TEST_F(RenderRunTest, KeptFramesAreReportedInTheirPlaceAndLeftAlone) {
  MakeSequence(6);
  fs::create_directory(dir.File("out"));
  C2DIo output(dir.File("out/k.tga"), kIoSaving);
  ASSERT_TRUE(output.PrepareSaving(*Project().GetCurrentImage(), 6));
  for (const char* kept : {"out/k0102.tga", "out/k0105.tga", "out/k0106.tga"}) {
    std::ofstream(dir.File(kept)) << "kept";
  }
  RenderJob job;
  job.first = 0;
  job.last = 5;
  job.output = &output;
  job.skipExisting = true;
  std::vector<std::pair<int, bool>> reported;
  job.onFrameDone = [&](int index, int, const std::string&, bool kept) { reported.push_back({index, kept}); };
  NoProgress progress;
  RenderContext context{progress};
  RenderOutcome outcome = RunRenderJob(Project().Model(), job, context);
  EXPECT_EQ(outcome.rendered, 3);
  EXPECT_EQ(outcome.skipped, 3);
  EXPECT_EQ(reported, (std::vector<std::pair<int, bool>>{{1, false}, {2, true}, {3, false}, {4, false}, {5, true},
                                                         {6, true}}));
  std::ifstream keptFile(dir.File("out/k0105.tga"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(keptFile), {}), "kept");
  EXPECT_NE(ReadLayered(dir.File("out/k0104.tga")), nullptr);
}
