#pragma once
// One running application's worth of project machinery: the document with its project and
// the main frame with its commands, tied together.

#include "project/ApplicationFrame.h"
#include "project/FovaraDoc.h"
#include "tools/CommandTable.h"

class ProjectSession {
 public:
  ProjectSession() : frame_(document_, CreateProgramCommands) { document_.AttachFrame(&frame_); }
  ~ProjectSession() { document_.OnCloseDocument(); }
  ProjectSession(const ProjectSession&) = delete;
  ProjectSession& operator=(const ProjectSession&) = delete;

  CFovaraDoc& Document() { return document_; }
  ApplicationFrame& Frame() { return frame_; }
  ProjectData& Project() { return document_.GetProject(); }

 private:
  CFovaraDoc document_;
  ApplicationFrame frame_;
};
