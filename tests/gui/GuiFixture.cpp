#include "GuiFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>

#include "app/FovaraView.h"
#include "filters/DepthFilterCommand.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"

GuiFixture::GuiFixture(const QStringList& arguments) {
  app.SetHelpFolders({});
  if (!app.InitInstance(arguments)) qFatal("the application did not start");
  Window().showNormal();
  Window().setGeometry(20, 20, 900, 650);
  // Keys reach the window's shortcuts only while it is the active one.
  Window().activateWindow();
  if (!QTest::qWaitForWindowActive(&Window())) qWarning("the main window did not become active");
}

GuiFixture::~GuiFixture() {
  // Whatever the test left modified is dropped without a question.
  if (app.GetMainWindow()) app.GetMainWindow()->Frame().SetModifiedFlag(false);
  app.ExitInstance();
}

CFovaraView& GuiFixture::View() const { return *Window().GetView(); }
ProjectData& GuiFixture::Project() const { return app.GetSession().Project(); }
uint32_t GuiFixture::ViewMode() const { return Project().View().GetViewMode(); }

QStringList GuiFixture::MenuTitles() const {
  QStringList titles;
  for (QAction* a : Window().menuBar()->actions()) titles << a->text();
  return titles;
}

QStringList GuiFixture::MenuEntries(const QString& title) const {
  QStringList entries;
  for (QAction* a : Window().menuBar()->actions()) {
    if (a->text() != title || !a->menu()) continue;
    for (QAction* entry : a->menu()->actions()) {
      if (!entry->isSeparator()) entries << entry->text();
    }
  }
  return entries;
}

QAction* GuiFixture::Command(const char* id) const { return Window().GetCommandAction(*FourCCFromString(id)); }

std::string GuiFixture::WriteSequence(int count, int width, int height) const {
  SequenceOptions options;
  options.scene.withAlpha = true;
  options.scene.farAlpha = 0;
  ::WriteSequence(dir.Path(), "s", 1, count, 2, ".tga", ".zpic", width, height, options);
  return dir.File("s01.tga");
}

bool GuiFixture::NewProject(uint32_t filterId, int width, int height) {
  ui.openFiles.push_back(WriteSequence(3, width, height));
  return RunNewProject(filterId);
}

bool GuiFixture::NewProjectOf(int frames, uint32_t filterId) {
  ui.openFiles.push_back(WriteSequence(frames));
  return RunNewProject(filterId);
}

bool GuiFixture::RunNewProject(uint32_t filterId) {
  auto filters = app.GetSession().Frame().GetFilters();
  for (size_t i = 0; i < filters.size(); ++i) {
    if (filters[i]->GetID() == filterId) ui.filterChoices.push_back(int(i));
  }
  Window().GetFileAction(kIdNewProject)->trigger();
  return Project().GetFilter() != nullptr;
}

void SendMouse(QWidget* widget, int type, QPoint at, int button, int buttons) {
  QMouseEvent event(QEvent::Type(type), QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::MouseButton(button),
                    Qt::MouseButtons(buttons), Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}
