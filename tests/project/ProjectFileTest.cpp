// Saving, reopening, moving and repairing projects.

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "ProjectFixture.h"
#include "platform/framework/Preferences.h"
#include "filters/zone/ZSaturationSettings.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/StringTable.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST_F(ProjectTest, ASavedProjectReopensWithItsRecordTrackAndFilter) {
  auto names = WriteSequence(dir.Path(), "shot", 1, 5, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("shot0001.tga"), FourCC("FXDS")));
  ASSERT_EQ(Project().Model().GetImageCount(), 5);
  auto& settings = static_cast<ZSaturationSettings&>(Project().GetFilter()->GetCurrentSettings());
  settings.ZoneFar = 33.0f;
  Project().NotifyChanged(kChangeSettings);  // stored in keyframe 0
  Project().GoToFrame(4, false);
  settings.ZoneFar = 55.0f;
  Project().Model().Track().SetKeyframe(4, settings);
  Project().SetOutput(dir.File("out/"), "final.png");

  std::string path = SaveAs(dir.File("shot.fvz"));
  EXPECT_FALSE(session.Frame().GetModifiedFlag());
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  EXPECT_EQ(Project().GetFilter(), nullptr);

  ASSERT_TRUE(session.Document().OnOpenDocument(path)) << session.Document().GetLastError();
  ASSERT_NE(Project().GetFilter(), nullptr);
  EXPECT_EQ(Project().GetFilter()->GetID(), FourCC("FXDS"));
  EXPECT_EQ(Project().Model().Frames().GetImageNames(), names);
  EXPECT_EQ(Project().Model().Frames().GetImageFolder(), "");  // relative to the project file
  EXPECT_EQ(Project().Model().Frames().GetOutputName(), "final.png");
  EXPECT_FALSE(session.Frame().GetModifiedFlag());
  // After opening, the current frame is 0 whatever frame was current when saved.
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 0);
  EXPECT_EQ(Project().Model().Track().GetCount(), 2);
  EXPECT_EQ(Project().Model().Track().GetAt(1)->GetFrameNumber(), 4);
  EXPECT_FLOAT_EQ(static_cast<ZSaturationSettings&>(Project().GetFilter()->GetCurrentSettings()).ZoneFar, 33.0f);
  Project().GoToFrame(2, false);
  EXPECT_FLOAT_EQ(static_cast<ZSaturationSettings&>(Project().GetFilter()->GetCurrentSettings()).ZoneFar, 44.0f);
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(ProjectTest, AProjectMovedWithItsImagesKeepsWorking) {
  fs::create_directories(dir.File("before/images"));
  WriteSequence(dir.File("before/images/"), "walk", 10, 3, 3, ".png", ".qel", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("before/images/walk010.png"), FourCC("FXDL")));
  std::string path = SaveAs(dir.File("before/walk.fvz"));
  EXPECT_EQ(Project().Model().Frames().GetImageFolder(), "images/");
  ASSERT_TRUE(session.Document().CloseCurrentProject());

  fs::rename(dir.File("before"), dir.File("after"));
  ASSERT_TRUE(session.Document().OnOpenDocument(dir.File("after/walk.fvz"))) << session.Document().GetLastError();
  EXPECT_EQ(Project().Model().ResolveImageFolder(), dir.File("after/images/"));
  EXPECT_EQ(Project().Model().GetImageCount(), 3);
  EXPECT_TRUE(ui.EventsOfKind("ask").empty());  // nothing had to be asked
}

TEST_F(ProjectTest, AProjectOpenedByARelativeNameIsHeldByItsCompleteName) {
  fs::create_directories(dir.File("shot/images"));
  WriteSequence(dir.File("shot/images/"), "walk", 1, 3, 4, ".png", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("shot/images/walk0001.png"), FourCC("FXDL")));
  SaveAs(dir.File("shot/walk.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());

  const fs::path before = fs::current_path();
  fs::current_path(dir.File("shot"));
  const bool opened = session.Document().OnOpenDocument("walk.fvz");
  fs::current_path(before);  // the working folder changes, as it does in a session
  ASSERT_TRUE(opened) << session.Document().GetLastError();
  EXPECT_EQ(session.Document().GetPathName(), dir.File("shot/walk.fvz"));
  EXPECT_EQ(Preferences::GetRecentFiles().front(), dir.File("shot/walk.fvz"));

  // Frames still load, and a save goes to the project's own file, wherever the program runs.
  Project().GoToFrame(2, false);
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 2);
  ASSERT_TRUE(session.Document().OnSaveDocument(session.Document().GetPathName()));
  EXPECT_FALSE(fs::exists(before / "walk.fvz"));
}

