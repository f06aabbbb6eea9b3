// Undo and redo of the project's keyframes and options, and the keyframe edits of the
// animation list that make the steps.

#include <fstream>

#include "ProjectFixture.h"
#include "tools/AnimationActions.h"
#include "filters/zone/ZSaturationSettings.h"
#include "filters/zone/ZoneFilters.h"
#include "project/UndoHistory.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

ProjectState State(uint8_t b) { return {b}; }

std::vector<int> KeyframeFrames(const KeyframeTrack& track) {
  std::vector<int> frames;
  for (int i = 0; i < track.GetCount(); ++i) frames.push_back(track.GetAt(i)->GetFrameNumber());
  return frames;
}

class UndoTest : public ProjectTest {
 protected:
  // A single image (mode 1) or a sequence of five (mode 2), Z Saturation.
  void NewProjectOf(int images) {
    WriteSequence(dir.Path(), "shot", 1, images, 4, ".tga", ".zpic", 32, 24);
    ASSERT_TRUE(NewProject(dir.File("shot0001.tga"), FourCC("FXDS")));
  }
  ZSaturationSettings& Current() {
    return static_cast<ZSaturationSettings&>(Project().GetFilter()->GetCurrentSettings());
  }
  float ZoneFarAt(int frame) {
    ZSaturationSettings out;
    Project().Model().Track().GetSettingsAt(out, frame, nullptr, nullptr);
    return out.ZoneFar;
  }
  // A panel edit: the current settings change, then the project is told.
  void EditZoneFar(float value) {
    Current().ZoneFar = value;
    Project().NotifyChanged(kChangeSettings);
  }
  bool Modified() { return session.Frame().GetModifiedFlag(); }
  AnimationActions actions{session.Project()};
};

}  // namespace

TEST(UndoHistoryTest, StepsUndoRedoAndTheSavedPosition) {
  UndoHistory history(3);
  history.Reset(State(0), true);
  EXPECT_TRUE(history.IsAtSavedState());
  EXPECT_FALSE(history.Record(State(0), 4));  // same bytes: no step
  EXPECT_TRUE(history.Record(State(1), 5));
  EXPECT_TRUE(history.Record(State(2), 6));
  EXPECT_FALSE(history.IsAtSavedState());

  auto back = history.Undo();
  ASSERT_TRUE(back);
  EXPECT_EQ(*back->state, State(1));
  EXPECT_EQ(back->frame, 6);  // the frame where the undone change was made
  back = history.Undo();
  EXPECT_EQ(*back->state, State(0));
  EXPECT_TRUE(history.IsAtSavedState());
  EXPECT_FALSE(history.Undo());
  auto forward = history.Redo();
  ASSERT_TRUE(forward);
  EXPECT_EQ(*forward->state, State(1));

  // A new change drops what was undone.
  history.MarkSaved();
  EXPECT_TRUE(history.Record(State(7), 0));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(*history.Undo()->state, State(1));
  EXPECT_TRUE(history.IsAtSavedState());
}

TEST(UndoHistoryTest, StepsKeepTheirNamesForUndoAndRedo) {
  UndoHistory history;
  history.Reset(State(1), true);
  EXPECT_EQ(history.UndoNameId(), 0);
  history.Record(State(2), 0, 64060);
  history.Record(State(3), 0);
  EXPECT_EQ(history.UndoNameId(), 0);  // an unnamed step
  history.Undo();
  EXPECT_EQ(history.UndoNameId(), 64060);
  EXPECT_EQ(history.RedoNameId(), 0);
  history.Undo();
  EXPECT_EQ(history.RedoNameId(), 64060);
  EXPECT_EQ(history.UndoNameId(), 0);
}

TEST(UndoHistoryTest, OldestStepsGoBeyondTheLimitAndTheSavedPositionWithThem) {
  UndoHistory history(2);
  history.Reset(State(0), true);
  for (uint8_t b = 1; b <= 3; ++b) history.Record(State(b), 0);
  EXPECT_EQ(history.GetStepCount(), 2u);
  EXPECT_EQ(*history.Undo()->state, State(2));
  EXPECT_EQ(*history.Undo()->state, State(1));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.IsAtSavedState());  // state 0 was saved; it cannot be reached again

  // Dropping undone steps that held the saved state: no position is saved any more.
  history.Reset(State(0), false);
  history.Record(State(1), 0);
  history.MarkSaved();
  history.Undo();
  history.Record(State(9), 0);
  history.Undo();
  EXPECT_FALSE(history.IsAtSavedState());
}

