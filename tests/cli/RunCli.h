#pragma once
// Runs fovara-render as a user would, capturing what it prints.

#include <string>

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Arguments are passed through the shell; quote them as needed.
CliRun RunCli(const std::string& arguments);
// The same, run from another working folder (given complete).
CliRun RunCliIn(const std::string& folder, const std::string& arguments);
// Another build of the program (a path), run the same way.
CliRun RunProgram(const std::string& program, const std::string& arguments);
