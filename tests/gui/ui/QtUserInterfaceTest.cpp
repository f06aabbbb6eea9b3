// The Qt dialogs of the user interface, each opened through QtUserInterface and answered
// as a user would.

#include <QAbstractButton>
#include <QColorDialog>
#include <QCursor>
#include <QElapsedTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QStatusBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QFile>
#include <QtTest>

#include "DialogDriver.h"
#include "platform/framework/Preferences.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/FilterListDialog.h"
#include "app/ui/InfoBox.h"
#include "app/ui/NotificationDialog.h"
#include "app/ui/ProgressDialog.h"
#include "app/ui/QtTranslations.h"
#include "app/ui/QtUserInterface.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FourCC.h"
#include "platform/image/Bitmap.h"

namespace {

void ClickStandardButton(QWidget* dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog->findChild<QDialogButtonBox*>();
  QVERIFY(box);
  QTest::mouseClick(box->button(which), Qt::LeftButton);
}

void ClickMessageButton(QWidget* dialog, QMessageBox::StandardButton which) {
  auto* box = qobject_cast<QMessageBox*>(dialog);
  QVERIFY(box);
  QTest::mouseClick(box->button(which), Qt::LeftButton);
}

std::unique_ptr<g8Bitmap> GreyRamp() {
  auto picture = std::make_unique<g8Bitmap>(64, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) picture->GetLine(y)[x] = uint8_t(x * 4);
  return picture;
}

std::vector<FilterChoiceItem> TwoFilters() {
  return {{"Depth of field", "Blur by depth.", "RGB Color\nZ Buffer\n", 1.0f, FourCC("FXDE")},
          {"Z Hue", "Hue by depth.", "RGB Color\n", 2.5f, FourCC("FXDH")}};
}

}  // namespace

class QtUserInterfaceTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Every run starts from the defaults of the remembered choices.
  void initTestCase() { QFile::remove(QString::fromStdString(Preferences::FilePath())); }
  void SavePromptGivesEachOfItsThreeAnswers();
  void NotificationShowsMarkupAndKeepsNamesLiteral();
  void FramePickerStartsWithEveryFrameAndReturnsTheKeptOnes();
  void FilterListShowsTheSelectedFilterAndReturnsIt();
  void DepthTypeShowsThePictureAndRemembersTheAnswer();
  void ProgressCancelIsSeenByTheNextStep();
  void InformationBoxOpensClosesAndTimesOut();
  void ProgressAndInformationGoWithTheMainWindow();
  void ARenderShowsItsProgressInTheStatusBarToo();
  void AWaitRepaintsAndAfterAMomentOffersCancel();
  void TheFirstDialogOpensInTheWorkingFolderAndAChoiceMovesIt();
  void FileTypesListWhatTheImageLibraryReadsAndWrites();
  void SavedNamesCarryTheirExtension();
  void ChosenFolderEndsWithASeparator();
  void ColourTravelsAsBlueGreenRed();
  void QtTextsFollowTheFrenchLanguage();

 private:
  QtUserInterface ui_;
};

void QtUserInterfaceTest::SavePromptGivesEachOfItsThreeAnswers() {
  const std::pair<QMessageBox::StandardButton, Answer> cases[] = {
      {QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}, {QMessageBox::Cancel, Answer::Cancel}};
  for (auto [button, answer] : cases) {
    WhenModalOpens([button](QWidget* box) { ClickMessageButton(box, button); });
    QCOMPARE(ui_.Ask("Do you want to save the current project?", Buttons::YesNoCancel), answer);
  }
  // Escape is the careful answer: nothing is saved and nothing is closed.
  WhenModalOpens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  QCOMPARE(ui_.Ask("Do you want to save the current project?", Buttons::YesNoCancel), Answer::Cancel);
  WhenModalOpens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  QCOMPARE(ui_.Ask("Look for the folder?", Buttons::YesNo), Answer::No);
}

void QtUserInterfaceTest::NotificationShowsMarkupAndKeepsNamesLiteral() {
  QCOMPARE(NotificationMarkupToHtml("Root <b>a<b&c</b>.<br><br>Next\nline"),
           QStringLiteral("Root <b>a&lt;b&amp;c</b>.<br><br>Next<br>line"));

  QString shown;
  WhenModalOpens([&shown](QWidget* dialog) {
    shown = Find<QLabel>(dialog, "message")->text();
    ClickStandardButton(dialog, QDialogButtonBox::Ok);
  });
  ui_.Notify(kNoticeProblem, 6000, "Missing Z-Buffer", "No Z-Buffer named <b>shot</b>.<br><br>Select one.");
  QCOMPARE(shown, QStringLiteral("No Z-Buffer named <b>shot</b>.<br><br>Select one."));
}

