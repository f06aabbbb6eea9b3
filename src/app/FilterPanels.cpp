#include "app/FilterPanels.h"

#include <QPointer>
#include <QWidget>

#include "app/CustomVReBar.h"
#include "controls/FilterPanelRegistry.h"
#include "filters/DepthFilterCommand.h"
#include "controls/UiText.h"

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

std::unique_ptr<FilterPanel> MakePanel(CCustomVReBar* dock, DepthFilterCommand& filter) {
  const FilterPanelEntry* entry = FindFilterPanel(filter.GetID());
  if (!entry) return nullptr;
  PanelParts parts = entry->createPanel(filter);
  if (!parts.widget || !parts.panel) return nullptr;
  dock->AddNewBar(parts.widget, UiString(filter.GetDescription().panelTitleStringId));
  parts.panel->SyncToPanel();
  return std::make_unique<DockedPanel>(dock, parts.widget, parts.panel);
}

}  // namespace

FilterPanelFactory DockedFilterPanels(CCustomVReBar* dock) {
  QPointer<CCustomVReBar> guarded(dock);
  return [guarded](DepthFilterCommand& filter) -> std::unique_ptr<FilterPanel> {
    if (!guarded) return nullptr;
    return MakePanel(guarded, filter);
  };
}
