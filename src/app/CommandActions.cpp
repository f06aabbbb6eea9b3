#include "app/CommandActions.h"

#include <algorithm>
#include <exception>

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QWidget>

#include "app/Icons.h"
#include "platform/framework/NavigationCommands.h"
#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ApplicationFrame.h"
#include "controls/UiText.h"
#include "project/FovaraDoc.h"

namespace {

constexpr int kVirtualKeyF1 = 112;
constexpr int kVirtualKeyF24 = 135;
constexpr int kAccessShift = 2;
constexpr int kAccessControl = 4;
constexpr int kAccessAlt = 8;

// Placement values: the high word starts a new group (a separator before it), the low word
// orders the entries inside it.
int Group(int position) { return position >> 16; }

bool InCategory(const CQelCommand& command, const std::vector<uint32_t>& categories) {
  return std::find(categories.begin(), categories.end(), command.GetCategory()) != categories.end();
}

QString Label(const std::string& name) { return QString::fromStdString(name); }

// Keys of the navigation commands, which the command table leaves without any.
QKeySequence NavigationKeys(uint32_t id) {
  switch (id) {
    case kZoomToolId: return QKeySequence(Qt::Key_Z);
    case kZoomOutToolId: return QKeySequence(Qt::SHIFT | Qt::Key_Z);
    case kMoveToolId: return QKeySequence(Qt::Key_H);
    case kZoomResetId: return QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0);
    case kZoomFitId: return QKeySequence(Qt::CTRL | Qt::Key_0);
    case kZoomActualPixelsId: return QKeySequence(Qt::CTRL | Qt::Key_1);
    default: return {};
  }
}

}  // namespace

QKeySequence ShortcutForAccess(const CCommandAccess& access) {
  int key = 0;
  if (access.key >= kVirtualKeyF1 && access.key <= kVirtualKeyF24) key = Qt::Key_F1 + (access.key - kVirtualKeyF1);
  else if ((access.key >= '0' && access.key <= '9') || (access.key >= 'A' && access.key <= 'Z')) key = access.key;
  if (!key) return {};
  if (access.keyFlags & kAccessShift) key |= Qt::SHIFT;
  if (access.keyFlags & kAccessControl) key |= Qt::CTRL;
  if (access.keyFlags & kAccessAlt) key |= Qt::ALT;
  return QKeySequence(key);
}

QString ToolTipFor(const QString& menuText, const QKeySequence& keys) {
  QString name = menuText;
  name.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&')).replace(QChar(1), QLatin1Char('&'));
  if (name.endsWith(QStringLiteral("..."))) name.chop(3);
  if (keys.isEmpty()) return name;
  return QStringLiteral("%1 (%2)").arg(name, keys.toString(QKeySequence::NativeText));
}

CommandActions::CommandActions(ApplicationFrame& frame, QWidget* owner) : QObject(owner), frame_(frame), owner_(owner) {
  const CCommandMgr& manager = frame_.GetCommandManager();
  for (int i = 0; i < manager.GetNumber(); ++i) {
    CQelCommand* command = manager.GetCommand(i);
    auto* action = new QAction(Label(command->GetName(InterfaceLanguage())), owner);
    const CCommandAccess& access = command->GetAccess();
    action->setShortcut(ShortcutForAccess(access));
    if (command->GetCategory() == kCategoryNavigation) action->setShortcut(NavigationKeys(command->GetID()));
    action->setIcon(IconForCommand(command->GetID(), access.bitmap));
    action->setStatusTip(Label(command->GetHelp(InterfaceLanguage(), kHelpStatus)));
    action->setToolTip(ToolTipFor(action->text(), action->shortcut()));
    action->setCheckable(command->GetClass() == kClassInteractive || command->GetCategory() == kCategoryView);
    owner->addAction(action);
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    entries_.push_back({command, action, i});
  }
}

QAction* CommandActions::ForCommand(uint32_t id) const {
  for (const Entry& e : entries_) {
    if (e.command->GetID() == id) return e.action;
  }
  return nullptr;
}

