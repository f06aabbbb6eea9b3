#pragma once
// A project session driven through the scripted user interface, in a fresh folder.

#include <string>

#include <gtest/gtest.h>

#include "filters/DepthFilterCommand.h"
#include "support/ScriptedUserInterface.h"
#include "platform/framework/StringTable.h"
#include "tools/ProjectSession.h"
#include "support/Scenes.h"
#include "support/TempFolder.h"

class ProjectTest : public ::testing::Test {
 protected:
  // The position of a filter in the filter list.
  int FilterIndex(uint32_t id) {
    auto filters = session.Frame().GetFilters();
    for (size_t i = 0; i < filters.size(); ++i) {
      if (filters[i]->GetID() == id) return int(i);
    }
    ADD_FAILURE() << "no filter " << FourCCToString(id);
    return -1;
  }

  // A new project from an image, the filter chosen in the list.
  bool NewProject(const std::string& image, uint32_t filterId = FourCC("FXDS")) {
    ui.filterChoices.push_back(FilterIndex(filterId));
    return session.Document().NewProjectFrom(image);
  }

  std::string SaveAs(const std::string& path) {
    EXPECT_TRUE(session.Document().OnSaveDocument(path)) << session.Document().GetLastError();
    return path;
  }

  ProjectData& Project() { return session.Project(); }

  ScriptedUserInterface ui;  // made first, so that the session talks through it
  TempFolder dir;
  ProjectSession session{ui};
};