void QtUserInterfaceTest::FramePickerStartsWithEveryFrameAndReturnsTheKeptOnes() {
  const std::vector<std::string> listing = {"shot01.tga", "shot02.tga", "shot03.tga", "shot04.tga", "shot05.tga"};
  int preselected = -1;
  WhenModalOpens([&preselected](QWidget* dialog) {
    auto* list = Find<QListWidget>(dialog, "frames");
    preselected = int(list->selectedItems().size());
    // Ctrl+click leaves frames 2 and 4 out.
    for (int row : {1, 3}) {
      QRect item = list->visualItemRect(list->item(row));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, item.center());
    }
    ClickStandardButton(dialog, QDialogButtonBox::Ok);
  });
  const auto kept = ui_.SelectFilesFromList(listing);
  QCOMPARE(preselected, 5);
  QCOMPARE(kept, (std::vector<std::string>{"shot01.tga", "shot03.tga", "shot05.tga"}));

  // With nothing selected the project cannot be made: OK is refused, Cancel gives nothing.
  bool okEnabled = true;
  WhenModalOpens([&okEnabled](QWidget* dialog) {
    QTest::mouseClick(Find<QPushButton>(dialog, "selectNone"), Qt::LeftButton);
    okEnabled = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled();
    ClickStandardButton(dialog, QDialogButtonBox::Cancel);
  });
  QVERIFY(ui_.SelectFilesFromList(listing).empty());
  QVERIFY(!okEnabled);
}

void QtUserInterfaceTest::FilterListShowsTheSelectedFilterAndReturnsIt() {
  QStringList seen;
  bool pictureShown = false;
  WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<FilterListDialog*>(widget);
    seen << dialog->Description()->text() << dialog->Version()->text() << dialog->RequiredLayers()->text();
    dialog->List()->setCurrentRow(1);
    seen << dialog->Description()->text() << dialog->Version()->text() << dialog->RequiredLayers()->text();
    pictureShown = !dialog->Picture()->pixmap().isNull();
    ClickStandardButton(dialog, QDialogButtonBox::Ok);
  });
  QCOMPARE(ui_.ChooseFilter(TwoFilters()), 1);
  QCOMPARE(seen, (QStringList{"Blur by depth.", "1.00", "RGB Color\nZ Buffer", "Hue by depth.", "2.50", "RGB Color"}));
  QVERIFY(pictureShown);

  WhenModalOpens([](QWidget* dialog) { ClickStandardButton(dialog, QDialogButtonBox::Cancel); });
  QCOMPARE(ui_.ChooseFilter(TwoFilters()), -1);

  // A double click chooses at once.
  WhenModalOpens([](QWidget* widget) {
    auto* list = qobject_cast<FilterListDialog*>(widget)->List();
    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
  });
  QCOMPARE(ui_.ChooseFilter(TwoFilters()), 0);
}

void QtUserInterfaceTest::DepthTypeShowsThePictureAndRemembersTheAnswer() {
  auto picture = GreyRamp();
  bool farPreset = false;
  QSize shownSize;
  WhenModalOpens([&](QWidget* dialog) {
    farPreset = Find<QRadioButton>(dialog, "lightFar")->isChecked();
    shownSize = Find<QLabel>(dialog, "picture")->pixmap().deviceIndependentSize().toSize();
    QTest::mouseClick(Find<QRadioButton>(dialog, "lightNear"), Qt::LeftButton);
    ClickStandardButton(dialog, QDialogButtonBox::Ok);
  });
  QCOMPARE(ui_.AskDepthType(*picture), 0);
  QVERIFY(farPreset);
  QCOMPARE(shownSize.width(), 2 * shownSize.height());  // the picture keeps its shape

  bool nearRemembered = false;
  WhenModalOpens([&](QWidget* dialog) {
    nearRemembered = Find<QRadioButton>(dialog, "lightNear")->isChecked();
    ClickStandardButton(dialog, QDialogButtonBox::Ok);
  });
  QCOMPARE(ui_.AskDepthType(*picture), 0);
  QVERIFY(nearRemembered);
}

void QtUserInterfaceTest::ProgressCancelIsSeenByTheNextStep() {
  QVERIFY(!ui_.ProgressStep());  // nothing open

  ui_.BeginProgress("Render filter \"Z Hue\"\n(image 1 / 1)", 1000, 1);
  ProgressDialog* progress = ui_.Progress();
  QVERIFY(progress && progress->isVisible());
  QVERIFY(!ui_.ProgressStep());
  QVERIFY(!ui_.ProgressStep());
  QCOMPARE(progress->Position(), 2);

  // The render keeps the thread busy and only steps: the click must reach the dialog
  // through the steps themselves.
  QTimer::singleShot(50, progress->CancelButton(), [progress] { progress->CancelButton()->click(); });
  bool cancelled = false;
  QElapsedTimer clock;
  clock.start();
  while (!cancelled && clock.elapsed() < 5000) {
    QTest::qSleep(2);
    cancelled = ui_.ProgressStep();
  }
  QVERIFY(cancelled);
  ui_.EndProgress();
  QVERIFY(!ui_.Progress());
  QVERIFY(!ui_.ProgressStep());
}

