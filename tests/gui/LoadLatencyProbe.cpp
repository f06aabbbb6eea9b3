// Measures how the window answers while a project with a big frame opens (an 8000 x 8000
// picture and depth, say): how long a repaint asked of the image view waits, the longest time
// between two turns of the event loop, when the progress display comes up, and how long a
// blur amount edit then takes. A picture instead of a project starts a new depth-of-field
// project from it (the filter list is answered at once). Not a test (timings vary with the
// machine); run it by hand:
//   fovara_load_probe PROJECT.fvz | IMAGE

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/CustomVReBar.h"
#include "app/FovaraApp.h"
#include "app/FovaraView.h"
#include "app/ui/ProgressDialog.h"
#include "app/ui/QtUserInterface.h"
#include "controls/CCustomScrollbar.h"
#include "filters/dof/panel/DepthOfFieldPanel.h"
#include "project/ApplicationFrame.h"

namespace {

// Notes when each paint of a widget arrives.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(std::function<void()> painted) : painted_(std::move(painted)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> painted_;
};

long long Ms(qint64 value) { return static_cast<long long>(value); }

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: fovara_load_probe PROJECT.fvz\n");
    return 2;
  }
  const QString project = QString::fromLocal8Bit(argv[1]);
  QtUserInterface dialogs;
  int code = 0;
  {
    CFovaraApp fovara(dialogs);
    fovara.InitInstance({QStringLiteral("fovara"), QStringLiteral("-us")},
                        [&dialogs](QWidget* window) { dialogs.SetMainWindow(window); });
    MainWindow* window = fovara.GetMainWindow();
    QWidget* surface = window->GetView()->viewport();

    QElapsedTimer clock;
    clock.start();
    bool opening = false;
    qint64 askedAt = -1, longestRepaint = 0, repaints = 0, lastTurn = 0, longestGap = 0, progressAt = -1;
    PaintWatch watch([&] {
      if (!opening || askedAt < 0) return;
      longestRepaint = std::max(longestRepaint, clock.elapsed() - askedAt);
      ++repaints;
      askedAt = -1;
    });
    surface->installEventFilter(&watch);
    // A repaint is asked for every 20 ms, as an animation or a moving window would.
    QTimer ask;
    ask.setInterval(20);
    QObject::connect(&ask, &QTimer::timeout, [&] {
      if (!opening || askedAt >= 0) return;
      askedAt = clock.elapsed();
      surface->update();
    });
    QTimer turns;
    turns.setInterval(1);
    QObject::connect(&turns, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      if (opening) longestGap = std::max(longestGap, now - lastTurn);
      if (opening && std::getenv("FOVARA_PROBE_GAPS") && now - lastTurn > 60) {
        std::printf("gap of %lld ms ending at %lld ms\n", Ms(now - lastTurn), Ms(now));
      }
      if (opening && progressAt < 0 && application.activeModalWidget()) progressAt = now;
      lastTurn = now;
    });
    ask.start();
    turns.start();

    QTimer::singleShot(200, [&] {
      const qint64 start = clock.elapsed();
      lastTurn = start;
      opening = true;
      const bool isProject = project.endsWith(QStringLiteral(".fvz"), Qt::CaseInsensitive);
      // A new project asks for its filter: the first one, depth of field, is taken.
      QTimer answer;
      answer.setInterval(20);
      QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
          if (QString::fromLatin1(dialog->metaObject()->className()) == QStringLiteral("FilterListDialog")) dialog->accept();
        }
      });
      answer.start();
      const bool opened = isProject ? window->OpenProject(project.toStdString())
                                    : window->NewProjectFromImage(project.toStdString());
      answer.stop();
      opening = false;
      const qint64 took = clock.elapsed() - start;
      // What the opening did after the last turn of the loop, and a repaint still waiting.
      longestGap = std::max(longestGap, clock.elapsed() - lastTurn);
      if (askedAt >= 0) longestRepaint = std::max(longestRepaint, clock.elapsed() - askedAt);
      std::printf("project %s in %lld ms\n", opened ? "opened" : "NOT opened", Ms(took));
      std::printf("longest wait for a repaint of the view: %lld ms (%lld repaints)\n", Ms(longestRepaint),
                  Ms(repaints));
      std::printf("longest time between event-loop turns: %lld ms\n", Ms(longestGap));
      std::printf("progress display up after %lld ms\n", Ms(progressAt < 0 ? -1 : progressAt - start));
      const qint64 paintStart = clock.elapsed();
      surface->repaint();
      std::printf("a repaint of the whole view (zoom %.0f %%) took %lld ms\n", window->GetView()->GetZoom() * 100,
                  Ms(clock.elapsed() - paintStart));
      if (auto* panel = dynamic_cast<DepthOfFieldPanel*>(window->GetLeftPane()->GetBar(0))) {
        CCustomScrollbar* bar = panel->FrontBar();
        const qint64 before = clock.elapsed();
        const int value = bar->GetValue() == 30 ? 31 : 30;
        bar->SetRange(bar->GetMinimum(), bar->GetMaximum(), value);
        Q_EMIT bar->ValueReleased(bar, value);
        std::printf("a blur amount edit took %lld ms\n", Ms(clock.elapsed() - before));
      }
      code = opened ? 0 : 1;
      window->Frame().SetModifiedFlag(false);
      application.quit();
    });
    QApplication::exec();
    fovara.ExitInstance();
  }
  return code;
}
