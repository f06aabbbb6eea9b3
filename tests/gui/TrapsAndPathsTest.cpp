// What used to lose work or stop a newcomer: renders over their own sources, depth tools that
// could not be left, project paths taken from the program's folder, and the window's title.

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <QAction>
#include <QDir>
#include <QTest>

#include "GuiFixture.h"
#include "TrapsAndPathsTest.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "app/ViewStatusBar.h"
#include "controls/ToolBitmapButton.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "platform/framework/Preferences.h"
#include "platform/framework/StringTable.h"
#include "tools/ProjectSession.h"
#include "support/FileChecks.h"
#include "support/Scenes.h"
#include "controls/UiText.h"

namespace fs = std::filesystem;

namespace {

uint32_t CurrentCommandId(GuiFixture& gui) {
  CQelCommand* command = gui.Window().Frame().GetCommandManager().GetCurrentCommand();
  return command ? command->GetID() : 0;
}

QPoint OverPixel(const CFovaraView& view, int x, int y) {
  QPointF p = view.ImageToView(QPointF(x + 0.5, y + 0.5));
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

DepthOfFieldPanel* DofPanel(GuiFixture& gui) {
  return dynamic_cast<DepthOfFieldPanel*>(gui.Window().GetLeftPane()->GetBar(0));
}

// The process's folder, put back when the test ends.
class FolderKeeper {
 public:
  FolderKeeper() : folder_(fs::current_path()) {}
  ~FolderKeeper() { fs::current_path(folder_); }

 private:
  fs::path folder_;
};

// HOME for the test's length.
class HomeKeeper {
 public:
  explicit HomeKeeper(const std::string& home) : before_(qgetenv("HOME")) { qputenv("HOME", home.c_str()); }
  ~HomeKeeper() { qputenv("HOME", before_); }

 private:
  QByteArray before_;
};

fs::path CurrentFolder() { return fs::canonical(fs::current_path()); }

}  // namespace

void TrapsAndPathsTest::renderAndSaveRefusesToWriteOverItsSources() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  const std::string sources = ReadFileBytes(gui.dir.File("s02.tga"));
  // "s.tga" numbers its frames s01.tga to s03.tga: the sources themselves.
  gui.ui.renderRanges.push_back({RenderRangeMode::All, 0, 0});
  gui.ui.saveFiles.push_back(gui.dir.File("s.tga"));
  gui.ui.saveFiles.push_back(gui.dir.File("graded.tga"));
  QTest::keyClick(&gui.Window(), Qt::Key_F5, Qt::ShiftModifier);
  QCOMPARE(gui.Count("save"), 2);
  QCOMPARE(gui.Count("warning"), 1);
  QVERIFY(QString::fromStdString(gui.ui.EventsOfKind("warning")[0].text).contains(QStringLiteral("s01.tga")));
  QCOMPARE(ReadFileBytes(gui.dir.File("s02.tga")), sources);
  QVERIFY(fs::exists(gui.dir.File("graded03.tga")));
  QCOMPARE(gui.Count("progress"), 3);
}

void TrapsAndPathsTest::escapeRightClickOrTheButtonAgainEndAPick() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  DepthOfFieldPanel* panel = DofPanel(gui);
  QVERIFY(panel);
  const uint32_t viewMode = gui.ViewMode();
  QWidget* surface = gui.View().viewport();
  auto started = [&](ToolBitmapButton* button) {
    button->click();
    return CurrentCommandId(gui) == FourCC("DEPP") && button->IsBlinking();
  };
  auto ended = [&](ToolBitmapButton* button) {
    const bool done = CurrentCommandId(gui) == FourCC("FXDE") && !button->IsBlinking() && gui.ViewMode() == viewMode &&
                      gui.Window().GetStatusReadout()->currentMessage() == QString::fromStdString(LoadString(InterfaceLanguage(), 60045));
    if (!done) {
      qWarning("command %s, blinking %d, view mode %u, status '%s'", FourCCToString(CurrentCommandId(gui)).c_str(),
               button->IsBlinking(), gui.ViewMode(), qPrintable(gui.Window().GetStatusReadout()->currentMessage()));
    }
    return done;
  };

  // Escape, with the red picture of refused depths on show and the hint in the status bar.
  QVERIFY(started(panel->BackPointButton()));
  QCOMPARE(gui.ViewMode(), kViewGivenPicture);
  SendMouse(surface, QEvent::MouseMove, OverPixel(gui.View(), 5, 5), Qt::NoButton, Qt::NoButton);
  QVERIFY(gui.Window().GetStatusReadout()->currentMessage() != QString::fromStdString(LoadString(InterfaceLanguage(), 60045)));
  QTest::keyClick(&gui.Window(), Qt::Key_Escape);
  QVERIFY(ended(panel->BackPointButton()));

  // A right click on the image.
  QVERIFY(started(panel->FrontPointButton()));
  SendMouse(surface, QEvent::MouseButtonPress, OverPixel(gui.View(), 5, 5), Qt::RightButton, Qt::RightButton);
  SendMouse(surface, QEvent::MouseButtonRelease, OverPixel(gui.View(), 5, 5), Qt::RightButton, Qt::NoButton);
  QVERIFY(ended(panel->FrontPointButton()));

  // The blinking button clicked again; a third click starts the tool anew.
  QVERIFY(started(panel->FocusButton()));
  panel->FocusButton()->click();
  QVERIFY(ended(panel->FocusButton()));
  QVERIFY(started(panel->FocusButton()));
  QTest::keyClick(&gui.Window(), Qt::Key_Escape);
  QVERIFY(ended(panel->FocusButton()));
  // Nothing was picked on the way.
  QCOMPARE(gui.Count("warning"), 0);
}

