// The main window as a user drives it: menus with and without a project, the view modes,
// the save prompt, saving and reopening, the command line and the language.

#include <filesystem>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QMimeData>
#include <QSplashScreen>
#include <QTest>
#include <QToolBar>

#include "GuiFixture.h"
#include "MainWindowTest.h"
#include "app/CustomVReBar.h"
#include "app/FovaraView.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/StringTable.h"
#include "tools/ProjectSession.h"
#include "controls/UiText.h"

namespace {
const QStringList kShortMenu = {QStringLiteral("&File"), QStringLiteral("&Help")};
const QStringList kFullMenu = {QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&Render"),
                               QStringLiteral("&View"), QStringLiteral("&Help")};
}  // namespace

void MainWindowTest::startsEmptyWithTheShortMenu() {
  GuiFixture gui;
  QCOMPARE(gui.MenuTitles(), kShortMenu);
  QVERIFY(!gui.Window().GetNavigationToolbar()->isVisible());
  QVERIFY(!gui.Window().GetPreviewToolbar()->isVisible());
  QVERIFY(!gui.View().HasImage());
  QCOMPARE(gui.Window().windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("Fovara"));
  // Without a project the tools cannot run, whatever key is pressed.
  QVERIFY(!gui.Window().GetFileAction(kIdSaveProject)->isEnabled());
  QVERIFY(!gui.Command("DOFX")->isEnabled());
  QTest::keyClick(&gui.Window(), Qt::Key_F5);
  QCOMPARE(gui.Count("render-range"), 0);
}

void MainWindowTest::newProjectThroughTheDialogsGivesTheFullMenu() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  QCOMPARE(gui.Count("open"), 1);
  QCOMPARE(gui.Count("select"), 1);  // the frame picker lists the sequence
  QCOMPARE(gui.Count("filter"), 1);
  QCOMPARE(gui.Project().Model().GetImageCount(), 3);
  QCOMPARE(gui.MenuTitles(), kFullMenu);
  QVERIFY(gui.Window().GetNavigationToolbar()->isVisible());
  QVERIFY(gui.Window().GetPreviewToolbar()->isVisible());
  QVERIFY(gui.MenuEntries(QStringLiteral("&Render")).contains(QStringLiteral("Render and save images")));
  QVERIFY(gui.MenuEntries(QStringLiteral("&View")).contains(QStringLiteral("View &Z-Buffer")));
  QVERIFY(gui.MenuEntries(QStringLiteral("&View")).contains(QStringLiteral("Zoom &In")));
  QVERIFY(gui.MenuEntries(QStringLiteral("&File")).contains(QStringLiteral("Convert &Z-Buffer...")));
  QCOMPARE(gui.Command("DSFX")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
  QCOMPARE(gui.Command("DNFX")->shortcut(), QKeySequence(Qt::Key_F4));
  QVERIFY(gui.View().HasImage());
  QCOMPARE(gui.ViewMode(), kViewImage);
  // A new project is modified until it is saved; the last mouse tool runs beside the filter.
  QVERIFY(gui.Window().isWindowModified());
  QCOMPARE(gui.Window().windowTitle(), QStringLiteral("New project[*] \u2014 Fovara"));
  QVERIFY(gui.Command("ZOOM")->isChecked());
}

void MainWindowTest::cancelledImageChoiceLeavesNoProject() {
  GuiFixture gui;
  gui.ui.openFiles.push_back(std::nullopt);
  gui.Window().GetFileAction(kIdNewProject)->trigger();
  QCOMPARE(gui.MenuTitles(), kShortMenu);
  QVERIFY(!gui.View().HasImage());
}

void MainWindowTest::viewCommandsSwitchTheViewModes() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  // Nothing rendered yet: the last rendered image is refused, by menu state and by key.
  QVERIFY(!gui.Command("VLSI")->isEnabled());
  QTest::keyClick(&gui.Window(), Qt::Key_F10);
  QCOMPARE(gui.ViewMode(), kViewImage);

  gui.Command("VALP")->trigger();
  QCOMPARE(gui.ViewMode(), kViewImageAlpha);
  QVERIFY(gui.Command("VALP")->isChecked());
  gui.Command("VALP")->trigger();
  QCOMPARE(gui.ViewMode(), kViewImage);

  // A render of the current frame shows the result; the alpha toggle then works on it.
  gui.ui.renderRanges.push_back({RenderRangeMode::Current, 0, 0});
  QTest::keyClick(&gui.Window(), Qt::Key_F5);
  QCOMPARE(gui.Count("render-range"), 1);
  QCOMPARE(gui.ViewMode(), kViewLastResult);
  QVERIFY(gui.Command("VLSI")->isEnabled());
  QVERIFY(gui.Command("VLSI")->isChecked());
  gui.Command("VALP")->trigger();
  QCOMPARE(gui.ViewMode(), kViewResultAlpha);
  gui.Command("VALP")->trigger();
  QCOMPARE(gui.ViewMode(), kViewLastResult);
  QTest::keyClick(&gui.Window(), Qt::Key_F10);
  QCOMPARE(gui.ViewMode(), kViewImage);

  // The depth view asks its mode; leaving it does not ask again.
  gui.ui.depthModes.push_back({2, 0, 0.2f});
  gui.Command("VZBF")->trigger();
  QCOMPARE(gui.ViewMode(), kViewColourDepth);
  QVERIFY(gui.Command("VZBF")->isChecked());
  gui.Command("VZBF")->trigger();
  QCOMPARE(gui.ViewMode(), kViewImage);
  QCOMPARE(gui.Count("depth-mode"), 1);
  QVERIFY(gui.ui.Unexpected().empty());
}

