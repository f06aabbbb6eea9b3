#pragma once
// What a filter needs of its settings panel. The desktop program hands its frame a factory of
// real panels (ApplicationFrame::SetPanelFactory); headless sessions have none.

#include <functional>
#include <memory>

class DepthFilterCommand;

// What a panel's Refresh does, as bits: store the edit into the project, bring the controls up
// to date.
constexpr int kRefreshStore = 1;
constexpr int kRefreshControls = 2;

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