void TrapsAndPathsTest::aRelativeProjectIsTakenFromTheStartFolder() {
  FolderKeeper keeper;
  TempFolder start;
  TempFolder elsewhere;
  fs::create_directories(start.File("proj"));
  ::WriteSequence(start.File("proj/"), "s", 1, 2, 2, ".tga", ".zpic", 32, 24);
  {
    // Saved beside its images in the start folder's proj/.
    ScriptedUserInterface ui;
    ProjectSession session(ui);
    ui.filterChoices.push_back(0);
    QVERIFY(session.Document().NewProjectFrom(start.File("proj/s01.tga")));
    QVERIFY(session.Document().OnSaveDocument(start.File("proj/x.fvz")));
  }
  // The last session worked elsewhere: the program enters that folder at start-up, but the
  // name on the command line is the user's, from the folder he started it in.
  Preferences::SetValue("settings", "dir", elsewhere.Path());
  fs::current_path(start.Path());
  ScriptedUserInterface ui;
  CFovaraApp app{ui};
  QVERIFY(app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us"), QStringLiteral("proj/x.fvz")}));
  QVERIFY(app.GetSession().Project().GetFilter());
  QCOMPARE(ui.Events().size(), size_t(0));
  QCOMPARE(app.GetMainWindow()->windowTitle(), QStringLiteral("x.fvz[*] \u2014 Fovara"));
  // The project's folder is where the user works now.
  QCOMPARE(CurrentFolder(), fs::canonical(start.File("proj")));
  app.ExitInstance();
}

void TrapsAndPathsTest::theWorkingFolderIsTheLastOneElseHome() {
  FolderKeeper keeper;
  TempFolder home;
  TempFolder last;
  HomeKeeper homeKeeper(home.Path());
  auto startIn = [](const std::string& stored) {
    Preferences::SetValue("settings", "dir", stored);
    fs::current_path("/");
    ScriptedUserInterface ui;
    CFovaraApp app{ui};
    app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
    const fs::path folder = CurrentFolder();
    app.ExitInstance();
    return folder;
  };
  QCOMPARE(startIn(""), fs::canonical(home.Path()));
  QCOMPARE(startIn(last.Path()), fs::canonical(last.Path()));
  QCOMPARE(startIn(last.File("gone")), fs::canonical(home.Path()));
  // The program's own folder, which earlier versions stored, is nobody's working folder.
  QCOMPARE(startIn(QCoreApplication::applicationDirPath().toStdString()), fs::canonical(home.Path()));
  // The folder at the end is the one the next session starts in.
  fs::current_path(last.Path());
  {
    ScriptedUserInterface ui;
    CFovaraApp app{ui};
    app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")});
    fs::current_path(home.Path());
    app.ExitInstance();
  }
  QCOMPARE(Preferences::GetValue("settings", "dir", ""), fs::current_path().string());
}

void TrapsAndPathsTest::titleNamesTheProjectFile() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDE")));
  QCOMPARE(gui.Window().windowTitle(), QStringLiteral("New project[*] \u2014 Fovara"));
  QVERIFY(gui.Window().isWindowModified());
  gui.ui.saveFiles.push_back(gui.dir.File("dof.fvz"));
  QTest::keyClick(&gui.Window(), Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(gui.Window().windowTitle(), QStringLiteral("dof.fvz[*] \u2014 Fovara"));
  QVERIFY(!gui.Window().isWindowModified());
  DofPanel(gui)->NextDiaphButton()->click();
  QVERIFY(gui.Window().isWindowModified());
  // Save Project As takes another name, and the project is that file from then on.
  gui.ui.saveFiles.push_back(gui.dir.File("other.fvz"));
  QTest::keyClick(&gui.Window(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(gui.Window().windowTitle(), QStringLiteral("other.fvz[*] \u2014 Fovara"));
  QVERIFY(fs::exists(gui.dir.File("other.fvz")));
  QCOMPARE(gui.app.GetSession().Document().GetPathName(), gui.dir.File("other.fvz"));
  QVERIFY(QString::fromStdString(gui.ui.EventsOfKind("save")[1].text).endsWith(QStringLiteral("dof.fvz")));
  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QCOMPARE(gui.Window().windowTitle(), QStringLiteral("Fovara"));
}

void TrapsAndPathsTest::heldCompareKeyShowsTheSource() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDS")));
  gui.ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
  gui.Command("DOFX")->trigger();
  QCOMPARE(gui.ViewMode(), kViewLastResult);
  QTest::keyPress(&gui.Window(), MainWindow::kCompareKey);
  QCOMPARE(gui.ViewMode(), kViewImage);
  QTest::keyRelease(&gui.Window(), MainWindow::kCompareKey);
  QCOMPARE(gui.ViewMode(), kViewLastResult);
  // Over the source itself there is nothing to compare.
  gui.Project().View().SetViewMode(kViewImage, true, false);
  QVERIFY(!gui.Window().CompareWithSource(true));
  QCOMPARE(gui.ViewMode(), kViewImage);
}
