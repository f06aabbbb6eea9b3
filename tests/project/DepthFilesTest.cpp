// New projects: where each frame's depth comes from, and what the user is asked.

#include <filesystem>
#include <fstream>

#include "ProjectFixture.h"
#include "platform/framework/FileHelpers.h"
#include "support/ImageCompare.h"

namespace fs = std::filesystem;

namespace {

float CurrentDepthAt(ProjectData& project, ScenePart part) {
  const CLayerBitmap* image = project.GetCurrentImage();
  ScenePoint p = PlanesScenePoint(image->GetWidth(), image->GetHeight(), part);
  return image->GetLayer<depthBitmap>()->GetPixelDepth(p.x, p.y);
}

}  // namespace

class CompanionDepthTest : public ProjectTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(CompanionDepthTest, SingleImageAndSequenceFindTheirCompanionFiles) {
  const std::string ext = GetParam();
  WriteSequence(dir.Path(), "still", 1, 1, 4, ".tga", ext, 40, 30);
  ASSERT_TRUE(NewProject(dir.File("still0001.tga")));
  EXPECT_EQ(Project().Model().Frames().GetDepthExtension(), ext);
  EXPECT_EQ(Project().Model().Track().GetMode(), kSingleImageMode);
  EXPECT_EQ(Project().Model().Frames().GetImageNames(), std::vector<std::string>{"still0001.tga"});
  EXPECT_FLOAT_EQ(CurrentDepthAt(Project(), ScenePart::Near), 10.0f);

  SequenceOptions options;
  options.depthStep = 2.0f;
  auto names = WriteSequence(dir.Path(), "shot", 7, 4, 4, ".png", ext, 40, 30, options);
  ui.selections.push_back({names[0], names[1], names[2], names[3]});
  ui.answers.push_back(Answer::No);  // the first project is not saved
  ASSERT_TRUE(NewProject(dir.File("shot0008.png")));
  EXPECT_EQ(Project().Model().Track().GetMode(), kSequenceMode);
  EXPECT_EQ(Project().Model().Frames().GetImageNames(), names);
  // The frame loaded first is the first picked, with its own depth.
  EXPECT_FLOAT_EQ(CurrentDepthAt(Project(), ScenePart::Near), 10.0f);
  Project().GoToFrame(3, false);
  EXPECT_FLOAT_EQ(CurrentDepthAt(Project(), ScenePart::Near), 16.0f);
  EXPECT_TRUE(ui.Unexpected().empty());
  EXPECT_TRUE(ui.EventsOfKind("notify").empty());
}

INSTANTIATE_TEST_SUITE_P(Extensions, CompanionDepthTest,
                         ::testing::Values(".rla", ".rpf", ".qel", ".zpic", ".exr"),
                         [](const auto& info) { return info.param.substr(1); });

TEST_F(ProjectTest, ImagesThatCarryTheirOwnDepthNeedNoCompanion) {
  SequenceOptions options;
  options.depthFile.negativeZ = true;
  options.depthFile.backgroundMarker = 1e30f;
  WriteSequence(dir.Path(), "cam", 1, 2, 3, ".rla", "", 32, 24, options);
  ASSERT_TRUE(NewProject(dir.File("cam001.rla")));
  EXPECT_EQ(Project().Model().Frames().GetDepthExtension(), ".rla");
  ASSERT_EQ(Project().Model().GetImageCount(), 2);
  // The background took the farthest object depth when the frame was loaded.
  const depthBitmap* depth = Project().GetCurrentImage()->GetLayer<depthBitmap>();
  EXPECT_EQ(depth->GetBackgroundPixelCount(), 0);
  EXPECT_FLOAT_EQ(depth->GetMaxDepth(), 40.0f);
  EXPECT_FLOAT_EQ(CurrentDepthAt(Project(), ScenePart::Near), 10.0f);
}

TEST_F(ProjectTest, ARlaWithoutDepthIsSkippedForTheNextCompanion) {
  auto scene = MakePlanesScene(32, 24);
  WriteImage(dir.File("frame.tga"), *scene);
  WriteImage(dir.File("frame.rla"), *MakeImage(32, 24, [](int, int) { return Rgb{1, 2, 3}; }));
  WriteDepthOnly(dir.File("frame.qel"), *scene->GetLayer<depthBitmap>());
  ASSERT_TRUE(NewProject(dir.File("frame.tga")));
  EXPECT_EQ(Project().Model().Frames().GetDepthExtension(), ".qel");
}

