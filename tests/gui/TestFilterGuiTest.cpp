// A filter registered from the tests, in a desktop program built with it: the filter list
// offers it with its picture, and choosing it docks its panel.

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiFixture.h"
#include "app/CustomVReBar.h"
#include "app/ui/FilterListDialog.h"
#include "app/ui/FilterPictures.h"
#include "app/ui/QtUserInterface.h"
#include "controls/CCustomScrollbar.h"
#include "support/TestOnlyFilter.h"
#include "support/TestOnlyFilterPanel.h"
#include "ui/DialogDriver.h"

class TestFilterGuiTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void theFilterListOffersTheTestFilterWithItsPicture() {
    GuiFixture gui;
    QtUserInterface dialogs(&gui.Window());
    gui.ui.chooseFilter = [&dialogs](const std::vector<FilterChoiceItem>& items) { return dialogs.ChooseFilter(items); };
    QStringList names;
    QString description;
    WhenModalOpens([&](QWidget* widget) {
      auto* dialog = qobject_cast<FilterListDialog*>(widget);
      if (!dialog) return;
      for (int i = 0; i < dialog->List()->count(); ++i) names << dialog->List()->item(i)->text();
      dialog->List()->setCurrentRow(dialog->List()->count() - 1);
      description = dialog->Description()->text();
      dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    const bool chosen = gui.Project().ChooseFilter();
    gui.ui.chooseFilter = nullptr;
    QVERIFY(!chosen);
    QCOMPARE(names.size(), 6);
    QCOMPARE(names.last(), QString::fromLatin1(TestOnlyFilter::kName));
    QCOMPARE(description, QStringLiteral("Inverts the colours (a filter of the tests)."));
    // Its panel file gave it a picture of its own: not the landscape an unknown filter gets.
    const QImage own = FilterPicture(TestOnlyFilter::kDescription.id, QSize(40, 30), 1).toImage();
    const QImage plain = FilterPicture(0, QSize(40, 30), 1).toImage();
    QVERIFY(own != plain);
  }

  void choosingTheTestFilterDocksItsPanel() {
    GuiFixture gui;
    QVERIFY(gui.NewProject(TestOnlyFilter::kDescription.id));
    QCOMPARE(gui.Project().GetFilter()->GetID(), TestOnlyFilter::kDescription.id);
    CCustomVReBar* dock = gui.Window().GetLeftPane();
    TestOnlyFilterPanel* panel = nullptr;
    for (int i = 0; i < dock->GetBarCount(); ++i) {
      if (auto* found = dynamic_cast<TestOnlyFilterPanel*>(dock->GetBar(i))) panel = found;
    }
    QVERIFY(panel);
    QCOMPARE(panel->AmountBar()->GetValue(), 100);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  TestFilterGuiTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "TestFilterGuiTest.moc"
