#pragma once

#include <QObject>

class WorkflowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void sequenceFromNewProjectToRenderedFramesAndBack();
};
