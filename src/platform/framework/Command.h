#pragma once
// Commands: every filter and tool of the program is one. A command has an identity record,
// a name and help, and hooks the frame calls as the command opens, takes mouse input, loses
// or regains the focus to a tool, validates or is cancelled. Mouse, key and cursor hooks take
// image coordinates and plain codes, so commands are testable without a window.

#include <cstdint>
#include <string>

#include "platform/framework/FourCC.h"
#include "platform/framework/StringTable.h"

class CommandFrame;

// Results of command operations: 0 lets an action go on, 11 cancels it.
using CommandResult = int;
constexpr CommandResult kCommandOk = 0;
constexpr CommandResult kCommandCancel = 11;

constexpr uint32_t kDataKindBitmap = FourCC("BITM");
constexpr uint32_t kTypeFilter = FourCC("FOVX");
constexpr uint32_t kTypeTool = FourCC("FOVO");
constexpr uint32_t kClassInteractive = FourCC("INTE");  // takes mouse input, stays current
constexpr uint32_t kClassSimple = FourCC("SIMP");       // acts at once
constexpr uint32_t kCategoryFilter = FourCC("FXCA");
constexpr uint32_t kCategoryDepthTool = FourCC("FXTS");
constexpr uint32_t kCategoryRender = FourCC("RDFX");
constexpr uint32_t kCategoryView = FourCC("VWFX");
// How the view shows the picture (its exposure): acts at once, no toggle.
constexpr uint32_t kCategoryViewAdjust = FourCC("VWAD");

// The six words that identify a command.
struct CommandIdentity {
  uint32_t dataKind = kDataKindBitmap;
  uint32_t type = 0;
  uint32_t commandClass = 0;
  uint32_t category = 0;
  uint32_t id = 0;
  uint32_t version = 1;
  bool operator==(const CommandIdentity&) const = default;
};

// Where a command sits in menus and toolbars; the frame reads it when it builds them.
struct CCommandAccess {
  int key = 0;  // virtual-key code, 0 for none
  int keyFlags = 0;
  int keyFlags2 = 0;
  int menu = -1;  // -1: no menu entry
  int menuPosition = 0;
  int menuFlags = 0;
  int bitmap = 0;  // 0: no toolbar button
  int bitmapPressed = 0;
  int toolbar = -1;
  int toolbarPosition = 0;
  int toolbarFlags = 0;

  void SetAccess(int k, int f1, int f2) { key = k; keyFlags = f1; keyFlags2 = f2; }
  void SetMenuPosition(int m, int position, int flags) { menu = m; menuPosition = position; menuFlags = flags; }
  void SetBitmap(int normal, int pressed) { bitmap = normal; bitmapPressed = pressed; }
  void SetToolbarPosition(int t, int position, int flags) { toolbar = t; toolbarPosition = position; toolbarFlags = flags; }
};

// Command states the frame reads for menus and buttons.
constexpr int kStateEnabled = 2;
constexpr int kStateChecked = 8;
// The state every filter command switches on at construction.
constexpr int kFilterCommandState = 0x10000;

// The kinds of a command's help text.
constexpr int kHelpStatus = 0;
constexpr int kHelpTooltip = 1;
constexpr int kHelpDescription = 2;  // a filter's description in the filter list

// Cursor ids a command may ask for.
constexpr int kCursorDefault = 0;

class CQelCommand {
 public:
  CQelCommand() = default;
  virtual ~CQelCommand() = default;
  CQelCommand(const CQelCommand&) = delete;
  CQelCommand& operator=(const CQelCommand&) = delete;

  // Texts in the given language: the name shown in menus, and the help of a kind (kHelpStatus,
  // kHelpTooltip, kHelpDescription).
  virtual std::string GetName(Language language) const = 0;
  virtual CommandIdentity GetIdentity() const = 0;
  uint32_t GetID() const { return GetIdentity().id; }
  uint32_t GetType() const { return GetIdentity().type; }
  uint32_t GetClass() const { return GetIdentity().commandClass; }
  uint32_t GetCategory() const { return GetIdentity().category; }

  // Refreshes the enabled and checked states; the default enables the command.
  virtual void UpdateState() { SetState(kStateEnabled, true); }
  void SetState(int state, bool on) { states_ = on ? (states_ | state) : (states_ & ~state); }
  bool IsStateSet(int state) const { return (states_ & state) != 0; }

  // Life of a command. OnOpenCommand receives the parameter of RunCommand; a result other
  // than 0 refuses the opening. Simple commands then get OnApplyCommand and close at once.
  virtual CommandResult OnOpenCommand(int parameter) { (void)parameter; return kCommandOk; }
  virtual CommandResult OnCloseCommand() { return kCommandOk; }
  virtual CommandResult OnApplyCommand() { return kCommandOk; }
  virtual CommandResult OnCancelCommand() { return kCommandOk; }

  // Focus hand-over with a tool run on top of this command (reason is the frame's).
  virtual void OnLooseFocus(int reason, CQelCommand* other) { (void)reason; (void)other; }
  virtual void OnGetFocus(int reason, CQelCommand* other, CommandResult result) {
    (void)reason; (void)other; (void)result;
  }

  // Input in image coordinates. True when the event was handled.
  virtual int SetCursor(int x, int y) { (void)x; (void)y; return kCursorDefault; }
  virtual bool OnMouseMove(int x, int y) { (void)x; (void)y; return false; }
  virtual bool OnLButtonDown(int x, int y) { (void)x; (void)y; return false; }
  virtual bool OnKey(int key) { (void)key; return false; }

  virtual int GetOptions() const { return 0; }
  virtual std::string GetHelp(Language language, int kind) const { (void)language; (void)kind; return {}; }

  const CCommandAccess& GetAccess() const { return access_; }

  // Set by the frame when the command is registered.
  void AttachFrame(CommandFrame* frame) { frame_ = frame; }
  CommandFrame* GetFrame() const { return frame_; }
  // Asks the frame to validate this running command (its OnApplyCommand result is handed
  // to the command below it).
  void UserValidateCommand(int reason);

 protected:
  CCommandAccess access_;

 private:
  CommandFrame* frame_ = nullptr;
  int states_ = 0;
};

// The image commands of the program derive from this one.
class CBitmapCommand : public CQelCommand {};

// The framework's help text for a command: the help string's first line is the status bar's
// text, its second line the tooltip.
std::string GetCommandHelp(Language language, int kind, int stringId);