TEST_F(ProjectTest, MissingDepthIsNotifiedAndAChosenFileServes) {
  auto scene = MakePlanesScene(32, 24);
  WriteImage(dir.File("lonely.png"), *scene);
  fs::create_directory(dir.File("z"));
  WriteDepthOnly(dir.File("z/elsewhere.zpic"), *scene->GetLayer<depthBitmap>());

  ui.openFiles.push_back(dir.File("z/elsewhere.zpic"));
  ASSERT_TRUE(NewProject(dir.File("lonely.png")));
  auto notes = ui.EventsOfKind("notify");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].title, "Missing Z-Buffer");
  EXPECT_NE(notes[0].text.find("<b>lonely</b>"), std::string::npos);
  EXPECT_NE(notes[0].text.find("Select the Z-Buffer file."), std::string::npos);
  EXPECT_EQ(Project().Model().Frames().GetDepthFolder(), dir.File("z/"));
  EXPECT_EQ(Project().Model().Frames().GetDepthRootName(), "elsewhere");

  // Cancelling the choice fails with the notice alone, and leaves no project.
  ui.ClearEvents();
  ui.openFiles.push_back(std::nullopt);
  ui.answers.push_back(Answer::No);  // do not save the first project
  EXPECT_FALSE(NewProject(dir.File("lonely.png")));
  notes = ui.EventsOfKind("notify");
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1].text.find("Select the Z-Buffer"), std::string::npos);
  EXPECT_EQ(Project().GetFilter(), nullptr);
}

TEST_F(ProjectTest, DepthPicturesAskTheirTypeOncePerProjectAlsoAfterReopening) {
  auto names = WriteSequence(dir.Path(), "pic", 1, 3, 4, ".tga", ".z.tga", 32, 24);
  // No companion of a known depth extension: the user is told and picks the first picture.
  ui.openFiles.push_back(dir.File("pic0001.z.tga"));
  ui.depthTypes.push_back(0);  // light is near
  ASSERT_TRUE(NewProject(dir.File("pic0001.tga")));
  EXPECT_EQ(Project().Model().GetImageCount(), 3);
  EXPECT_EQ(ui.EventsOfKind("depth-type").size(), 1u);
  EXPECT_EQ(Project().Model().Frames().GetDepthBitmapAnswer(), 0);
  auto bitmapNotes = ui.EventsOfKind("notify");
  EXPECT_EQ(bitmapNotes.back().title, "Bitmap file detected");
  // Light near: the near disc is nearer than the far plane.
  EXPECT_LT(CurrentDepthAt(Project(), ScenePart::Near), CurrentDepthAt(Project(), ScenePart::Far));

  Project().GoToFrame(2, false);
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 2);
  EXPECT_EQ(ui.EventsOfKind("depth-type").size(), 1u);  // not asked again

  std::string path = SaveAs(dir.File("pictures.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  ASSERT_TRUE(session.Document().OnOpenDocument(path)) << session.Document().GetLastError();
  Project().GoToFrame(1, false);
  EXPECT_EQ(ui.EventsOfKind("depth-type").size(), 1u);
  EXPECT_EQ(Project().Model().Frames().GetDepthBitmapAnswer(), 0);
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(ProjectTest, ADepthFileOfAnotherSizeIsRefusedAndTheFrameDropped) {
  auto names = WriteSequence(dir.Path(), "mix", 1, 3, 2, ".tga", ".zpic", 32, 24);
  // Frame 2's depth is the wrong size.
  WriteDepthOnly(dir.File("mix02.zpic"), *MakePlanesScene(32, 20)->GetLayer<depthBitmap>());
  ASSERT_TRUE(NewProject(dir.File("mix01.tga")));
  ASSERT_EQ(Project().Model().GetImageCount(), 3);

  ui.openFiles.push_back(std::nullopt);  // no other depth file chosen
  Project().GoToFrame(1, false);
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 0);
  EXPECT_EQ(Project().Model().Frames().GetImageNames(), (std::vector<std::string>{"mix01.tga", "mix03.tga"}));
  auto warnings = ui.EventsOfKind("warning");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].title, "Invalid file type");
  EXPECT_EQ(ui.EventsOfKind("notify").back().number, 6001);
}

