#include "filters/DepthFilterCommand.h"

#include "animation/KeyframeTrack.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"
#include "platform/framework/StringTable.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"

namespace {
FilterPanelFactory gPanelFactory;
}

void InstallFilterPanelFactory(FilterPanelFactory factory) { gPanelFactory = std::move(factory); }
const FilterPanelFactory& GetFilterPanelFactory() { return gPanelFactory; }

DepthFilterCommand::DepthFilterCommand(ProjectData& project, const FilterDescription& description)
    : project_(project), description_(description) {
  SetState(kFilterCommandState, true);
}

DepthFilterCommand::~DepthFilterCommand() = default;

std::string DepthFilterCommand::GetName() const { return LoadString(description_.nameStringId); }

CommandIdentity DepthFilterCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeFilter, kClassInteractive, kCategoryFilter, description_.id, 1};
}

std::string DepthFilterCommand::GetHelp(int kind) const {
  if (kind == 2) return LoadString(description_.descriptionStringId);
  return GetCommandHelp(kind, kApplyFilterImagesHelp);
}

int DepthFilterCommand::GetOptions() const { return project_.GetFilter() ? 0 : 4; }

CommandResult DepthFilterCommand::OnOpenCommand(int) {
  if (const auto& factory = GetFilterPanelFactory()) {
    panel_ = factory(*this);
    if (!panel_) return 3;
  }
  return kCommandOk;
}

CommandResult DepthFilterCommand::OnCloseCommand() {
  panel_.reset();
  return kCommandOk;
}

std::unique_ptr<NTBitmap> DepthFilterCommand::GetViewBitmap(uint32_t) { return nullptr; }

KeyframeSettings& DepthFilterCommand::GoToFrame(int frame) {
  KeyframeSettings& settings = GetCurrentSettings();
  project_.GetTrack().GetSettingsAt(settings, frame);
  SyncPanel();
  return settings;
}

void DepthFilterCommand::SyncPanel() {
  if (panel_) panel_->SyncToPanel();
}

void DepthFilterCommand::Serialize(CArchive& archive) {
  CCustomData record;
  if (archive.IsStoring()) {
    StoreOptions(record);
    record.Serialize(archive);
    return;
  }
  record.Serialize(archive);
  LoadOptions(record);
  OnOptionsLoaded();
  SyncPanel();
}

DepthFilterCommand* CurrentFilterCommand(const ProjectData& project) {
  return static_cast<DepthFilterCommand*>(project.GetFilter());
}

std::vector<DepthFilterCommand*> FilterCommands(const ApplicationFrame& frame) {
  std::vector<DepthFilterCommand*> commands;
  for (ProjectFilter* filter : frame.GetFilters()) commands.push_back(static_cast<DepthFilterCommand*>(filter));
  return commands;
}
