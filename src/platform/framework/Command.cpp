#include "platform/framework/Command.h"

#include "platform/framework/CommandFrame.h"
#include "platform/framework/StringTable.h"

void CQelCommand::UserValidateCommand(int reason) {
  if (frame_) frame_->ValidateCommand(this, reason);
}

std::string GetCommandHelp(Language language, int kind, int stringId) {
  // The help string holds the status text, then after a line break the tooltip.
  std::string text = LoadString(language, stringId);
  auto cut = text.find('\n');
  if (cut == std::string::npos) return text;
  return kind == kHelpTooltip ? text.substr(cut + 1) : text.substr(0, cut);
}
