#include "platform/framework/Progress.h"

#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"

namespace {
bool gProgressOpen = false;
bool gInfoOpen = false;
std::string gFilterName;
}  // namespace

void SetProgressFilterName(const std::string& name) { gFilterName = name; }
bool IsProgressOpen() { return gProgressOpen; }

void BeginProgress(int total, int step, int imageIndex, int imageCount) {
  if (total == 0) return;
  if (gProgressOpen) UI().EndProgress();
  UI().BeginProgress(FormatString(kRenderProgressText, gFilterName, imageIndex, imageCount), total, step);
  gProgressOpen = true;
}

bool ProgressStep() { return gProgressOpen && UI().ProgressStep(); }

void EndProgress(int close) {
  if (!close || !gProgressOpen) return;
  UI().EndProgress();
  gProgressOpen = false;
}

void ShowInfo(int stringId, float seconds) {
  if (seconds != 0.0f) {
    // The seam waits (or not, when nobody is watching) and closes the box itself.
    UI().ShowInfoFor(LoadString(stringId), seconds);
    return;
  }
  CloseInfo();
  UI().ShowInfo(LoadString(stringId));
  gInfoOpen = true;
}

void CloseInfo() {
  if (!gInfoOpen) return;
  UI().CloseInfo();
  gInfoOpen = false;
}
