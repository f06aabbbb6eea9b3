#pragma once
// The filters the program knows. Each filter folder registers one entry from a file of its
// own (a static FilterRegistration) before the program starts; the table is only read
// afterwards. So the command table, the project file, the render loop, the command line and the
// scripting module learn of a filter without naming it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animation/FilterOptions.h"
#include "animation/KeyframeSettings.h"
#include "filters/DepthFilterCommand.h"
#include "filters/FilterOperation.h"

class ProjectData;

struct FilterEntry {
  // Where the filter stands among the others: in the filter list, the command table and the
  // command line's list of names (smaller first).
  int listPosition;
  FilterDescription description;  // command id and string ids
  uint32_t settingsTypeCode;      // the record type of its keyframes
  const char* cliName;            // the name fovara-render and the scripting module use
  std::unique_ptr<KeyframeSettings> (*createSettings)();
  std::unique_ptr<FilterOptions> (*createOptions)();
  FilterOperation render;
  // The desktop program's interactive command.
  std::unique_ptr<DepthFilterCommand> (*createCommand)(ProjectData& project);
};

// Adds a filter (and its settings and options types to the project file's types). Throws
// std::logic_error, naming both filters, for a command id, list position, command-line name or
// settings type another filter has already: the program refuses to start.
void RegisterFilter(const FilterEntry& entry);
// Every registered filter, by list position.
const std::vector<FilterEntry>& RegisteredFilters();
const FilterEntry* FindFilter(uint32_t commandId);
const FilterEntry* FindFilterByCliName(const std::string& name);
// The command-line names joined by separator, in list order: "dof|zsat|...".
std::string FilterCliNames(const std::string& separator);

// Registers its entry when the program starts: one static object per filter.
struct FilterRegistration {
  explicit FilterRegistration(const FilterEntry& entry) { RegisterFilter(entry); }
};

// The factories of an entry for a settings, an options and a command class.
template <typename Settings>
std::unique_ptr<KeyframeSettings> MakeSettings() {
  return std::make_unique<Settings>();
}
template <typename Options>
std::unique_ptr<FilterOptions> MakeOptions() {
  return std::make_unique<Options>();
}
template <typename Command>
std::unique_ptr<DepthFilterCommand> MakeCommand(ProjectData& project) {
  return std::make_unique<Command>(project);
}
