#pragma once
// The subcommands of fovara-render. Each registers its options on the application and
// sets the action that runs when it is chosen; the action returns the exit status.

#include <functional>

namespace CLI {
class App;
}

using CliAction = std::function<int()>;

void AddInfoCommand(CLI::App& app, CliAction& action);
