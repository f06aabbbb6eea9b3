#pragma once
// What a filter needs of its settings panel. The desktop program supplies real panels through
// the factory below; headless sessions have none.

#include <functional>
#include <memory>

class DepthFilterCommand;

class FilterPanel {
 public:
  virtual ~FilterPanel() = default;
  // Copies the command's current settings and options into the controls.
  virtual void SyncToPanel() = 0;
  // Redraws what depends on the settings (graphs, pictures); code as the panel defines it.
  virtual void Refresh(int code) { (void)code; SyncToPanel(); }
};

// Creates the panel of a filter when it opens; null means the panel could not be created.
using FilterPanelFactory = std::function<std::unique_ptr<FilterPanel>(DepthFilterCommand&)>;
// Installed by the desktop program; while none is installed filters open without a panel.
void InstallFilterPanelFactory(FilterPanelFactory factory);
const FilterPanelFactory& GetFilterPanelFactory();
