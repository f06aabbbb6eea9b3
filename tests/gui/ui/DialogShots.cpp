// Pictures of every dialog of the Qt user interface, for looking at them as a user would:
//   gui_ui_shots OUTPUT_FOLDER [-fr]
// Run it offscreen, with QT_SCALE_FACTOR=2 for the high-density look.

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "DialogDriver.h"
#include "app/ui/InfoBox.h"
#include "app/ui/ProgressDialog.h"
#include "app/ui/QtTranslations.h"
#include "app/ui/QtUserInterface.h"
#include "controls/CCustomScrollbar.h"
#include "controls/ToolBitmapButton.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FourCC.h"
#include "platform/framework/StringTable.h"
#include "platform/image/Bitmap.h"
#include "controls/UiText.h"

namespace {

QString gFolder;

void Save(QWidget* widget, const char* name) {
  const QString path = gFolder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
  widget->grab().save(path);
  std::printf("%s\n", qPrintable(path));
}

// Grabs the next modal dialog, then closes it.
void ShootModal(const char* name) {
  WhenModalOpens([name](QWidget* dialog) {
    QTimer::singleShot(150, dialog, [dialog, name] {
      Save(dialog, name);
      dialog->close();
    });
  });
}

std::unique_ptr<depthBitmap> DepthScene() {
  auto depth = std::make_unique<depthBitmap>(160, 120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      const bool ball = (x - 50) * (x - 50) + (y - 70) * (y - 70) < 900;
      depth->GetLine(y)[x] = ball ? 3.0f : 10.0f + float(y) * 0.2f + (y < 40 ? 1e11f : 0.0f);
    }
  return depth;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  gFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(gFolder);
  const bool french = argc > 2 && QLatin1String(argv[2]) == QLatin1String("-fr");
  SetInterfaceLanguage(french ? Language::French : Language::English);
  InstallQtTranslations(french);

  QtUserInterface ui;
  ShootModal("ask");
  ui.Ask(LoadString(InterfaceLanguage(), 2157), Buttons::YesNoCancel);
  ShootModal("warning");
  ui.Warning(LoadString(InterfaceLanguage(), 2190), FormatString(InterfaceLanguage(), 2193, "shot0001.tga"));
  ShootModal("notification");
  ui.Notify(kNoticeProblem, 6000, LoadString(InterfaceLanguage(), 2144),
            FormatString(InterfaceLanguage(), 2143, "shot0001") + "<br><br>" + LoadString(InterfaceLanguage(), 2209));

  std::vector<std::string> frames;
  for (int i = 1; i <= 24; ++i) frames.push_back(fmt::sprintf("shot%04d.tga", i));
  ShootModal("frame-picker");
  ui.SelectFilesFromList(frames);

  std::vector<FilterChoiceItem> filters;
  const std::pair<int, int> texts[] = {{2155, 2154}, {2168, 2167}, {2165, 2164}, {2163, 2162}, {2161, 2160}};
  const uint32_t ids[] = {FourCC("FXDE"), FourCC("FXDS"), FourCC("FXDL"), FourCC("FXDH"), FourCC("FXDF")};
  for (int i = 0; i < 5; ++i)
    filters.push_back({LoadString(InterfaceLanguage(), texts[i].first), LoadString(InterfaceLanguage(), texts[i].second), LoadString(InterfaceLanguage(), 2195) + LoadString(InterfaceLanguage(), 2196),
                       1.0f, ids[i]});
  for (int i = 0; i < 5; ++i) {
    const std::string name = "filter-list-" + std::to_string(i);
    WhenModalOpens([i, name](QWidget* dialog) {
      dialog->findChild<QListWidget*>()->setCurrentRow(i);
      QTimer::singleShot(150, dialog, [dialog, name] {
        Save(dialog, name.c_str());
        dialog->close();
      });
    });
    ui.ChooseFilter(filters);
  }

  auto depth = DepthScene();
  auto picture = depth->GetDepthPicture(kGreyBitmap, 0, 0.2f);
  ShootModal("depth-type");
  ui.AskDepthType(*picture);
  ShootModal("render-range");
  ui.AskRenderRange(24);
  ShootModal("depth-mode");
  ui.AskDepthMode(*depth);
  ShootModal("open-file");
  ui.ChooseFileToOpen({kClassAllFiles, 0, "", QDir::homePath().toStdString() + "/"});
  ShootModal("save-file");
  ui.ChooseFileToSave({kClassAllFiles, 0, "", QDir::homePath().toStdString() + "/Kovrinshot.tga"});

  ui.BeginProgress(FormatString(InterfaceLanguage(), 2171, LoadString(InterfaceLanguage(), 2155), 3, 24), 100, 1);
  for (int i = 0; i < 40; ++i) ui.ProgressStep();
  Save(ui.Progress(), "progress");
  ui.EndProgress();
  ui.ShowInfo(LoadString(InterfaceLanguage(), 2185));
  Save(ui.Info(), "info");
  ui.CloseInfo();

  QWidget panel;
  panel.setObjectName(QStringLiteral("panel"));
  auto* bar = new CCustomScrollbar(&panel);
  bar->SetRange(0, 100, 35);
  bar->move(10, 10);
  auto* pressed = new CCustomScrollbar(&panel);
  pressed->SetRange(0, 100, 80);
  pressed->move(10, 40);
  panel.resize(bar->width() + 20, 70);
  panel.show();
  app.processEvents();
  Save(&panel, "value-bars");
  return 0;
}
