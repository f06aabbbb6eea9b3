#include "filters/DepthFilterCommand.h"

#include "filters/FilterOperation.h"
#include "filters/FilterRegistry.h"
#include "platform/framework/StringTable.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"

namespace {
// A filter command that cannot run before a project has a filter.
constexpr int kRefusedWithoutFilter = 4;
// The panel could not be made: the command does not open.
constexpr CommandResult kPanelRefused = 3;
}  // namespace

DepthFilterCommand::DepthFilterCommand(ProjectData& project, const FilterDescription& description)
    : project_(project), description_(description) {
  SetState(kFilterCommandState, true);
}

DepthFilterCommand::~DepthFilterCommand() = default;

std::string DepthFilterCommand::GetName(Language language) const {
  return LoadString(language, description_.nameStringId);
}

CommandIdentity DepthFilterCommand::GetIdentity() const {
  return {kDataKindBitmap, kTypeFilter, kClassInteractive, kCategoryFilter, description_.id, 1};
}

std::string DepthFilterCommand::GetHelp(Language language, int kind) const {
  if (kind == kHelpDescription) return LoadString(language, description_.descriptionStringId);
  return GetCommandHelp(language, kind, kApplyFilterImagesHelp);
}

int DepthFilterCommand::GetOptions() const { return project_.GetFilter() ? 0 : kRefusedWithoutFilter; }

CommandResult DepthFilterCommand::OnOpenCommand(int) {
  if (panelFactory_) {
    panel_ = panelFactory_(*this);
    if (!panel_) return kPanelRefused;
  }
  return kCommandOk;
}

CommandResult DepthFilterCommand::OnCloseCommand() {
  panel_.reset();
  return kCommandOk;
}

FilterOptions& DepthFilterCommand::GetFilterOptions() {
  ProjectModel& model = project_.Model();
  if (model.GetFilterId() == GetID() && model.Options()) return *model.Options();
  if (!ownOptions_) ownOptions_ = FindFilter(GetID())->createOptions();
  return *ownOptions_;
}

std::unique_ptr<CLayerBitmap> DepthFilterCommand::Render(const KeyframeSettings& settings,
                                                         std::optional<ImageRect> area, RenderProgress& progress) {
  const CLayerBitmap* image = project_.GetCurrentImage();
  const FilterEntry* entry = FindFilter(GetID());
  if (!image || !entry) return nullptr;
  RenderContext context{progress};
  return RunFilter(entry->render, {*image, settings, GetFilterOptions(), area}, context);
}

std::unique_ptr<CLayerBitmap> DepthFilterCommand::RenderPreview(const KeyframeSettings& settings,
                                                                const ImageRect& area, RenderProgress& progress) {
  return Render(settings, area, progress);
}

std::unique_ptr<CLayerBitmap> DepthFilterCommand::RenderFrame(const KeyframeSettings& settings,
                                                              RenderProgress& progress) {
  return Render(settings, std::nullopt, progress);
}

std::unique_ptr<NTBitmap> DepthFilterCommand::GetViewBitmap(uint32_t) { return nullptr; }

void DepthFilterCommand::ReadSettingsOfFrame(KeyframeSettings& settings, int frame) const {
  const CLayerBitmap* image = project_.GetCurrentImage();
  project_.Model().Track().GetSettingsAt(settings, frame, image, image ? &project_.GetCurrentDepthRange() : nullptr);
}

KeyframeSettings& DepthFilterCommand::GoToFrame(int frame) {
  KeyframeSettings& settings = GetCurrentSettings();
  ReadSettingsOfFrame(settings, frame);
  SyncPanel();
  return settings;
}

void DepthFilterCommand::SyncPanel() {
  if (panel_) panel_->SyncToPanel();
}

DepthFilterCommand* CurrentFilterCommand(const ProjectData& project) {
  return static_cast<DepthFilterCommand*>(project.GetFilter());
}

std::vector<DepthFilterCommand*> FilterCommands(const ApplicationFrame& frame) {
  std::vector<DepthFilterCommand*> commands;
  for (ProjectFilter* filter : frame.GetFilters()) commands.push_back(static_cast<DepthFilterCommand*>(filter));
  return commands;
}
