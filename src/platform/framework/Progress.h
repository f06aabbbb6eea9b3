#pragma once
// Progress display and information box for long work, over the user-interface seam.
// At most one progress display and one information box are open at a time.

#include <string>

#include "platform/framework/RenderProgress.h"
#include "strings/StringIds.h"

// Opens the progress display with string kRenderProgressText naming the current filter and "image i / n".
// A total of 0 opens nothing.
void BeginProgress(int total, int step, int imageIndex, int imageCount);
// Advances the open display by one; true when the user pressed Cancel. False when none is open.
bool ProgressStep();
// Closes the display when close is non-zero.
void EndProgress(int close);
// Information box with a string-table text; a non-zero time closes it after that many seconds.
void ShowInfo(int stringId, float seconds);
void CloseInfo();

// The filter name that progress texts show; set when a filter becomes the project's filter.
void SetProgressFilterName(const std::string& name);
bool IsProgressOpen();

// A render's progress shown in the installed user interface's display, with its Cancel:
// the functions above, for a renderer that is handed its progress.
class UserInterfaceProgress final : public RenderProgress {
 public:
  void Begin(int total, int stepSize, int imageIndex, int imageCount) override {
    BeginProgress(total, stepSize, imageIndex, imageCount);
  }
  bool Step() override { return ProgressStep(); }
  void End() override { EndProgress(1); }
};