void CommandActions::Run(CQelCommand* command) {
  owner_->setFocus();
  try {
    frame_.RunCommand(command->GetID(), 0, 0);
  } catch (const std::exception& e) {
    // A command that fails must not take the window down with it.
    frame_.GetDocument().GetProject().UI().Warning(UiString(kWarningTitle), e.what());
  }
  Q_EMIT CommandRun(command->GetID());
}

std::vector<const CommandActions::Entry*> CommandActions::InMenuOrder(const std::vector<uint32_t>& categories) const {
  std::vector<const Entry*> chosen;
  for (const Entry& e : entries_) {
    if (InCategory(*e.command, categories)) chosen.push_back(&e);
  }
  auto rank = [&categories](const Entry* e) {
    return std::find(categories.begin(), categories.end(), e->command->GetCategory()) - categories.begin();
  };
  std::stable_sort(chosen.begin(), chosen.end(), [&rank](const Entry* a, const Entry* b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a->command->GetAccess().menuPosition < b->command->GetAccess().menuPosition;
  });
  return chosen;
}

void CommandActions::AddWithSeparators(QMenu* menu, QToolBar* toolbar, const std::vector<const Entry*>& entries,
                                       bool byToolbarPosition) {
  bool first = true;
  uint32_t lastCategory = 0;
  int lastGroup = 0;
  for (const Entry* e : entries) {
    const CCommandAccess& access = e->command->GetAccess();
    int group = Group(byToolbarPosition ? access.toolbarPosition : access.menuPosition);
    if (!first && (group != lastGroup || e->command->GetCategory() != lastCategory)) {
      if (menu) menu->addSeparator();
      if (toolbar) toolbar->addSeparator();
    }
    if (menu) menu->addAction(e->action);
    if (toolbar) toolbar->addAction(e->action);
    first = false;
    lastGroup = group;
    lastCategory = e->command->GetCategory();
  }
}

void CommandActions::FillRenderMenu(QMenu* menu) const {
  AddWithSeparators(menu, nullptr, InMenuOrder({kCategoryRender}), false);
}

void CommandActions::FillViewMenu(QMenu* menu) const {
  AddWithSeparators(menu, nullptr, InMenuOrder({kCategoryView, kCategoryViewAdjust, kCategoryNavigation}), false);
}

void CommandActions::FillPreviewToolbar(QToolBar* toolbar) const {
  std::vector<const Entry*> shown;
  for (const Entry& e : entries_) {
    bool second = e.command->GetCategory() == kCategoryRender || e.command->GetCategory() == kCategoryView;
    if (second && e.command->GetAccess().bitmap != 0) shown.push_back(&e);
  }
  std::stable_sort(shown.begin(), shown.end(), [](const Entry* a, const Entry* b) {
    return a->command->GetAccess().toolbarPosition < b->command->GetAccess().toolbarPosition;
  });
  AddWithSeparators(nullptr, toolbar, shown, true);
}

void CommandActions::FillNavigationToolbar(QToolBar* toolbar) const {
  std::vector<const Entry*> shown;
  for (const Entry& e : entries_) {
    if (e.command->GetCategory() == kCategoryNavigation) shown.push_back(&e);
  }
  // The mouse tools, then the zoom commands that act at once.
  std::stable_partition(shown.begin(), shown.end(),
                        [](const Entry* e) { return e->command->GetClass() == kClassInteractive; });
  bool tools = true;
  for (const Entry* e : shown) {
    if (tools && e->command->GetClass() != kClassInteractive) {
      toolbar->addSeparator();
      tools = false;
    }
    toolbar->addAction(e->action);
  }
}

void CommandActions::UpdateStates() const {
  const CCommandMgr& manager = frame_.GetCommandManager();
  const bool running = manager.GetCurrentCommand() != nullptr;
  for (const Entry& e : entries_) {
    CQelCommand* command = e.command;
    bool enabled = false;
    if (running || command->GetCategory() == kCategoryFilter) {
      command->UpdateState();
      enabled = command->IsStateSet(kStateEnabled);
    }
    bool checked = command->GetClass() == kClassInteractive ? manager.GetCurrentCommand() == command
                                                            : command->IsStateSet(kStateChecked);
    e.action->setEnabled(enabled);
    if (e.action->isCheckable()) e.action->setChecked(running && checked);
  }
}
