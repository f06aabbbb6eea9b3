#include "tools/CommandTable.h"

#include "filters/atmosphere/AtmosphericPerspectiveCommand.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/zone/ZoneFilterCommands.h"
#include "tools/DepthTools.h"
#include "tools/RenderCommand.h"
#include "tools/ViewCommands.h"

std::vector<std::unique_ptr<CQelCommand>> CreateProgramCommands(ProjectData& project) {
  std::vector<std::unique_ptr<CQelCommand>> commands;
  commands.push_back(std::make_unique<DepthOfFieldFilter>(project));
  commands.push_back(std::make_unique<ZHueFilter>(project));
  commands.push_back(std::make_unique<AtmosphericPerspectiveFilter>(project));
  commands.push_back(std::make_unique<ZLuminanceFilter>(project));
  commands.push_back(std::make_unique<ZSaturationFilter>(project));
  commands.push_back(std::make_unique<RenderCommand>(project));
  commands.push_back(std::make_unique<RenderSaveCommand>(project));
  commands.push_back(std::make_unique<AreaPreviewCommand>(project));
  commands.push_back(std::make_unique<DepthPickCommand>(project));
  commands.push_back(std::make_unique<IntervalSelectCommand>(project));
  commands.push_back(std::make_unique<PreviewEffectCommand>(project));
  commands.push_back(std::make_unique<ViewLastRenderedCommand>(project));
  commands.push_back(std::make_unique<ViewZBufferCommand>(project));
  commands.push_back(std::make_unique<ViewAlphaCommand>(project));
  return commands;
}