TEST_F(UndoTest, SettingsAndOptionEditsUndoAndRedoWithTheModifiedFlag) {
  NewProjectOf(1);
  std::string path = SaveAs(dir.File("shot.fvz"));
  const std::vector<uint8_t> saved = ReadBytes(path);
  const float original = Current().ZoneFar;

  EditZoneFar(original + 5);
  auto* filter = static_cast<ZSaturationFilter*>(Project().GetFilter());
  filter->GetOptionsOf().InvertZone = true;
  Project().NotifyChanged(kChangeModifiedOnly);
  EXPECT_TRUE(Modified());

  ASSERT_TRUE(Project().History().Undo());  // the option
  EXPECT_FALSE(filter->GetOptionsOf().InvertZone);
  EXPECT_FLOAT_EQ(Current().ZoneFar, original + 5);
  EXPECT_TRUE(Modified());
  ASSERT_TRUE(Project().History().Undo());  // the setting: back to what the file holds
  EXPECT_FLOAT_EQ(Current().ZoneFar, original);
  EXPECT_FLOAT_EQ(ZoneFarAt(0), original);
  EXPECT_FALSE(Modified());
  EXPECT_FALSE(Project().History().Undo());

  // Saving the undone project writes the file it came from.
  SaveAs(path);
  EXPECT_EQ(ReadBytes(path), saved);

  ASSERT_TRUE(Project().History().Redo());
  ASSERT_TRUE(Project().History().Redo());
  EXPECT_TRUE(filter->GetOptionsOf().InvertZone);
  EXPECT_FLOAT_EQ(Current().ZoneFar, original + 5);
  EXPECT_TRUE(Modified());
  EXPECT_FALSE(Project().History().Redo());
}

TEST_F(UndoTest, MovingThroughFramesAndEditsOffKeyframesMakeNoStep) {
  NewProjectOf(5);
  Project().GoToFrame(3, false);
  EditZoneFar(Current().ZoneFar + 1);  // frame 3 is no keyframe: the track is unchanged
  Project().GoToFrame(0, false);
  EXPECT_FALSE(Project().History().CanUndo());
}

TEST_F(UndoTest, KeyframeEditsOfTheListAreStepsAndUndoShowsTheirFrame) {
  NewProjectOf(5);
  const float first = Current().ZoneFar;
  ASSERT_TRUE(actions.SelectFrame(2));
  Current().ZoneFar = first + 10;
  EXPECT_FALSE(actions.AddKeyframe());
  ASSERT_TRUE(actions.SelectFrame(4));
  ASSERT_TRUE(actions.CopyKeyframe(2, 4));
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 2, 4}));
  EXPECT_FLOAT_EQ(Current().ZoneFar, first + 10);  // the filter shows the copied keyframe
  actions.SelectFrame(4);
  actions.DeleteKeyframe();
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 2}));
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 4);  // a sequence keeps its frame
  EXPECT_FLOAT_EQ(Current().ZoneFar, first + 10);     // after the last keyframe its values hold

  ASSERT_TRUE(Project().History().Undo());
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 2, 4}));
  ASSERT_TRUE(Project().History().Undo());
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 2}));
  ASSERT_TRUE(Project().History().Undo());
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0}));
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 2);  // where the keyframe was added
  EXPECT_FLOAT_EQ(Current().ZoneFar, first);
  EXPECT_FALSE(Project().History().CanUndo());

  actions.DeleteAllKeyframes();  // one keyframe: nothing to do, no step
  EXPECT_FALSE(Project().History().CanUndo());
}

TEST_F(UndoTest, SingleImageAnimationFromTheListAndItsLabels) {
  NewProjectOf(1);
  EXPECT_EQ(actions.GetRowCount(), 1);
  EXPECT_EQ(actions.GetRowName(0), "First frame");
  EXPECT_TRUE(actions.CanAddKeyframe());  // frame 0 of a single image
  EXPECT_FALSE(actions.CanDeleteKeyframe());
  EXPECT_FALSE(actions.CanCopyPrevious());
  EXPECT_FALSE(actions.CanDrag(0));  // nothing to drag onto yet

  EXPECT_TRUE(actions.AddKeyframe());
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 1);
  EXPECT_FALSE(actions.CanEditLabel(0));
  for (const char* refused : {"0", "1000", "-3", "12a", "", " 7"}) {
    EXPECT_FALSE(actions.EditLabel(1, refused)) << refused;
  }
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 1}));
  ASSERT_TRUE(actions.EditLabel(1, "30"));
  EXPECT_EQ(actions.GetRowCount(), 31);
  EXPECT_EQ(actions.GetRowName(30), "Last frame");
  EXPECT_EQ(actions.GetRowName(15), "");

  for (int frame : {10, 20}) {
    actions.SelectFrame(frame);
    actions.AddKeyframe();
  }
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 10, 20, 30}));
  actions.SelectFrame(10);
  // A number before later keyframes cuts the animation there.
  ASSERT_TRUE(actions.EditLabel(10, "15"));
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 10, 15}));
  ASSERT_TRUE(Project().History().Undo());
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 10, 20, 30}));

  // Cutting below the current frame brings the current frame within the animation.
  actions.SelectFrame(30);
  ASSERT_TRUE(actions.EditLabel(30, "5"));
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 5}));
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 5);

  // Deleting in a single image goes back to frame 0; deleting all leaves frame 0.
  actions.SelectFrame(5);
  actions.DeleteKeyframe();
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 0);
  EXPECT_EQ(actions.GetRowCount(), 1);
  Project().History().Undo();
  Project().History().Undo();
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0, 10, 20, 30}));
  actions.SelectFrame(20);
  actions.DeleteAllKeyframes();
  EXPECT_EQ(KeyframeFrames(Project().Model().Track()), (std::vector<int>{0}));
  EXPECT_EQ(Project().Model().Track().GetCurrentFrame(), 0);
}
