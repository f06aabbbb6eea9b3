#include <gtest/gtest.h>

#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/Progress.h"

TEST(UserInterface, TheSilentOneRefusesQuestionsQuietly) {
  SilentUserInterface ui;
  EXPECT_EQ(ui.Ask("Save?", Buttons::YesNoCancel), Answer::Cancel);
  EXPECT_EQ(ui.Ask("Go on?", Buttons::YesNo), Answer::No);
  EXPECT_FALSE(ui.ChooseFileToOpen({}).has_value());
  EXPECT_FALSE(ui.ProgressStep());
}

TEST(UserInterface, ScriptedAnswersComeInOrderAndSurprisesAreRecorded) {
  ScriptedUserInterface ui;
  ui.answers = {Answer::Yes, Answer::No};
  ui.openFiles = {std::string("/a/b.tga")};
  EXPECT_EQ(ui.Ask("first", Buttons::YesNoCancel), Answer::Yes);
  EXPECT_EQ(ui.Ask("second", Buttons::YesNo), Answer::No);
  EXPECT_EQ(ui.ChooseFileToOpen({}), std::optional<std::string>("/a/b.tga"));
  EXPECT_TRUE(ui.Unexpected().empty());
  EXPECT_EQ(ui.Ask("third", Buttons::YesNoCancel), Answer::Cancel);
  ASSERT_EQ(ui.Unexpected().size(), 1u);
  EXPECT_EQ(ui.EventsOfKind("ask").size(), 3u);
}

TEST(UserInterface, TextsComeInItsLanguage) {
  ScriptedUserInterface ui;
  EXPECT_EQ(ui.Text(kWarningTitle), LoadString(Language::English, kWarningTitle));
  ui.SetLanguage(Language::French);
  EXPECT_EQ(ui.Text(kWarningTitle), LoadString(Language::French, kWarningTitle));
  EXPECT_NE(ui.Text(kWarningTitle), LoadString(Language::English, kWarningTitle));
}

TEST(ProgressHelpers, OpenStepAndCloseThroughTheSeam) {
  ScriptedUserInterface ui;
  UserInterfaceProgress progress(ui, "Z Hue");

  // A total of 0 opens nothing and steps report no cancel.
  progress.Begin(0, 10, 1, 1);
  EXPECT_FALSE(progress.IsOpen());
  EXPECT_FALSE(progress.Step());
  EXPECT_EQ(ui.ProgressSteps(), 0);

  ui.cancelAtStep = 2;
  progress.Begin(5, 20, 2, 7);
  ASSERT_TRUE(progress.IsOpen());
  auto shown = ui.EventsOfKind("progress");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Render filter \"Z Hue\"\n(image 2 / 7)");
  EXPECT_EQ(shown[0].number, 5);
  EXPECT_FALSE(progress.Step());
  EXPECT_TRUE(progress.Step());
  progress.End();
  EXPECT_FALSE(progress.IsOpen());
  EXPECT_FALSE(ui.ProgressOpen());
  EXPECT_FALSE(progress.Step());
}

TEST(ProgressHelpers, InformationBoxes) {
  ScriptedUserInterface ui;
  ui.ShowInfoText(2198, 2.0);
  EXPECT_FALSE(ui.InfoOpen());  // a timed box closes by itself
  ui.ShowInfoText(2151, 0.0);
  EXPECT_TRUE(ui.InfoOpen());
  ui.CloseInfoText();
  EXPECT_FALSE(ui.InfoOpen());
  auto infos = ui.EventsOfKind("info");
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].text, LoadString(Language::English, 2198));
  EXPECT_EQ(infos[0].number, 2000);
}
