#include "platform/framework/NavigationCommands.h"

#include "platform/framework/StringTable.h"

NavigationCommand::NavigationCommand(uint32_t id, uint32_t commandClass, int nameId, int helpId)
    : id_(id), commandClass_(commandClass), nameId_(nameId), helpId_(helpId) {}

std::string NavigationCommand::GetName(Language language) const { return LoadString(language, nameId_); }
std::string NavigationCommand::GetHelp(Language language, int kind) const { return GetCommandHelp(language, kind, helpId_); }

CommandResult NavigationCommand::OnApplyCommand() {
  if (apply_) apply_(id_);
  return kCommandOk;
}
