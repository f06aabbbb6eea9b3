#pragma once
// The program's commands, one instance each, in registration order: the registered filters, then
// the render, preview, depth and view tools.

#include <memory>
#include <vector>

#include "platform/framework/Command.h"

class ProjectData;

std::vector<std::unique_ptr<CQelCommand>> CreateProgramCommands(ProjectData& project);
