#include "platform/framework/UserInterface.h"

#include <chrono>
#include <thread>

bool UserInterface::WaitFor(const std::string&, const std::function<bool()>& done, bool) {
  while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void UserInterface::ShowInfoText(int stringId, double seconds) {
  if (seconds != 0.0) {
    // The interface waits (or not, when nobody is watching) and closes the box itself.
    ShowInfoFor(Text(stringId), seconds);
    return;
  }
  CloseInfoText();
  ShowInfo(Text(stringId));
  infoOpen_ = true;
}

void UserInterface::CloseInfoText() {
  if (!infoOpen_) return;
  CloseInfo();
  infoOpen_ = false;
}

Answer SilentUserInterface::Ask(const std::string&, Buttons buttons) {
  return buttons == Buttons::Ok ? Answer::Ok : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
}
