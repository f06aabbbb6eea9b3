#include "project/ProgramDialogs.h"

#include "platform/framework/UserInterface.h"

namespace {

class SilentDialogs final : public ProgramDialogs {
 public:
  int AskDepthType(const Bitmap&) override { return 1; }
  int ChooseFilter(const std::vector<FilterChoiceItem>&) override { return -1; }
  RenderRangeChoice AskRenderRange(int) override { return {}; }
  DepthModeChoice AskDepthMode(const depthBitmap&) override { return {}; }
  std::optional<uint32_t> ChooseColour(uint32_t) override { return std::nullopt; }
};

}  // namespace

ProgramDialogs& Dialogs(UserInterface& ui) {
  static SilentDialogs silent;
  auto* dialogs = dynamic_cast<ProgramDialogs*>(&ui);
  return dialogs ? *dialogs : silent;
}
