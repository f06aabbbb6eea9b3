#include "RunCli.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

CliRun RunProgramIn(const std::string& program, const std::string& folder, const std::string& arguments) {
  std::string errPath = "/tmp/fovara-cli-err-" + std::to_string(getpid());
  std::string command = program + " " + arguments + " 2>" + errPath;
  if (!folder.empty()) command = "cd '" + folder + "' && " + command;
  CliRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = Slurp(errPath);
  std::remove(errPath.c_str());
  return run;
}

}  // namespace

CliRun RunCli(const std::string& arguments) { return RunCliIn("", arguments); }

CliRun RunCliIn(const std::string& folder, const std::string& arguments) {
  const char* program = std::getenv("FOVARA_RENDER");
  return RunProgramIn(program ? program : "fovara-render", folder, arguments);
}

CliRun RunProgram(const std::string& program, const std::string& arguments) {
  return RunProgramIn(program, "", arguments);
}
