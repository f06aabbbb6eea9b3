#include "tools/CommandTable.h"

#include "filters/FilterRegistry.h"
#include "tools/DepthTools.h"
#include "tools/RenderCommand.h"
#include "tools/ViewCommands.h"

std::vector<std::unique_ptr<CQelCommand>> CreateProgramCommands(ProjectData& project) {
  std::vector<std::unique_ptr<CQelCommand>> commands;
  for (const FilterEntry& filter : RegisteredFilters()) commands.push_back(filter.createCommand(project));
  commands.push_back(std::make_unique<RenderCommand>(project));
  commands.push_back(std::make_unique<RenderSaveCommand>(project));
  commands.push_back(std::make_unique<AreaPreviewCommand>(project));
  commands.push_back(std::make_unique<DepthPickCommand>(project));
  commands.push_back(std::make_unique<IntervalSelectCommand>(project));
  commands.push_back(std::make_unique<PreviewEffectCommand>(project));
  commands.push_back(std::make_unique<ViewLastRenderedCommand>(project));
  commands.push_back(std::make_unique<ViewZBufferCommand>(project));
  commands.push_back(std::make_unique<ViewAlphaCommand>(project));
  for (int direction : {+1, -1, 0}) commands.push_back(std::make_unique<ExposureCommand>(project, direction));
  return commands;
}
