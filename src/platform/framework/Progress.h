#pragma once
// A render's progress shown in a user interface's progress display, with its Cancel; its
// messages shown as the user interface's warnings.

#include <string>

#include "platform/framework/RenderContext.h"
#include "platform/framework/RenderProgress.h"

class UserInterface;

class UserInterfaceProgress final : public RenderProgress {
 public:
  // The display's text names the filter and the image ("image 2 / 8").
  UserInterfaceProgress(UserInterface& ui, std::string filterName) : ui_(ui), filterName_(std::move(filterName)) {}
  ~UserInterfaceProgress() override { End(); }
  UserInterfaceProgress(const UserInterfaceProgress&) = delete;
  UserInterfaceProgress& operator=(const UserInterfaceProgress&) = delete;

  // A total of 0 opens nothing; a display still open is closed first.
  void Begin(int total, int stepSize, int imageIndex, int imageCount) override;
  // True when the user pressed Cancel; false when no display is open.
  bool Step() override;
  void End() override;
  bool IsOpen() const { return open_; }

 private:
  UserInterface& ui_;
  std::string filterName_;
  bool open_ = false;
};

class UserInterfaceMessages final : public MessageSink {
 public:
  explicit UserInterfaceMessages(UserInterface& ui) : ui_(ui) {}
  void Tell(const std::string& text) override;

 private:
  UserInterface& ui_;
};
