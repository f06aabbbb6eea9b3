#pragma once
// The project document: the one open project, its file, and the project commands New
// project, Open, Save and Close.

#include <string>

#include "project/ProjectData.h"

class ApplicationFrame;

class CFovaraDoc {
 public:
  explicit CFovaraDoc(UserInterface& ui);
  void AttachFrame(ApplicationFrame* frame);

  ProjectData& GetProject() { return project_; }
  const ProjectData& GetProject() const { return project_; }

  // New project: asks for an image, finds its depth files, asks for the filter.
  bool OnNewProject();
  // New project without the image question (the command line names the image).
  bool NewProjectFrom(const std::string& imagePath, const std::string& depthFile = "");
  // Opens a project file; false when it cannot be opened (the user was told why).
  bool OnOpenDocument(const std::string& path);
  // Saves under the document's path, asking for one when the project was never saved.
  bool DoFileSave();
  // Asks for a file name and saves the project there; it becomes the document's path.
  bool DoFileSaveAs();
  // Saves under the given path: written beside it and renamed, so a failure keeps the old file.
  bool OnSaveDocument(const std::string& path);
  // Closes the project, asking first whether to save it; false when the user cancelled.
  bool CloseCurrentProject();
  // End of the application.
  void OnCloseDocument();

  // Sets the main frame's modified flag.
  void SetModifiedFlag(bool modified);
  bool IsProjectModified() const;

  const std::string& GetPathName() const { return pathName_; }
  const std::string& GetTitle() const { return title_; }
  // Why the last open or save failed; empty when it succeeded.
  const std::string& GetLastError() const { return lastError_; }

 private:
  void SetTitleAndPathFromFirstImage();
  // Ends a failed opening with no project; the user is told why with the message, unless 0.
  bool RefuseOpening(const std::string& path, const std::string& reason, int messageId);
  // Saves, telling the user why when it fails.
  bool SaveTellingWhy(const std::string& path);

  ProjectData project_;
  ApplicationFrame* frame_ = nullptr;
  std::string pathName_;
  std::string title_;
  std::string lastError_;
  std::string lastReason_;  // what the system or the writer said, for the user
};
