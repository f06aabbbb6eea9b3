#include "platform/framework/Progress.h"

#include "platform/framework/UserInterface.h"

void UserInterfaceProgress::Begin(int total, int stepSize, int imageIndex, int imageCount) {
  if (total == 0) return;
  End();
  ui_.BeginProgress(ui_.Format(kRenderProgressText, filterName_, imageIndex, imageCount), total, stepSize);
  open_ = true;
}

bool UserInterfaceProgress::Step() { return open_ && ui_.ProgressStep(); }

void UserInterfaceProgress::End() {
  if (!open_) return;
  ui_.EndProgress();
  open_ = false;
}

void UserInterfaceMessages::Tell(const std::string& text) { ui_.Warning(ui_.Text(kWarningTitle), text); }
