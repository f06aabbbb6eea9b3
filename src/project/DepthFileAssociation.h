#pragma once
// How a new project finds its depth files and its frames from the image the user chose.

#include <string>

class ProjectModel;
class UserInterface;

// Sets the model's depth naming and frames (and the mode: a sequence or a single image) from a
// chosen image: its own depth, a companion depth file of the same root, or the given depth file
// (as when the user picks one); the frames of a sequence are picked from its listing. False
// when no depth was found or nothing was picked (the user was told why).
bool AssociateDepthFiles(ProjectModel& model, const std::string& chosenImagePath, const std::string& depthFilePath,
                         UserInterface& ui);
