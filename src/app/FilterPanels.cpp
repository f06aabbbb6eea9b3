#include "app/FilterPanels.h"

#include <QPointer>
#include <QWidget>

#include "app/CustomVReBar.h"
#include "filters/atmosphere/AtmosphericPerspectiveCommand.h"
#include "filters/atmosphere/AtmosphericPerspectivePanel.h"
#include "filters/dof/DepthOfFieldFilter.h"
#include "filters/dof/DepthOfFieldPanel.h"
#include "filters/zone/ZoneFilterCommands.h"
#include "filters/zone/ZonePanels.h"
#include "platform/framework/StringTable.h"

namespace {

// The filter owns its panel, the dock owns the widget: whichever goes first, the other is
// not left holding a dead widget.
class DockedPanel : public FilterPanel {
 public:
  DockedPanel(CCustomVReBar* dock, QWidget* widget, FilterPanel* panel) : dock_(dock), widget_(widget), panel_(panel) {}
  ~DockedPanel() override {
    if (!widget_) return;
    if (dock_) dock_->RemoveBar(widget_);
    delete widget_.data();
  }
  void SyncToPanel() override {
    if (widget_) panel_->SyncToPanel();
  }
  void Refresh(int code) override {
    if (widget_) panel_->Refresh(code);
  }

 private:
  QPointer<CCustomVReBar> dock_;
  QPointer<QWidget> widget_;
  FilterPanel* panel_;
};

template <typename Panel, typename Filter>
std::unique_ptr<FilterPanel> Dock(CCustomVReBar* dock, Filter& filter) {
  auto* panel = new Panel(filter);
  dock->AddNewBar(panel, LoadString(filter.GetDescription().panelTitleStringId));
  panel->SyncToPanel();
  return std::make_unique<DockedPanel>(dock, panel, panel);
}

std::unique_ptr<FilterPanel> MakePanel(CCustomVReBar* dock, DepthFilterCommand& filter) {
  if (auto* dof = dynamic_cast<DepthOfFieldFilter*>(&filter)) return Dock<DepthOfFieldPanel>(dock, *dof);
  if (auto* saturation = dynamic_cast<ZSaturationFilter*>(&filter)) return Dock<ZSaturationPanel>(dock, *saturation);
  if (auto* luminance = dynamic_cast<ZLuminanceFilter*>(&filter)) return Dock<ZLuminancePanel>(dock, *luminance);
  if (auto* hue = dynamic_cast<ZHueFilter*>(&filter)) return Dock<ZHuePanel>(dock, *hue);
  if (auto* fog = dynamic_cast<AtmosphericPerspectiveFilter*>(&filter)) {
    return Dock<AtmosphericPerspectivePanel>(dock, *fog);
  }
  return nullptr;
}

}  // namespace

void InstallDockedFilterPanels(CCustomVReBar* dock) {
  if (!dock) {
    InstallFilterPanelFactory({});
    return;
  }
  QPointer<CCustomVReBar> guarded(dock);
  InstallFilterPanelFactory([guarded](DepthFilterCommand& filter) -> std::unique_ptr<FilterPanel> {
    if (!guarded) return nullptr;
    return MakePanel(guarded, filter);
  });
}
