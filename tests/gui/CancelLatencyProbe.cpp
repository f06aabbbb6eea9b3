// Measures how the window keeps answering while a 3840 x 2160 depth-of-field frame renders
// with the real progress dialog: the longest time between two turns of the event loop, and
// the time from a click on Cancel to the end of the render. Not a test (timings vary with the
// machine); run it by hand:  fovara_cancel_probe [milliseconds before Cancel]

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include "app/ui/ProgressDialog.h"
#include "app/ui/QtUserInterface.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "project/ApplicationFrame.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"
#include "platform/framework/Progress.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const int cancelAfterMs = argc > 1 ? std::atoi(argv[1]) : 3000;
  QtUserInterface dialogs;
  int code = 0;
  {
    ProjectSession session(dialogs);
    // The render shows in the user interface's progress, as the program's do.
    UserInterfaceProgress uiProgress(dialogs, "Depth of field");
    ProjectData& project = session.Project();
    project.SetCurrentImage(MakePlanesScene(3840, 2160));
    DepthOfFieldFilter* filter = nullptr;
    for (DepthFilterCommand* candidate : FilterCommands(session.Frame())) {
      if (!filter) filter = dynamic_cast<DepthOfFieldFilter*>(candidate);
    }
    auto& settings = static_cast<DepthOfFieldSettings&>(filter->GetCurrentSettings());
    settings.Reset(*project.GetCurrentImage());
    settings.SetAmounts(50, 50);

    QElapsedTimer clock;
    qint64 lastTurn = 0, longestGap = 0, longestOpenGap = 0, clickedAt = -1, openedAt = -1;
    QTimer turns;
    turns.setInterval(1);
    QObject::connect(&turns, &QTimer::timeout, [&] {
      const qint64 now = clock.elapsed();
      longestGap = std::max(longestGap, now - lastTurn);
      // Once the progress display is up, Cancel can be pressed: these gaps are the ones a
      // user waits through.
      if (openedAt >= 0) longestOpenGap = std::max(longestOpenGap, now - lastTurn);
      if (openedAt < 0 && dialogs.Progress()) openedAt = now;
      if (std::getenv("FOVARA_PROBE_GAPS") && now - lastTurn > 100) {
        std::printf("gap of %lld ms ending at %lld ms\n", static_cast<long long>(now - lastTurn),
                    static_cast<long long>(now));
      }
      lastTurn = now;
    });
    QTimer::singleShot(cancelAfterMs, [&] {
      if (ProgressDialog* progress = dialogs.Progress()) {
        clickedAt = clock.elapsed();
        progress->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
      }
    });
    clock.start();
    turns.start();
    auto result = filter->RenderFrame(settings, uiProgress);
    const qint64 done = clock.elapsed();
    turns.stop();
    std::printf("render %s after %lld ms\n", result ? "finished" : "cancelled", static_cast<long long>(done));
    std::printf("progress display up at %lld ms\n", static_cast<long long>(openedAt));
    std::printf("longest time between event-loop turns: %lld ms, %lld ms once the progress display is up\n",
                static_cast<long long>(longestGap), static_cast<long long>(longestOpenGap));
    if (clickedAt >= 0) {
      std::printf("Cancel clicked at %lld ms, render returned %lld ms later\n", static_cast<long long>(clickedAt),
                  static_cast<long long>(done - clickedAt));
    }
    code = result ? 1 : 0;
  }
  return code;
}