TEST_F(ProjectTest, ImagesMovedElsewhereAreFoundAgainByPickingTheirFolder) {
  fs::create_directories(dir.File("render"));
  WriteSequence(dir.File("render/"), "take", 1, 3, 2, ".tga", ".rla", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("render/take01.tga")));
  std::string path = SaveAs(dir.File("take.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  fs::rename(dir.File("render"), dir.File("archive"));

  // Asked for the images first: Yes, and the new folder; then the depth files.
  ui.answers = {Answer::Yes, Answer::Yes};
  ui.folders = {dir.File("archive"), dir.File("archive/")};
  ASSERT_TRUE(session.Document().OnOpenDocument(path)) << session.Document().GetLastError();
  EXPECT_EQ(Project().Model().GetImageCount(), 3);
  auto asks = ui.EventsOfKind("ask");
  ASSERT_EQ(asks.size(), 2u);
  EXPECT_NE(asks[0].text.find("image folder"), std::string::npos);
  EXPECT_NE(asks[1].text.find("Z-Buffer folder"), std::string::npos);
  EXPECT_EQ(ui.EventsOfKind("folder")[0].title, "Select the folder containing the images");
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(ProjectTest, MissingFramesAreListedInOneMessageRefusingTheProject) {
  WriteSequence(dir.Path(), "seq", 1, 5, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("seq0001.tga")));
  std::string path = SaveAs(dir.File("seq.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  fs::remove(dir.File("seq0003.tga"));
  fs::remove(dir.File("seq0005.zpic"));

  // The first frame is found, so no folder is asked for; the two others are listed once.
  ASSERT_FALSE(session.Document().OnOpenDocument(path));
  EXPECT_TRUE(ui.EventsOfKind("folder").empty());
  // Nothing claims the frames were removed from a project that is not opened.
  auto warnings = ui.EventsOfKind("warning");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].text.rfind(LoadString(Language::English, 2189), 0), 0u);
  EXPECT_NE(warnings[0].text.find("seq0003.tga\n"), std::string::npos);
  EXPECT_NE(warnings[0].text.find("seq0005.tga\n"), std::string::npos);
  EXPECT_EQ(warnings[0].text.find("removed"), std::string::npos);
  EXPECT_TRUE(ui.EventsOfKind("ask").empty());
  EXPECT_EQ(Project().GetFilter(), nullptr);
}

TEST_F(ProjectTest, AProjectNamingAnUnknownFilterIsRefused) {
  WriteSequence(dir.Path(), "one", 1, 1, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("one0001.tga")));
  std::string path = SaveAs(dir.File("one.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());

  // Rewrite the record with a filter id nobody registered.
  CArchive in = OpenArchiveForReading(path);
  CCustomData record;
  record.Serialize(in);
  record.SetUInt(FourCC("FXID"), FourCC("NOPE"));
  CArchive out;
  record.Serialize(out);
  std::vector<uint8_t> bytes = out.GetBytes();
  const auto& all = ReadBytes(path);
  bytes.insert(bytes.end(), all.end() - long(in.Remaining()), all.end());
  ASSERT_EQ(WriteFileAtomically(path, bytes), "");

  EXPECT_FALSE(session.Document().OnOpenDocument(path));
  auto asks = ui.EventsOfKind("ask");
  ASSERT_FALSE(asks.empty());
  EXPECT_EQ(asks.back().text, "Can't find the filter used by this project.");
  EXPECT_EQ(Project().GetFilter(), nullptr);
}

TEST_F(ProjectTest, DamagedProjectFilesAreRefusedWithAMessage) {
  WriteSequence(dir.Path(), "bad", 1, 2, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("bad0001.tga")));
  std::string path = SaveAs(dir.File("bad.fvz"));
  ASSERT_TRUE(session.Document().CloseCurrentProject());
  auto bytes = ReadBytes(path);
  for (size_t keep : {size_t(0), size_t(10), bytes.size() / 2, bytes.size() - 1}) {
    std::string cut = dir.File("cut.fvz");
    ASSERT_EQ(WriteFileAtomically(cut, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(keep))), "");
    ui.ClearEvents();
    EXPECT_FALSE(session.Document().OnOpenDocument(cut)) << keep;
    EXPECT_EQ(ui.EventsOfKind("warning").size(), 1u) << keep;
    EXPECT_EQ(Project().GetFilter(), nullptr);
  }
}

TEST_F(ProjectTest, CancellingTheSaveQuestionKeepsTheModifiedProject) {
  WriteSequence(dir.Path(), "keep", 1, 1, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("keep0001.tga")));
  ASSERT_TRUE(session.Frame().GetModifiedFlag());

  ui.answers.push_back(Answer::Cancel);
  EXPECT_FALSE(session.Document().OnNewProject());
  EXPECT_NE(Project().GetFilter(), nullptr);
  EXPECT_TRUE(session.Frame().GetModifiedFlag());
  EXPECT_TRUE(ui.EventsOfKind("open").empty());  // the image question never came

  ui.answers.push_back(Answer::Cancel);
  EXPECT_FALSE(session.Document().OnOpenDocument(dir.File("other.fvz")));
  EXPECT_NE(Project().GetFilter(), nullptr);

  // Yes with a save that is cancelled (no file chosen) stops the action too.
  ui.answers.push_back(Answer::Yes);
  ui.saveFiles.push_back(std::nullopt);
  EXPECT_FALSE(session.Document().CloseCurrentProject());
  EXPECT_TRUE(session.Frame().GetModifiedFlag());

  // Yes with a save that works closes.
  ui.answers.push_back(Answer::Yes);
  ui.saveFiles.push_back(dir.File("kept.fvz"));
  EXPECT_TRUE(session.Document().CloseCurrentProject());
  EXPECT_TRUE(fs::exists(dir.File("kept.fvz")));
  EXPECT_EQ(Project().GetFilter(), nullptr);
  EXPECT_TRUE(ui.Unexpected().empty());
}

TEST_F(ProjectTest, AFailedSaveLeavesThePreviousFileIntact) {
  WriteSequence(dir.Path(), "safe", 1, 1, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("safe0001.tga")));
  std::string path = SaveAs(dir.File("safe.fvz"));
  auto before = ReadBytes(path);
  Project().SetOutput(dir.Path(), "changed");
  // Something already sits where the temporary file would go: the save fails half-way.
  fs::create_directory(path + ".tmp" + std::to_string(getpid()));
  EXPECT_FALSE(session.Document().OnSaveDocument(path));
  EXPECT_NE(session.Document().GetLastError(), "");
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_TRUE(session.Frame().GetModifiedFlag());
}
