#pragma once
// While a depth tool runs, the status bar tells the depth under the cursor and what a click
// there would set, or why it would set nothing.

#include <QString>

class CQelCommand;
class ProjectData;

// Empty when the command is no depth tool.
QString DepthToolHint(const ProjectData& project, CQelCommand* command, int x, int y, bool inside);
