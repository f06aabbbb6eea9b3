#include "platform/framework/UserInterface.h"

#include <chrono>
#include <thread>

namespace {

// Used while nothing is installed: it never blocks and refuses every question.
class NullUserInterface final : public UserInterface {
 public:
  Answer Ask(const std::string&, Buttons buttons) override {
    return buttons == Buttons::Ok ? Answer::Ok : (buttons == Buttons::YesNo ? Answer::No : Answer::Cancel);
  }
  void Warning(const std::string&, const std::string&) override {}
  void Notify(int, int, const std::string&, const std::string&) override {}
  std::optional<std::string> ChooseFileToOpen(const FileRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseFileToSave(const FileRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return std::nullopt; }
  std::vector<std::string> SelectFilesFromList(const std::vector<std::string>&) override { return {}; }
  void BeginProgress(const std::string&, int, int) override {}
  bool ProgressStep() override { return false; }
  void EndProgress() override {}
  void ShowInfo(const std::string&) override {}
  void ShowInfoFor(const std::string&, double) override {}
  void CloseInfo() override {}
};

NullUserInterface gNullInterface;
UserInterface* gInstalled = nullptr;

}  // namespace

bool UserInterface::WaitFor(const std::string&, const std::function<bool()>& done, bool) {
  while (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void InstallUserInterface(UserInterface* ui) { gInstalled = ui; }

UserInterface& UI() { return gInstalled ? *gInstalled : gNullInterface; }
