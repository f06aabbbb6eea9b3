#pragma once

#include <QObject>

class MainWindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void startsEmptyWithTheShortMenu();
  void newProjectThroughTheDialogsGivesTheFullMenu();
  void cancelledImageChoiceLeavesNoProject();
  void viewCommandsSwitchTheViewModes();
  void convertZBufferSavesTheDepthPicture();
  void savePromptCancelKeepsTheProject();
  void saveAndReopen();
  void droppedFilesOpen();
  void projectOnTheCommandLineIsOpened();
  void languageSwitchChangesTheMenus();
  void workingFolderAndPlacementAreRestored();
  void helpOpensThePageOfTheLanguageOrWarns();
  void leftPaneShowsWhilePanelsAreDocked();
  void aboutShowsTheSplashForTwoSeconds();
};
