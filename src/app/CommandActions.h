#pragma once
// One action per registered command: its name, help, keys and icon come from the command,
// its place in the menus and toolbars from its category and placement values, and its
// enabled and checked states from the command itself.

#include <cstdint>
#include <map>
#include <vector>

#include <QKeySequence>
#include <QObject>

#include "platform/framework/Command.h"

class ApplicationFrame;
class QAction;
class QMenu;
class QToolBar;
class QWidget;

// The key of a command's access values (virtual-key code and flags); empty for none.
QKeySequence ShortcutForAccess(const CCommandAccess& access);
// A tooltip named as the menu entry, with its keys: "Render images (F5)".
QString ToolTipFor(const QString& menuText, const QKeySequence& keys);

class CommandActions : public QObject {
  Q_OBJECT

 public:
  // The actions are added to the owner so that their keys work whatever menu is shown.
  CommandActions(ApplicationFrame& frame, QWidget* owner);

  QAction* ForCommand(uint32_t id) const;
  // The Render popup: the render commands. The View popup: the view commands, then the
  // navigation commands.
  void FillRenderMenu(QMenu* menu) const;
  void FillViewMenu(QMenu* menu) const;
  // The second toolbar: render and view commands that have a bitmap. The first: navigation.
  void FillPreviewToolbar(QToolBar* toolbar) const;
  void FillNavigationToolbar(QToolBar* toolbar) const;
  // Enabled and checked states from the commands; without a current command only the
  // filters can run.
  void UpdateStates() const;

 Q_SIGNALS:
  // A command was run from a menu, a button or a key.
  void CommandRun(uint32_t id);

 private:
  struct Entry {
    CQelCommand* command;
    QAction* action;
    int order;  // registration order
  };
  std::vector<const Entry*> InMenuOrder(const std::vector<uint32_t>& categories) const;
  static void AddWithSeparators(QMenu* menu, QToolBar* toolbar, const std::vector<const Entry*>& entries,
                                bool byToolbarPosition);
  void Run(CQelCommand* command);

  ApplicationFrame& frame_;
  QWidget* owner_;
  std::vector<Entry> entries_;
};
