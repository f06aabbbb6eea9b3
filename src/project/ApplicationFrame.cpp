#include "project/ApplicationFrame.h"

#include "project/ProjectFilter.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/NavigationCommands.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/FovaraDoc.h"

namespace {

bool IsMouseTool(uint32_t id) { return id == kAreaPreviewToolId || id == kMoveToolId || id == kZoomToolId; }
}  // namespace

ApplicationFrame::ApplicationFrame(CFovaraDoc& document, ProgramCommandMaker makeCommands)
    : document_(document), lastMouseTool_(kZoomToolId) {
  AddCommands(makeCommands);
}

ApplicationFrame::~ApplicationFrame() { CloseCommands(); }

void ApplicationFrame::AddCommands(ProgramCommandMaker makeCommands) {
  commands_ = makeCommands(document_.GetProject());
  // The framework's own navigation commands come after the program's; the simple ones act
  // on whatever view is set when they run.
  for (const NavigationEntry& entry : kNavigationCommands) {
    auto command = std::make_unique<NavigationCommand>(entry.id, entry.commandClass, entry.nameId, entry.helpId);
    command->SetApply([this](uint32_t id) { GetViewport().ApplyZoom(id); });
    commands_.push_back(std::move(command));
  }
  for (auto& command : commands_) AddCommand(command.get());
}

std::vector<ProjectFilter*> ApplicationFrame::GetFilters() const {
  std::vector<ProjectFilter*> filters;
  for (const auto& command : commands_) {
    if (command->GetType() == kTypeFilter) filters.push_back(static_cast<ProjectFilter*>(command.get()));
  }
  return filters;
}

bool ApplicationFrame::RunCommand(uint32_t id, int flags, int parameter) {
  CQelCommand* command = GetCommandManager().GetCommandById(id);
  if (!command) return false;
  if (!GetCommandManager().GetCurrentCommand() && command->GetCategory() != kCategoryFilter) return false;
  return CommandFrame::RunCommand(id, flags, parameter);
}

void ApplicationFrame::OnFirstCommandNotice(CQelCommand* command) {
  if (command->GetClass() == kClassInteractive) GetViewport().ClearOverlay();
}

void ApplicationFrame::OnSecondCommandNotice(CQelCommand* command) {
  CQelCommand* current = GetCommandManager().GetCurrentCommand();
  if (current && current->GetCategory() == kCategoryFilter) {
    RunCommand(lastMouseTool_, 0, 0);
  } else if (IsMouseTool(command->GetID())) {
    lastMouseTool_ = command->GetID();
  }
}

CommandResult ApplicationFrame::SavePrompt() {
  if (!GetModifiedFlag()) return kCommandOk;
  UserInterface& ui = document_.GetProject().UI();
  switch (ui.Ask(ui.Text(kSaveCurrentProject), Buttons::YesNoCancel)) {
    case Answer::Yes:
      if (!document_.DoFileSave()) return kCommandCancel;  // a failed save keeps the project
      SetModifiedFlag(false);
      return kCommandOk;
    case Answer::No:
      SetModifiedFlag(false);
      return kCommandOk;
    default:
      return kCommandCancel;
  }
}
