#include "project/FovaraDoc.h"

#include <fmt/format.h>

#include "project/ProjectFilter.h"
#include "platform/framework/Archive.h"
#include "platform/framework/FileHelpers.h"
#include "platform/framework/FileInfo.h"
#include "platform/framework/Preferences.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"

CFovaraDoc::CFovaraDoc(UserInterface& ui) : project_(ui) {}

void CFovaraDoc::AttachFrame(ApplicationFrame* frame) {
  frame_ = frame;
  project_.AttachFrame(frame);
}

void CFovaraDoc::SetModifiedFlag(bool modified) {
  if (frame_) frame_->SetModifiedFlag(modified);
}

bool CFovaraDoc::IsProjectModified() const { return frame_ && frame_->GetModifiedFlag(); }

void CFovaraDoc::SetTitleAndPathFromFirstImage() {
  CFileInfo first(project_.Model().GetImageName(0));
  title_ = first.GetNameWithoutExt();
  pathName_ = project_.Model().ResolveImageFolder() + title_;
}

bool CFovaraDoc::OnNewProject() {
  std::string lastFolder = project_.Model().ResolveImageFolder();
  if (!CloseCurrentProject()) return false;
  FileRequest request{kClassAllFiles, kDialogNewProject, "", lastFolder};
  auto chosen = project_.UI().ChooseFileToOpen(request);
  return NewProjectFrom(chosen.value_or(""));
}

bool CFovaraDoc::NewProjectFrom(const std::string& imagePath, const std::string& depthFile) {
  if (project_.GetFilter() && !CloseCurrentProject()) return false;
  if (!project_.IdentifyDepthFiles(imagePath, depthFile)) return false;
  if (!project_.ChooseFilter()) return false;
  SetTitleAndPathFromFirstImage();
  // A new project has no file yet: its first save asks for one.
  pathName_.clear();
  return true;
}

bool CFovaraDoc::OnOpenDocument(const std::string& givenPath) {
  lastError_.clear();
  // Completed once, so that the project folder and every folder resolved from it are complete.
  const std::string path = fileMakeAbsolute(givenPath);
  if (!CloseCurrentProject()) {
    // The user kept the modified project: opening another one would throw it away.
    lastError_ = "the current project was kept";
    return false;
  }
  CArchive archive;
  try {
    archive = OpenArchiveForReading(path);
  } catch (const std::exception& e) {
    // The file cannot be read at all: the system says why.
    return RefuseOpening(path, e.what(), kCannotOpenProject);
  }
  try {
    project_.Serialize(archive);
  } catch (const ProjectFileError& e) {
    // The user has been told why already.
    return RefuseOpening(path, e.what(), 0);
  } catch (const std::exception& e) {
    // What the reader met is no project file content: the file is damaged, or another kind.
    return RefuseOpening(path, e.what(), kDamagedProject);
  }
  // Reading the project loaded its current frame: when that is frame 0 already, it is not
  // read a second time (a frame of a film's resolution takes a good part of a second).
  const std::string& first = project_.Model().GetImageName(0);
  if (!project_.HoldsFrame(first) && !project_.LoadFrame(first)) {
    lastError_ = fmt::format("{}: the first frame cannot be loaded", path);
    project_.CloseProject(project_.GetFilter());
    SetModifiedFlag(false);
    return false;
  }
  project_.Model().Track().SetCurrentFrame(0);
  if (project_.GetFilter()) project_.GetFilter()->GoToFrame(0);
  SetTitleAndPathFromFirstImage();
  pathName_ = path;
  Preferences::AddRecentFile(path);
  return true;
}

bool CFovaraDoc::RefuseOpening(const std::string& path, const std::string& reason, int messageId) {
  lastError_ = fmt::format("{}: {}", path, reason);
  if (messageId) {
    UserInterface& ui = project_.UI();
    ui.Warning(ui.Text(kWarningTitle), AppendReason(ui.Format(messageId, fileStripPath(path)), ui.Reason(reason)));
  }
  project_.CloseProject(project_.GetFilter());
  SetModifiedFlag(false);
  return false;
}

bool CFovaraDoc::OnSaveDocument(const std::string& givenPath) {
  lastError_.clear();
  if (!project_.GetFilter()) {
    lastError_ = "there is no project to save";
    return false;
  }
  const std::string path = fileMakeAbsolute(givenPath);
  const std::string failure = SaveProjectFile(project_.Model(), path);
  if (!failure.empty()) {
    lastReason_ = failure;
    lastError_ = failure.find(path) == std::string::npos ? fmt::format("{}: {}", path, failure) : failure;
    return false;
  }
  pathName_ = path;
  project_.History().MarkHistorySaved();
  SetModifiedFlag(false);
  Preferences::AddRecentFile(path);
  return true;
}

bool CFovaraDoc::DoFileSave() {
  if (pathName_.empty()) return DoFileSaveAs();
  return SaveTellingWhy(pathName_);
}

bool CFovaraDoc::DoFileSaveAs() {
  if (!project_.GetFilter()) return false;
  // A project saved before is proposed under its own name; a new one under its first image's.
  std::string proposal = pathName_.empty() ? project_.Model().ResolveImageFolder() + title_ + ".fvz" : pathName_;
  auto chosen = project_.UI().ChooseFileToSave({kClassProject, 0, "", proposal});
  if (!chosen || chosen->empty()) return false;
  return SaveTellingWhy(*chosen);
}

bool CFovaraDoc::SaveTellingWhy(const std::string& path) {
  if (OnSaveDocument(path)) return true;
  UserInterface& ui = project_.UI();
  ui.Warning(ui.Text(kWarningTitle),
             AppendReason(ui.Format(kCannotSaveProject, fileStripPath(path)), ui.Reason(lastReason_)));
  return false;
}

bool CFovaraDoc::CloseCurrentProject() {
  if (frame_ && frame_->GetModifiedFlag() && frame_->SavePrompt() == kCommandCancel) return false;
  project_.CloseProject(project_.GetFilter());
  SetModifiedFlag(false);
  pathName_.clear();
  title_.clear();
  return true;
}

void CFovaraDoc::OnCloseDocument() { project_.CloseProject(project_.GetFilter()); }
