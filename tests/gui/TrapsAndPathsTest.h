#pragma once

#include <QObject>

class TrapsAndPathsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void renderAndSaveRefusesToWriteOverItsSources();
  void escapeRightClickOrTheButtonAgainEndAPick();
  void aRelativeProjectIsTakenFromTheStartFolder();
  void theWorkingFolderIsTheLastOneElseHome();
  void titleNamesTheProjectFile();
  void heldCompareKeyShowsTheSource();
};