void MainWindowTest::convertZBufferSavesTheDepthPicture() {
  GuiFixture gui;
  QVERIFY(!gui.Window().GetFileAction(kIdConvertZBuffer)->isEnabled());
  QVERIFY(gui.NewProject());
  std::string picture = gui.dir.File("depth.z.tga");
  gui.ui.depthModes.push_back({1, 1, 0.2f});
  gui.ui.saveFiles.push_back(picture);
  gui.Window().GetFileAction(kIdConvertZBuffer)->trigger();
  QVERIFY(std::filesystem::exists(picture));
  QVERIFY(gui.ui.Unexpected().empty());
}

void MainWindowTest::savePromptCancelKeepsTheProject() {
  GuiFixture gui;
  QVERIFY(gui.NewProject());
  gui.ui.answers.push_back(Answer::Cancel);
  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QCOMPARE(gui.Count("ask"), 1);
  QVERIFY(gui.Project().GetFilter());
  QCOMPARE(gui.MenuTitles(), kFullMenu);
  QVERIFY(gui.Window().isWindowModified());

  // Closing the window asks too, and Cancel keeps it open.
  gui.ui.answers.push_back(Answer::Cancel);
  QVERIFY(!gui.Window().close());
  QVERIFY(gui.Window().isVisible());
  QVERIFY(gui.Project().GetFilter());

  // No drops the changes and closes the project.
  gui.ui.answers.push_back(Answer::No);
  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QVERIFY(!gui.Project().GetFilter());
  QCOMPARE(gui.MenuTitles(), kShortMenu);
  QVERIFY(!gui.Window().isWindowModified());
}

void MainWindowTest::saveAndReopen() {
  GuiFixture gui;
  QVERIFY(gui.NewProject(FourCC("FXDS")));
  std::string path = gui.dir.File("job.fvz");
  gui.ui.saveFiles.push_back(path);
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::CTRL | Qt::Key_S));
  QVERIFY(std::filesystem::exists(path));
  QVERIFY(!gui.Window().isWindowModified());

  gui.Window().GetFileAction(kIdCloseProject)->trigger();
  QCOMPARE(gui.Count("ask"), 0);  // nothing was left to save
  QCOMPARE(gui.MenuTitles(), kShortMenu);

  gui.ui.openFiles.push_back(path);
  QTest::keySequence(&gui.Window(), QKeySequence(Qt::CTRL | Qt::Key_O));
  QCOMPARE(gui.MenuTitles(), kFullMenu);
  QCOMPARE(gui.Project().GetFilter()->GetID(), FourCC("FXDS"));
  QCOMPARE(gui.Project().Model().GetImageCount(), 3);
  QVERIFY(gui.View().HasImage());
  QVERIFY(!gui.Window().isWindowModified());

  // The project heads the recent files.
  auto* recent = gui.Window().menuBar()->findChild<QMenu*>(QStringLiteral("recentMenu"));
  QVERIFY(recent);
  Q_EMIT recent->aboutToShow();
  QVERIFY(recent->actions().first()->text().endsWith(QString::fromStdString(path)));
}

void MainWindowTest::droppedFilesOpen() {
  GuiFixture gui;
  std::string image = gui.WriteSequence(2);
  gui.ui.filterChoices.push_back(0);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(image))});
  // The drop goes to the widget that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&gui.Window(), &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&gui.Window(), &drop);
  QCOMPARE(gui.Project().Model().GetImageCount(), 2);
  QCOMPARE(gui.MenuTitles(), kFullMenu);
}

