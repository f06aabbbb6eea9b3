// Runs every GUI test class in one process; offscreen unless a platform was chosen.

#include <QApplication>
#include <QTest>

#include "AnimationPanelTest.h"
#include "ColourViewTest.h"
#include "MainWindowTest.h"
#include "PanelTest.h"
#include "PanelWordsTest.h"
#include "ToolAndRenderTest.h"
#include "TrapsAndPathsTest.h"
#include "ViewTest.h"
#include "WorkflowTest.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  int failures = 0;
  {
    MainWindowTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    PanelTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    ToolAndRenderTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    ViewTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    ColourViewTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    AnimationPanelTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    TrapsAndPathsTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    PanelWordsTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  {
    WorkflowTest test;
    failures += QTest::qExec(&test, argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
