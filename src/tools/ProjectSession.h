#pragma once
// One running application's worth of project machinery: the document with its project and
// the main frame with its commands, tied together, talking through the user interface the
// program gives it (a silent one when it gives none).

#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"
#include "project/FovaraDoc.h"
#include "tools/CommandTable.h"

class ProjectSession {
 public:
  ProjectSession() : ProjectSession(silent_) {}
  explicit ProjectSession(UserInterface& ui) : document_(ui), frame_(document_, CreateProgramCommands) {
    document_.AttachFrame(&frame_);
  }
  ~ProjectSession() { document_.OnCloseDocument(); }
  ProjectSession(const ProjectSession&) = delete;
  ProjectSession& operator=(const ProjectSession&) = delete;

  CFovaraDoc& Document() { return document_; }
  ApplicationFrame& Frame() { return frame_; }
  ProjectData& Project() { return document_.GetProject(); }
  UserInterface& UI() { return Project().UI(); }

 private:
  SilentUserInterface silent_;
  CFovaraDoc document_;
  ApplicationFrame frame_;
};
