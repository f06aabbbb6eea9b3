#pragma once
// The frame's command machinery: the registered commands, the interactive command that is
// current, the tool run on top of it, the focus hand-over between the two, and the
// project's modified flag.
//
// An interactive command of the filter category, or any interactive command while nothing
// is current, becomes the base command. Another interactive command run while a base command
// is open becomes the tool on top: the base loses the focus to it, and gets the focus back
// with the tool's result when the tool validates (its OnApplyCommand result) or is replaced
// or closed (cancel, 11). Simple commands open, apply and close at once.

#include <cstdint>
#include <vector>

#include "platform/framework/Command.h"

// Run flag: the command runs as a tool on top of the current command.
constexpr int kRunAsTool = 32;

class CCommandMgr {
 public:
  void AddCommand(CQelCommand* command);
  // The command on top: the tool when one runs, else the base command; null when none.
  CQelCommand* GetCurrentCommand() const { return tool_ ? tool_ : base_; }
  // The base command (a filter, while a project is open).
  CQelCommand* GetBaseCommand() const { return base_; }
  CQelCommand* GetTool() const { return tool_; }
  CQelCommand* GetCommandById(uint32_t id) const;
  int GetNumber() const { return int(commands_.size()); }
  CQelCommand* GetCommand(int index) const { return commands_[size_t(index)]; }
  bool IsFlagSet(int flag) const { return (flags_ & flag) != 0; }
  // Closes the tool on top (cancelled) and the base command.
  void CloseCommands();

 private:
  friend class CommandFrame;
  std::vector<CQelCommand*> commands_;
  CQelCommand* base_ = nullptr;
  CQelCommand* tool_ = nullptr;
  int flags_ = 0;
};

class CommandFrame {
 public:
  virtual ~CommandFrame() = default;

  CCommandMgr& GetCommandManager() { return manager_; }
  const CCommandMgr& GetCommandManager() const { return manager_; }

  // Registers a command the caller keeps alive as long as the frame. Throws std::logic_error for
  // an id another command has already.
  void AddCommand(CQelCommand* command);

  // Runs the command with that id; false when it is unknown or refused its opening.
  virtual bool RunCommand(uint32_t id, int flags, int parameter);
  // Ends the tool on top (its OnApplyCommand result goes to the base command), or, for the
  // base command, closes it.
  void ValidateCommand(CQelCommand* command, int reason);
  // Cancels the tool on top, if any: the base command gets the focus back with 11.
  void CancelTool();
  // The user ended the tool on top (Escape, a right click, its button again): cancelled, and
  // the window follows. False when no tool ran.
  bool EndTool();
  // Closes the tool and the base command.
  void CloseCommands() { manager_.CloseCommands(); }

  bool GetModifiedFlag() const { return modified_; }
  void SetModifiedFlag(bool modified) {
    modified_ = modified;
    OnStateChanged();
  }

 protected:
  // Raised once an interactive command is open (first notice) and once a command opened or
  // finished with the focus settled (second notice).
  virtual void OnFirstCommandNotice(CQelCommand* command) { (void)command; }
  virtual void OnSecondCommandNotice(CQelCommand* command) { (void)command; }
  // Raised when the modified flag is set or cleared, or a tool starts or is ended, so that a
  // window can follow.
  virtual void OnStateChanged() {}

 private:
  bool RunSimple(CQelCommand* command, int parameter);
  bool RunAsBase(CQelCommand* command, int parameter);
  bool RunOnTop(CQelCommand* command, int parameter);
  void FinishTool(CommandResult result);

  CCommandMgr manager_;
  bool modified_ = false;
};
