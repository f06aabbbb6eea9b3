// fovara-render: the headless renderer for scripts and render farms.

#include <cstdio>
#include <exception>

#include <CLI/CLI.hpp>

#include "FovaraVersion.h"
#include "cli/CliCommands.h"

int main(int argc, char** argv) {
  CLI::App app{"Fovara headless renderer: depth-driven post-processing of rendered images"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("fovara-render ") + kFovaraVersion);
  CliAction action;
  AddInfoCommand(app, action);
  AddNewCommand(app, action);
  AddShowCommand(app, action);
  AddSetCommand(app, action);
  AddRenderCommand(app, action);
  AddConvertDepthCommand(app, action);
  AddSampleCommand(app, action);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  // Every failure a command foresees is reported by it; anything else still ends with one
  // line and a failure status rather than an abort.
  try {
    return action ? action() : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fovara-render: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "fovara-render: unexpected error\n");
  }
  return 1;
}