void QtUserInterfaceTest::InformationBoxOpensClosesAndTimesOut() {
  ui_.ShowInfo("Please wait while updating the view...");
  QVERIFY(ui_.Info() && ui_.Info()->isVisible());
  QCOMPARE(ui_.Info()->Text(), QStringLiteral("Please wait while updating the view..."));
  ui_.CloseInfo();
  QVERIFY(!ui_.Info());

  bool visibleMeanwhile = false;
  QTimer::singleShot(100, [&] { visibleMeanwhile = ui_.Info() && ui_.Info()->isVisible(); });
  ui_.ShowInfoFor("Resulting image(s) won't be saved", 0.4);
  QVERIFY(visibleMeanwhile);
  QVERIFY(!ui_.Info());
}

void QtUserInterfaceTest::ProgressAndInformationGoWithTheMainWindow() {
  auto window = std::make_unique<QWidget>();
  QtUserInterface ui(window.get());
  ui.BeginProgress("Render", 10, 1);
  ui.ShowInfo("Please wait");
  QCOMPARE(ui.Progress()->parentWidget(), window.get());
  window.reset();  // the program closes while a render is shown
  QVERIFY(!ui.Progress());
  QVERIFY(!ui.Info());
  QVERIFY(!ui.ProgressStep());
  ui.EndProgress();
  ui.CloseInfo();
}

void QtUserInterfaceTest::ARenderShowsItsProgressInTheStatusBarToo() {
  QMainWindow window;
  window.statusBar()->showMessage(QStringLiteral("Ready"));
  window.show();
  QtUserInterface ui(&window);
  ui.BeginProgress("Render filter \"Z Hue\"\n(image 2 / 3)", 4, 1);
  ui.ProgressStep();
  ui.ProgressStep();
  QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Render filter \"Z Hue\" (image 2 / 3): 50 %"));
  ui.EndProgress();
  QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Ready"));
}

void QtUserInterfaceTest::AWaitRepaintsAndAfterAMomentOffersCancel() {
  QMainWindow window;
  window.show();
  QtUserInterface ui(&window);
  // A short wait: the event loop turns (a repaint, a timer), no dialog comes up.
  int turns = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&turns] { ++turns; });
  tick.start(5);
  QElapsedTimer clock;
  clock.start();
  bool modalSeen = false;
  QVERIFY(ui.WaitFor("Reading", [&] {
    modalSeen = modalSeen || QApplication::activeModalWidget();
    return clock.elapsed() > 100;
  }));
  QVERIFY(turns > 3);
  QVERIFY(!modalSeen);

  // A long one shows the progress display with the busy cursor; its Cancel gives up the wait.
  bool busy = false;
  WhenModalOpens([&busy](QWidget* dialog) {
    busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
    auto* progress = qobject_cast<ProgressDialog*>(dialog);
    QVERIFY(progress && progress->CancelButton()->isVisible());
    progress->CancelButton()->click();
  });
  clock.restart();
  QVERIFY(!ui.WaitFor("Reading big.png...", [] { return false; }));
  QVERIFY(busy);
  QVERIFY(clock.elapsed() >= QtUserInterface::kQuietWaitMs);
  QVERIFY(!QApplication::overrideCursor());

  // Work that may not be given up offers no Cancel, and ends when it is done.
  bool cancelShown = true;
  WhenModalOpens([&cancelShown](QWidget* dialog) {
    cancelShown = qobject_cast<ProgressDialog*>(dialog)->CancelButton()->isVisible();
  });
  clock.restart();
  QVERIFY(ui.WaitFor("Updating", [&] { return clock.elapsed() > 600; }, false));
  QVERIFY(!cancelShown);
}

void QtUserInterfaceTest::TheFirstDialogOpensInTheWorkingFolderAndAChoiceMovesIt() {
  const QString before = QDir::currentPath();
  QTemporaryDir working;
  QTemporaryDir other;
  QDir::setCurrent(working.path());
  QFile file(other.filePath(QStringLiteral("shot.fvz")));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.close();
  QString opened;
  WhenModalOpens([&opened, &other](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    opened = dialog->directory().absolutePath();
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    edit->setText(other.filePath(QStringLiteral("shot.fvz")));
    QTest::keyClick(edit, Qt::Key_Return);
  });
  const auto chosen = ui_.ChooseFileToOpen({kClassProject, 0, "", ""});
  QCOMPARE(QDir(opened).canonicalPath(), QDir(working.path()).canonicalPath());
  QVERIFY(chosen);
  QCOMPARE(QDir::current().canonicalPath(), QDir(other.path()).canonicalPath());
  QDir::setCurrent(before);
}

