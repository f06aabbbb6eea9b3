#include "platform/framework/CommandFrame.h"

#include <stdexcept>
#include <utility>

#include "platform/framework/FourCC.h"


void CCommandMgr::AddCommand(CQelCommand* command) {
  // A second command of an id would never run: the first one answers to it.
  if (GetCommandById(command->GetID())) {
    throw std::logic_error("a second command registered with the id " + FourCCToString(command->GetID()));
  }
  commands_.push_back(command);
}

CQelCommand* CCommandMgr::GetCommandById(uint32_t id) const {
  for (CQelCommand* c : commands_) {
    if (c->GetID() == id) return c;
  }
  return nullptr;
}

void CommandFrame::AddCommand(CQelCommand* command) {
  command->AttachFrame(this);
  manager_.AddCommand(command);
}

bool CommandFrame::RunCommand(uint32_t id, int flags, int parameter) {
  CQelCommand* command = manager_.GetCommandById(id);
  if (!command) return false;
  if (command->GetClass() != kClassInteractive) return RunSimple(command, parameter);
  bool asBase = !manager_.base_ || command->GetCategory() == kCategoryFilter ||
                (command == manager_.base_ && !(flags & kRunAsTool));
  return asBase ? RunAsBase(command, parameter) : RunOnTop(command, parameter);
}

bool CommandFrame::RunSimple(CQelCommand* command, int parameter) {
  if (command->OnOpenCommand(parameter) != kCommandOk) return false;
  command->OnApplyCommand();
  command->OnCloseCommand();
  return true;
}

bool CommandFrame::RunAsBase(CQelCommand* command, int parameter) {
  CloseCommands();
  if (command->OnOpenCommand(parameter) != kCommandOk) return false;
  manager_.base_ = command;
  OnFirstCommandNotice(command);
  OnSecondCommandNotice(command);
  return true;
}

bool CommandFrame::RunOnTop(CQelCommand* command, int parameter) {
  CancelTool();
  CQelCommand* base = manager_.base_;
  // The tool opens first, so that the base command sees its parameter (a mode, say) when it
  // hands its values over; then the tool gets the focus.
  if (command->OnOpenCommand(parameter) != kCommandOk) return false;
  base->OnLooseFocus(0, command);
  manager_.tool_ = command;
  command->OnGetFocus(0, base, kCommandOk);
  OnFirstCommandNotice(command);
  OnSecondCommandNotice(command);
  // A window follows: a running tool can be ended with Escape.
  OnStateChanged();
  return true;
}

// The tool on top leaves: it loses the focus, closes, and the base command gets the focus
// back with the result.
void CommandFrame::FinishTool(CommandResult result) {
  CQelCommand* tool = manager_.tool_;
  manager_.tool_ = nullptr;
  tool->OnLooseFocus(0, manager_.base_);
  tool->OnCloseCommand();
  if (manager_.base_) manager_.base_->OnGetFocus(0, tool, result);
}

void CommandFrame::ValidateCommand(CQelCommand* command, int) {
  if (command && command == manager_.tool_) {
    FinishTool(command->OnApplyCommand());
    OnSecondCommandNotice(command);
  } else if (command && command == manager_.base_) {
    command->OnApplyCommand();
    CloseCommands();
  }
}

void CommandFrame::CancelTool() {
  if (!manager_.tool_) return;
  manager_.tool_->OnCancelCommand();
  FinishTool(kCommandCancel);
}

bool CommandFrame::EndTool() {
  if (!manager_.tool_) return false;
  CancelTool();
  OnStateChanged();
  return true;
}

void CCommandMgr::CloseCommands() {
  if (tool_) {
    tool_->OnCancelCommand();
    CQelCommand* tool = std::exchange(tool_, nullptr);
    tool->OnLooseFocus(0, nullptr);
    tool->OnCloseCommand();
  }
  if (base_) std::exchange(base_, nullptr)->OnCloseCommand();
}
