#pragma once
// What the project subcommands share: a console user interface, the project as its file holds
// it, and the names the command line uses for filters.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/ConsoleUserInterface.h"
#include "project/FrameSource.h"
#include "project/ProjectModel.h"

struct CliProject {
  ConsoleUserInterface ui;
  ProjectModel model;

  // Opens a project file and checks that every frame's files are there; false (with the
  // reason on stderr) when it cannot be opened.
  bool Open(const std::string& path);
  // Saves to path, keeping the previous file when the save fails.
  bool Save(const std::string& path);
  // A frame of the project, read as a render reads it; null (with the reason on stderr) when
  // it cannot be read.
  std::unique_ptr<Frame> ReadFrameOf(int frame);
};

// A registered filter's command-line name ("dof", "zsat", ...) to its id; nothing for other names.
std::optional<uint32_t> FilterIdFromName(const std::string& name);
std::string FilterNames();

// A path made absolute against the current folder.
std::string AbsolutePath(const std::string& path);

// Prints "fovara-render: message" on stderr and returns 1.
int Fail(const std::string& message);