void QtUserInterfaceTest::FileTypesListWhatTheImageLibraryReadsAndWrites() {
  const QStringList open = OpenFileFilters(kClassAllFiles);
  for (const char* pattern : {"*.rla", "*.rpf", "*.qel", "*.zpic", "*.exr", "*.tga", "*.png", "*.tif"})
    QVERIFY2(open.first().contains(QLatin1String(pattern)), pattern);
  QVERIFY(open.last().contains(QLatin1String("(*)")));
  QCOMPARE(OpenFileFilters(kClassProject).first(), QStringLiteral("Fovara projects (*.fvz)"));

  const QStringList save = SaveFileFilters(kClassAllFiles);
  QVERIFY(save.contains(QStringLiteral("Targa files (*.tga *.tpic)")));
  QVERIFY(save.contains(QStringLiteral("OpenEXR files (*.exr)")));
  // Neither read-only formats nor raw depth files are offered for saving frames.
  QVERIFY(!save.join(QLatin1Char(' ')).contains(QLatin1String("*.zpic")));
  QVERIFY(!save.join(QLatin1Char(' ')).contains(QLatin1String("*.pfm *.")));
  QCOMPARE(SaveFileFilters(kClassProject), QStringList{QStringLiteral("Fovara projects (*.fvz)")});
}

void QtUserInterfaceTest::SavedNamesCarryTheirExtension() {
  QTemporaryDir folder;
  const std::string base = folder.path().toStdString() + "/";
  const auto typeName = [](const char* name) {
    WhenModalOpens([name](QWidget* dialog) {
      auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      edit->setText(QString::fromLatin1(name));
      QTest::keyClick(edit, Qt::Key_Return);
    });
  };
  typeName("frames");
  QCOMPARE(ui_.ChooseFileToSave({kClassAllFiles, 0, "", base + "Kovrinshot.tga"}), base + "frames.tga");
  typeName("shot.final");  // a dot in the name is not a format
  QCOMPARE(ui_.ChooseFileToSave({kClassAllFiles, 0, "", base + "shot.z.tga"}), base + "shot.final.tga");
  typeName("frames.png");
  QCOMPARE(ui_.ChooseFileToSave({kClassAllFiles, 0, "", base + "Kovrinshot.tga"}), base + "frames.png");
  typeName("scene");
  QCOMPARE(ui_.ChooseFileToSave({kClassProject, 0, "", base + "shot.fvz"}), base + "scene.fvz");
  WhenModalOpens([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
  QVERIFY(!ui_.ChooseFileToSave({kClassProject, 0, "", base}));
}

void QtUserInterfaceTest::ChosenFolderEndsWithASeparator() {
  QTemporaryDir folder;
  QDir(folder.path()).mkdir(QStringLiteral("images"));
  WhenModalOpens([&folder](QWidget* dialog) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    edit->setText(folder.path() + QStringLiteral("/images"));
    QTest::keyClick(edit, Qt::Key_Return);
  });
  QCOMPARE(ui_.ChooseFolder("Select the folder containing the images", folder.path().toStdString()),
           folder.path().toStdString() + "/images/");
}

void QtUserInterfaceTest::ColourTravelsAsBlueGreenRed() {
  QColor offered;
  WhenModalOpens([&offered](QWidget* widget) {
    auto* dialog = qobject_cast<QColorDialog*>(widget);
    offered = dialog->currentColor();
    dialog->setCurrentColor(QColor(255, 128, 0));
    dialog->accept();
  });
  QCOMPARE(ui_.ChooseColour(0x00332211), std::optional<uint32_t>(0x000080FF));
  QCOMPARE(offered, QColor(0x11, 0x22, 0x33));
}

void QtUserInterfaceTest::QtTextsFollowTheFrenchLanguage() {
  QVERIFY(InstallQtTranslations(true));
  QString cancelText;
  WhenModalOpens([&cancelText](QWidget* box) {
    cancelText = qobject_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->text();
    ClickMessageButton(box, QMessageBox::Cancel);
  });
  ui_.Ask("?", Buttons::YesNoCancel);
  QCOMPARE(cancelText, QStringLiteral("Annuler"));

  QVERIFY(InstallQtTranslations(false));
  WhenModalOpens([&cancelText](QWidget* box) {
    cancelText = qobject_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->text();
    ClickMessageButton(box, QMessageBox::Cancel);
  });
  ui_.Ask("?", Buttons::YesNoCancel);
  QCOMPARE(cancelText, QStringLiteral("Cancel"));
}

QTEST_MAIN(QtUserInterfaceTest)
#include "QtUserInterfaceTest.moc"