void MainWindowTest::projectOnTheCommandLineIsOpened() {
  TempFolder kept;  // outlives the first session, which saves the project there
  {
    GuiFixture gui;
    QVERIFY(gui.NewProject());
    QVERIFY(gui.app.GetSession().Document().OnSaveDocument(gui.dir.File("line.fvz")));
    std::filesystem::copy(gui.dir.Path(), kept.Path(), std::filesystem::copy_options::recursive |
                                                          std::filesystem::copy_options::overwrite_existing);
  }
  std::string saved = kept.File("line.fvz");
  {
    ScriptedUserInterface ui;
    CFovaraApp app{ui};
    QVERIFY(app.InitInstance({QStringLiteral("fovara"), QString::fromStdString(saved), QStringLiteral("-us")}));
    QVERIFY(app.GetSession().Project().GetFilter());
    QVERIFY(app.GetMainWindow()->GetView()->HasImage());
    QCOMPARE(int(ui.Events().size()), 0);
    app.ExitInstance();
  }

  // One that cannot be read is reported, and the program starts empty instead of ending.
  TempFolder folder;
  std::string broken = folder.Write("broken.fvz", "CDAT\x01 not a project at all");
  ScriptedUserInterface ui;
  CFovaraApp app{ui};
  QVERIFY(app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us"), QString::fromStdString(broken)}));
  QVERIFY(app.GetMainWindow() && app.GetMainWindow()->isVisible());
  QCOMPARE(int(ui.EventsOfKind("warning").size()), 1);
  QVERIFY(ui.EventsOfKind("warning")[0].text.find("broken.fvz") != std::string::npos);
  QVERIFY(!app.GetSession().Project().GetFilter());
  QVERIFY(!app.GetMainWindow()->GetView()->HasImage());
  app.ExitInstance();
}

void MainWindowTest::languageSwitchChangesTheMenus() {
  {
    GuiFixture gui({QStringLiteral("fovara"), QStringLiteral("-us"), QStringLiteral("-FR")});
    QCOMPARE(gui.MenuTitles(), (QStringList{QStringLiteral("&Fichier"), QStringLiteral("&Aide")}));
    QVERIFY(gui.NewProject());
    QVERIFY(gui.MenuEntries(QStringLiteral("&Rendu")).contains(QStringLiteral("Calculer les images")));
  }
  GuiFixture gui({QStringLiteral("fovara"), QStringLiteral("-Fr"), QStringLiteral("-US")});
  QCOMPARE(gui.MenuTitles(), kShortMenu);
}

void MainWindowTest::workingFolderAndPlacementAreRestored() {
  TempFolder folder;
  QRect placed;
  {
    GuiFixture gui;
    std::filesystem::current_path(folder.Path());
    gui.Window().showNormal();
    gui.Window().setGeometry(40, 50, 700, 500);
    placed = gui.Window().geometry();
    QVERIFY(gui.Window().close());
  }
  std::filesystem::current_path("/");
  ScriptedUserInterface ui;
  CFovaraApp app{ui};
  QVERIFY(app.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")}));
  QCOMPARE(std::filesystem::current_path(), std::filesystem::path(folder.Path()).parent_path());
  QCOMPARE(app.GetMainWindow()->geometry(), placed);
  app.ExitInstance();
  std::filesystem::current_path("/");
}

void MainWindowTest::helpOpensThePageOfTheLanguageOrWarns() {
  GuiFixture gui;
  QTest::keyClick(&gui.Window(), Qt::Key_F1);
  QCOMPARE(gui.Count("warning"), 1);
  QCOMPARE(gui.ui.EventsOfKind("warning")[0].title, LoadString(InterfaceLanguage(), 5146));

  TempFolder pages;
  std::filesystem::create_directories(pages.File("en"));
  std::filesystem::create_directories(pages.File("fr"));
  pages.Write("en/index.html", "<html></html>");
  pages.Write("fr/index.html", "<html></html>");
  QList<QUrl> shown;
  gui.app.SetHelpFolders({QString::fromStdString(pages.Path())});
  gui.app.SetUrlOpener([&shown](const QUrl& url) {
    shown << url;
    return true;
  });
  QTest::keyClick(&gui.Window(), Qt::Key_F1);
  SetInterfaceLanguage(Language::French);
  gui.app.WinHelp();
  SetInterfaceLanguage(Language::English);
  QCOMPARE(shown.size(), 2);
  QVERIFY(shown[0].toLocalFile().endsWith(QStringLiteral("/en/index.html")));
  QVERIFY(shown[1].toLocalFile().endsWith(QStringLiteral("/fr/index.html")));
  QCOMPARE(gui.Count("warning"), 1);
}

void MainWindowTest::leftPaneShowsWhilePanelsAreDocked() {
  GuiFixture gui;
  CCustomVReBar* pane = gui.Window().GetLeftPane();
  QVERIFY(!pane->isVisible());
  auto* first = new QLabel(QStringLiteral("filter"));
  auto* second = new QLabel(QStringLiteral("animation"));
  pane->AddNewBar(first, "Depth of field settings");
  pane->AddNewBar(second, LoadString(InterfaceLanguage(), 2140));
  QVERIFY(pane->isVisible());
  QCOMPARE(gui.Window().dockWidgetArea(pane), Qt::LeftDockWidgetArea);
  QCOMPARE(pane->GetBar(1), second);
  QVERIFY(pane->RemoveBar(first));
  QVERIFY(!pane->RemoveBar(first));
  QVERIFY(pane->isVisible());
  QVERIFY(pane->RemoveBar(second));
  QVERIFY(!pane->isVisible());
  delete first;
  delete second;
}

void MainWindowTest::aboutShowsTheSplashForTwoSeconds() {
  GuiFixture gui;
  gui.Window().GetFileAction(kIdAbout)->trigger();
  QVERIFY(gui.app.GetSplash() && gui.app.GetSplash()->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(gui.app.GetSplash() == nullptr, 5000);
}
