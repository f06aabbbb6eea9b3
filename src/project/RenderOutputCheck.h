#pragma once
// What a render may write. Its frames must never replace a file the project reads (an image,
// a depth file, the diaph picture): "scene.png" as the output of a project over scene0001.png
// to scene0008.png would put each filtered frame in place of its source. Frames of an earlier
// render may be replaced, once the user agreed for the whole run.

#include <optional>
#include <string>
#include <vector>

#include "platform/framework/StringTable.h"

class C2DIo;
class ProjectModel;

// What an input file is to the project.
enum class InputKind { Image, DepthFile, Diaph };

struct ProjectInput {
  std::string path;  // complete
  InputKind kind;
};

// A frame file that would replace an input.
struct OutputClash {
  std::string frameFile;
  ProjectInput input;
};

// The number a frame is saved under; -1 for none (a single image rendered once).
int OutputNumberOf(const ProjectModel& project, int frame);
// The file a frame is saved under.
std::string FrameFileAt(const ProjectModel& project, const C2DIo& output, int frame);

// Every file the project reads: the images, their depth files (an image carrying its own
// depth is listed once), and the filter's own files.
std::vector<ProjectInput> ProjectInputs(const ProjectModel& project);

// The first frame of [first, last] whose file would be one of the inputs.
std::optional<OutputClash> FindInputOverwrite(const ProjectModel& project, const C2DIo& output, int first, int last);

// The frame files of [first, last] that exist already.
std::vector<std::string> ExistingFrameFiles(const ProjectModel& project, const C2DIo& output, int first, int last);

// One line for the user, in the language.
std::string DescribeClash(Language language, const OutputClash& clash);
