// What a project is left holding after failures, and paths given relative to another folder.

#include <filesystem>

#include <unistd.h>

#include "ProjectFixture.h"
#include "filters/zone/ZSaturationSettings.h"
#include "platform/framework/FileHelpers.h"

namespace fs = std::filesystem;

namespace {

// Runs the test body in another working folder, and comes back.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~WorkingFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

void ExpectNoProject(const ProjectData& project) {
  EXPECT_EQ(project.GetFilter(), nullptr);
  EXPECT_EQ(project.Model().Track().GetCount(), 0);
  EXPECT_TRUE(project.Model().Frames().GetImageNames().empty());
  EXPECT_EQ(project.GetCurrentImage(), nullptr);
  EXPECT_EQ(project.Model().Frames().GetImageFolder(), "");
  EXPECT_EQ(project.Model().Frames().GetDepthFolder(), "");
  EXPECT_EQ(project.Model().Frames().GetDepthRootName(), "");
  EXPECT_EQ(project.Model().Frames().GetProjectFolder(), "");
  EXPECT_EQ(project.Model().Frames().GetDepthBitmapAnswer(), -1);
}

}  // namespace

// --- State after failures ---

TEST_F(ProjectTest, EveryFailedOpenLeavesNoProjectAndTheNextNewStartsClean) {
  WriteSequence(dir.Path(), "old", 1, 3, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("old0001.tga"), FourCC("FXDS")));
  Project().Model().Track().SetKeyframe(2, Project().GetFilter()->GetCurrentSettings());
  std::string path = SaveAs(dir.File("old.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());

  // Missing images (the folder question answered No), then a damaged file: each time the
  // session had no filter active before.
  fs::rename(dir.File("old0002.tga"), dir.File("moved.tga"));
  ui.answers = {Answer::No, Answer::No};
  EXPECT_FALSE(session.Document().OnOpenDocument(path));
  ExpectNoProject(Project());
  fs::rename(dir.File("moved.tga"), dir.File("old0002.tga"));
  fs::resize_file(path, fs::file_size(path) - 3);
  EXPECT_FALSE(session.Document().OnOpenDocument(path));
  ExpectNoProject(Project());

  // The next project carries nothing of the failed one: one keyframe, of its own filter.
  WriteSequence(dir.Path(), "new", 1, 1, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("new0001.tga"), FourCC("FXDL")));
  ASSERT_EQ(Project().Model().Track().GetCount(), 1);
  EXPECT_EQ(Project().Model().Track().GetAt(0)->GetTypeCode(), FourCC("ZLUM"));
  EXPECT_EQ(Project().Model().Frames().GetImageNames(), std::vector<std::string>{"new0001.tga"});
}

TEST_F(ProjectTest, AFrameThatNoLongerLoadsFallsBackToFrameZeroKeepingItsKeyframe) {
  WriteSequence(dir.Path(), "seq", 1, 4, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("seq0001.tga")));
  KeyframeTrack& track = Project().Model().Track();
  track.SetKeyframe(3, Project().GetFilter()->GetCurrentSettings());
  Project().GoToFrame(1, false);

  // Frame 3's image is gone: it leaves the sequence with its keyframe; frame 0 is shown.
  fs::remove(dir.File("seq0004.tga"));
  EXPECT_EQ(Project().GoToFrame(3, false), 0);
  EXPECT_EQ(Project().Model().GetImageCount(), 3);
  ASSERT_EQ(track.GetCount(), 1);
  EXPECT_EQ(track.GetAt(0)->GetFrameNumber(), 0);
  EXPECT_NE(Project().GetFilter(), nullptr);
  ASSERT_NE(Project().GetCurrentImage(), nullptr);

  // Every image gone: frame 0 is tried once, the failure told once, and the project closed
  // rather than left half loaded.
  for (const char* name : {"seq0001.tga", "seq0002.tga", "seq0003.tga"}) fs::remove(dir.File(name));
  ui.ClearEvents();
  Project().GoToFrame(2, false);
  ExpectNoProject(Project());
  int closing = 0;
  for (const auto& warning : ui.EventsOfKind("warning")) closing += warning.text == LoadString(Language::English, 6101);
  EXPECT_EQ(closing, 1);
}

