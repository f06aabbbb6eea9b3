#include <gtest/gtest.h>

#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/Progress.h"

TEST(UserInterface, WithNothingInstalledQuestionsAreRefusedQuietly) {
  EXPECT_EQ(UI().Ask("Save?", Buttons::YesNoCancel), Answer::Cancel);
  EXPECT_EQ(UI().Ask("Go on?", Buttons::YesNo), Answer::No);
  EXPECT_FALSE(UI().ChooseFileToOpen({}).has_value());
  EXPECT_FALSE(UI().ProgressStep());
}

TEST(UserInterface, ScriptedAnswersComeInOrderAndSurprisesAreRecorded) {
  ScriptedUserInterface ui;
  ui.answers = {Answer::Yes, Answer::No};
  ui.openFiles = {std::string("/a/b.tga")};
  EXPECT_EQ(UI().Ask("first", Buttons::YesNoCancel), Answer::Yes);
  EXPECT_EQ(UI().Ask("second", Buttons::YesNo), Answer::No);
  EXPECT_EQ(UI().ChooseFileToOpen({}), std::optional<std::string>("/a/b.tga"));
  EXPECT_TRUE(ui.Unexpected().empty());
  EXPECT_EQ(UI().Ask("third", Buttons::YesNoCancel), Answer::Cancel);
  ASSERT_EQ(ui.Unexpected().size(), 1u);
  EXPECT_EQ(ui.EventsOfKind("ask").size(), 3u);
}

TEST(ProgressHelpers, OpenStepAndCloseThroughTheSeam) {
  SetLanguage(Language::English);
  ScriptedUserInterface ui;
  SetProgressFilterName("Z Hue");

  // A total of 0 opens nothing and steps report no cancel.
  BeginProgress(0, 10, 1, 1);
  EXPECT_FALSE(IsProgressOpen());
  EXPECT_FALSE(ProgressStep());
  EXPECT_EQ(ui.ProgressSteps(), 0);

  ui.cancelAtStep = 2;
  BeginProgress(5, 20, 2, 7);
  ASSERT_TRUE(IsProgressOpen());
  auto progress = ui.EventsOfKind("progress");
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_EQ(progress[0].text, "Render filter \"Z Hue\"\n(image 2 / 7)");
  EXPECT_EQ(progress[0].number, 5);
  EXPECT_FALSE(ProgressStep());
  EXPECT_TRUE(ProgressStep());
  EndProgress(0);  // 0 leaves it open
  EXPECT_TRUE(IsProgressOpen());
  EndProgress(1);
  EXPECT_FALSE(IsProgressOpen());
  EXPECT_FALSE(ProgressStep());
}

TEST(ProgressHelpers, InformationBoxes) {
  SetLanguage(Language::English);
  ScriptedUserInterface ui;
  ShowInfo(2198, 2.0f);
  EXPECT_FALSE(ui.InfoOpen());  // a timed box closes by itself
  ShowInfo(2151, 0.0f);
  EXPECT_TRUE(ui.InfoOpen());
  CloseInfo();
  EXPECT_FALSE(ui.InfoOpen());
  auto infos = ui.EventsOfKind("info");
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].text, LoadString(2198));
  EXPECT_EQ(infos[0].number, 2000);
}
