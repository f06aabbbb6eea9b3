#include "app/ColourViews.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "platform/framework/StringTable.h"
#include "platform/framework/UserInterface.h"
#include "project/ProjectData.h"
#include "controls/UiText.h"

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

ColourViews::ColourViews(ProjectData& project, QObject* parent) : QObject(parent), project_(project) {
  const QByteArray path = qgetenv("OCIO");
  if (path.isEmpty()) return;
  std::string reason;
  config_ = ColourConfig::Load(path.toStdString(), reason);
  if (!config_) {
    problem_ = Text(FormatString(InterfaceLanguage(), kColourConfigFailed, path.toStdString(), reason));
    return;
  }
  const std::vector<DisplayView>& views = config_->Views();
  const auto first = std::find(views.begin(), views.end(), config_->Default());
  Choose(int(first - views.begin()));
}

ColourViews::~ColourViews() = default;

QString ColourViews::CurrentName() const {
  if (!config_ || chosen_ < 0) return {};
  return Text(DisplayViewName(config_->Views()[size_t(chosen_)]));
}

bool ColourViews::Choose(int index) {
  if (!config_ || index >= int(config_->Views().size())) return false;
  std::shared_ptr<const DisplayTransform> transform;
  if (index >= 0) {
    const DisplayView& choice = config_->Views()[size_t(index)];
    std::string reason;
    transform = config_->MakeTransform(choice, reason);
    if (!transform) {
      project_.UI().Warning(LoadString(InterfaceLanguage(), kWarningTitle), FormatString(InterfaceLanguage(), kColourViewFailed, DisplayViewName(choice), reason));
      CheckChosen();
      return false;
    }
  }
  chosen_ = index;
  project_.View().SetDisplayTransform(std::move(transform));
  CheckChosen();
  Q_EMIT Changed();
  return true;
}

// The menu's mark follows the view on show (a view refused keeps the one before).
void ColourViews::CheckChosen() {
  const size_t entry = size_t(chosen_ + 1);
  if (entry < actions_.size() && actions_[entry]) actions_[entry]->setChecked(true);
}

QAction* ColourViews::ActionFor(int index, QMenu* menu) {
  const bool builtIn = index < 0;
  auto* action = menu->addAction(builtIn ? Text(LoadString(InterfaceLanguage(), kBuiltInSrgbItem))
                                         : Text(DisplayViewName(config_->Views()[size_t(index)])));
  action->setCheckable(true);
  action->setChecked(index == chosen_);
  action->setStatusTip(Text(LoadString(InterfaceLanguage(), builtIn ? kBuiltInSrgbHelp : kColourViewHelp)));
  connect(action, &QAction::triggered, this, [this, index] { Choose(index); });
  return action;
}

void ColourViews::AddMenu(QMenu* view) {
  actions_.clear();
  if (!config_) return;
  view->addSeparator();
  QMenu* menu = view->addMenu(Text(LoadString(InterfaceLanguage(), kColourViewMenu)));
  menu->setObjectName(QStringLiteral("colourViewMenu"));
  auto* group = new QActionGroup(menu);
  actions_.push_back(group->addAction(ActionFor(-1, menu)));
  menu->addSeparator();
  for (int i = 0; i < int(config_->Views().size()); ++i) actions_.push_back(group->addAction(ActionFor(i, menu)));
}
