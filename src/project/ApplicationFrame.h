#pragma once
// The main frame's logic: it owns one instance of each command of the program, registers
// them in table order, refuses tools while no command is current, keeps a mouse tool active
// beside the filter, asks whether to save a modified project, and holds the modified flag.
// The desktop main window wraps it; headless sessions use it as it is.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/framework/CommandFrame.h"
#include "project/ImageViewport.h"

class CFovaraDoc;
class ProjectFilter;
class ProjectData;

// Makes the program's commands (filters, tools) for a project; handed to the frame by whoever
// assembles the program, so the frame does not know the command table.
using ProgramCommandMaker = std::vector<std::unique_ptr<CQelCommand>> (*)(ProjectData& project);

class ApplicationFrame : public CommandFrame {
 public:
  ApplicationFrame(CFovaraDoc& document, ProgramCommandMaker makeCommands);
  ~ApplicationFrame() override;

  // Refused (false) when no command is current and the command is not a filter.
  bool RunCommand(uint32_t id, int flags, int parameter) override;

  // Asks whether to save a modified project: 0 lets the caller go on, 11 stops it (Cancel,
  // or a save that failed).
  CommandResult SavePrompt();

  uint32_t GetLastMouseTool() const { return lastMouseTool_; }
  CFovaraDoc& GetDocument() const { return document_; }
  // The filters in registration order.
  std::vector<ProjectFilter*> GetFilters() const;

  // The view; a silent one until the desktop program sets its own.
  void SetViewport(ImageViewport* viewport) { viewport_ = viewport ? viewport : &silentViewport_; }
  ImageViewport& GetViewport() const { return *viewport_; }

  // The full command menu and the toolbars are shown while a project is open.
  void ShowProjectMenus(bool shown) {
    projectMenus_ = shown;
    OnStateChanged();
  }
  bool HasProjectMenus() const { return projectMenus_; }

  // Called whenever the modified flag or the project menus change; a window follows them
  // in its title, menus and toolbars. An empty function stops the calls.
  void SetStateListener(std::function<void()> listener) { stateListener_ = std::move(listener); }

 protected:
  void OnFirstCommandNotice(CQelCommand* command) override;
  void OnSecondCommandNotice(CQelCommand* command) override;
  void OnStateChanged() override {
    if (stateListener_) stateListener_();
  }

 private:
  void AddCommands(ProgramCommandMaker makeCommands);

  CFovaraDoc& document_;
  std::vector<std::unique_ptr<CQelCommand>> commands_;
  uint32_t lastMouseTool_;
  SilentViewport silentViewport_;
  ImageViewport* viewport_ = &silentViewport_;
  bool projectMenus_ = false;
  std::function<void()> stateListener_;
};