// --- Paths given relative to the working folder ---

TEST_F(ProjectTest, RelativePathsAreResolvedOnceFromAnyWorkingFolder) {
  fs::create_directories(dir.File("n"));
  fs::create_directories(dir.File("elsewhere"));
  WriteSequence(dir.File("n/"), "shot", 101, 3, 4, ".png", ".zpic", 32, 24);
  {
    WorkingFolder here(dir.Path());
    ASSERT_TRUE(NewProject("n/shot0101.png"));
    EXPECT_EQ(Project().Model().Frames().GetImageFolder(), dir.File("n/"));
    EXPECT_EQ(Project().Model().GetImageCount(), 3);
    Project().GoToFrame(2, false);
    EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 2);
    SaveAs("n/p.fvz");
  }
  EXPECT_TRUE(fs::exists(dir.File("n/p.fvz")));
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  {
    WorkingFolder here(dir.Path());
    ASSERT_TRUE(session.Document().OnOpenDocument("n/p.fvz")) << session.Document().GetLastError();
  }
  {
    // Later frame changes do not depend on the working folder either.
    WorkingFolder here(dir.File("elsewhere"));
    Project().GoToFrame(1, false);
    EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 1);
  }
  EXPECT_EQ(Project().Model().GetImageCount(), 3);
  EXPECT_TRUE(ui.EventsOfKind("warning").empty());
}

TEST_F(ProjectTest, SavingUnderAnotherFolderKeepsTheFilesAndAFailedSaveChangesNothing) {
  fs::create_directories(dir.File("images"));
  fs::create_directories(dir.File("a"));
  fs::create_directories(dir.File("b/c"));
  WriteSequence(dir.File("images/"), "s", 1, 2, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("images/s0001.tga")));
  SaveAs(dir.File("a/p.fvz"));
  EXPECT_EQ(Project().Model().Frames().GetImageFolder(), "../images/");

  ProjectFolders before = Project().Model().GetFolders();
  EXPECT_FALSE(session.Document().OnSaveDocument(dir.File("missing/folder/p.fvz")));
  EXPECT_EQ(Project().Model().GetFolders().project, before.project);
  EXPECT_EQ(Project().Model().GetFolders().images, before.images);
  EXPECT_EQ(Project().Model().GetFolders().depths, before.depths);

  SaveAs(dir.File("b/c/q.fvz"));
  EXPECT_EQ(Project().Model().Frames().GetImageFolder(), "../../images/");
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  ASSERT_TRUE(session.Document().OnOpenDocument(dir.File("b/c/q.fvz"))) << session.Document().GetLastError();
  EXPECT_EQ(Project().Model().GetImageCount(), 2);
  EXPECT_TRUE(ui.EventsOfKind("warning").empty());
}

// --- A depth file given by name ---

TEST_F(ProjectTest, AChosenDepthFileWithoutFrameNumberServesTheChosenImage) {
  WriteSequence(dir.Path(), "render", 1, 3, 4, ".png", ".zpic", 32, 24);
  fs::rename(dir.File("render0001.zpic"), dir.File("render_depth.zpic"));
  fs::copy_file(dir.File("render0002.zpic"), dir.File("depth0002.zpic"));

  ui.filterChoices.push_back(FilterIndex(FourCC("FXDS")));
  ASSERT_TRUE(session.Document().NewProjectFrom(dir.File("render0001.png"), dir.File("render_depth.zpic")));
  EXPECT_EQ(Project().Model().Frames().GetImageNames(), std::vector<std::string>{"render0001.png"});
  EXPECT_EQ(Project().Model().DepthFileFor(dir.File("render0001.png")), dir.File("render_depth.zpic"));
  ASSERT_NE(Project().GetCurrentImage(), nullptr);

  // A depth file of another frame is refused, and the user is told why.
  session.Document().SetModifiedFlag(false);
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  ui.ClearEvents();
  EXPECT_FALSE(session.Document().NewProjectFrom(dir.File("render0001.png"), dir.File("depth0002.zpic")));
  auto notices = ui.EventsOfKind("notify");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("render0001.png"), std::string::npos);
  EXPECT_NE(notices[0].text.find("depth0002.zpic"), std::string::npos);
}