TEST_F(ProjectTest, AFrameReadQuietlyIsTheFrameTheProjectLoadsAndNeedsNoQuestion) {
  struct Case {
    std::string imageExt, depthExt;
  };
  for (const Case& c : {Case{".png", ".exr"}, Case{".tga", ".zpic"}, Case{".png", ".rla"}, Case{".exr", ""},
                        Case{".tga", ".z.tga"}}) {
    SCOPED_TRACE(c.imageExt + " " + c.depthExt);
    TempFolder folder;
    SequenceOptions options;
    options.scene.withAlpha = true;
    options.scene.backgroundDepth = 1e30f;
    WriteSequence(folder.Path(), "ra", 1, 3, 4, c.imageExt, c.depthExt, 40, 30, options);
    ui.answers.push_back(Answer::No);
    if (c.depthExt == ".z.tga") ui.openFiles.push_back(folder.File("ra0001.z.tga"));
    if (c.depthExt == ".z.tga") ui.depthTypes.push_back(1);
    ASSERT_TRUE(NewProject(folder.File("ra0001" + c.imageExt)));
    ui.ClearEvents();

    FrameFiles files = Project().Model().GetFrameFiles(2);
    EXPECT_EQ(files.imageName, "ra0003" + c.imageExt);
    FrameRead read = ReadFrame(files);
    ASSERT_NE(read.frame, nullptr) << read.failure;
    const CLayerBitmap& ahead = *read.frame->image;
    Project().GoToFrame(2, false);
    const CLayerBitmap& loaded = *Project().GetCurrentImage();
    EXPECT_EQ(MaxByteDifference(*ahead.GetLayerByType(kRgbBitmap), *loaded.GetLayerByType(kRgbBitmap)), 0);
    EXPECT_EQ(MaxByteDifference(*ahead.GetLayerByType(kAlphaBitmap), *loaded.GetLayerByType(kAlphaBitmap)), 0);
    EXPECT_TRUE(SameDepths(*ahead.GetLayer<depthBitmap>(), *loaded.GetLayer<depthBitmap>()));
    EXPECT_LT(ahead.GetLayer<depthBitmap>()->GetMaxDepth(), 1e10f);  // background replaced
    EXPECT_EQ(read.frame->range.max, Project().GetCurrentDepthRange().max);
    EXPECT_TRUE(ui.Events().empty());
  }
}

TEST_F(ProjectTest, AFrameThatNeedsTheUserIsNotReadQuietly) {
  WriteSequence(dir.Path(), "q", 1, 3, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("q0001.tga")));
  ui.ClearEvents();
  fs::remove(dir.File("q0002.zpic"));
  std::ofstream(dir.File("q0003.tga"), std::ios::trunc) << "not a picture";
  // Each failure comes back with its reason, naming the file, and asks nobody anything.
  for (int frame : {1, 2, 3}) {  // no depth file, no picture, beyond the sequence
    FrameRead read = ReadFrame(Project().Model().GetFrameFiles(frame));
    EXPECT_EQ(read.frame, nullptr) << frame;
    EXPECT_FALSE(read.failure.empty()) << frame;
  }
  EXPECT_NE(ReadFrame(Project().Model().GetFrameFiles(1)).failure.find("q0002"), std::string::npos);
  // A depth picture whose type was not asked yet.
  FrameFiles files = Project().Model().GetFrameFiles(0);
  WriteDepthPicture(dir.File("q0001.z.tga"), *Project().GetCurrentImage()->GetLayer<depthBitmap>(), true);
  files.depthPath = dir.File("q0001.z.tga");
  EXPECT_EQ(ReadFrame(files).frame, nullptr);
  files.depthBitmapAnswer = kDepthPictureLightNear;
  EXPECT_NE(ReadFrame(files).frame, nullptr);
  EXPECT_TRUE(ui.Events().empty());
}
