#pragma once
// The subcommands of fovara-render. Each registers its options on the application and
// sets the action that runs when it is chosen; the action returns the exit status.

#include <functional>

namespace CLI {
class App;
}

using CliAction = std::function<int()>;

void AddInfoCommand(CLI::App& app, CliAction& action);
void AddNewCommand(CLI::App& app, CliAction& action);
void AddShowCommand(CLI::App& app, CliAction& action);
void AddSetCommand(CLI::App& app, CliAction& action);
void AddSampleCommand(CLI::App& app, CliAction& action);
void AddRenderCommand(CLI::App& app, CliAction& action);
void AddConvertDepthCommand(CLI::App& app, CliAction& action);
