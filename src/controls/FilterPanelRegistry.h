#pragma once
// The desktop side of the filter registry: each filter's panel file registers how its panel
// is made and how its filter changes the filter list's picture. The application finds panels
// here and includes none of them.

#include <cstdint>
#include <functional>

#include <QColor>
#include <QImage>

class DepthFilterCommand;
class FilterPanel;
class QWidget;

// A panel is a widget and the filter's view of it, usually one object.
struct PanelParts {
  QWidget* widget = nullptr;
  FilterPanel* panel = nullptr;
};

// How a filter changes one layer of the filter list's landscape at distance t (0 near, 1 far).
using PictureEffect = std::function<void(QImage& layer, double t)>;

// What the status bar says a pick of the depth point tool sets, by the tool's mode (string
// ids); 0 keeps the usual text (a depth, a background, a foreground).
struct PickHints {
  int atPoint = 0;
  int fartherThanReference = 0;
  int nearerThanReference = 0;
};

struct FilterPanelEntry {
  uint32_t commandId;
  // A new panel (owned by the caller) for the filter; null parts when it cannot be made.
  std::function<PanelParts(DepthFilterCommand& filter)> createPanel;
  PictureEffect pictureEffect;
  PickHints pickHints = {};
};

// Throws std::logic_error for a filter that has a panel already: the program refuses to start.
void RegisterFilterPanel(const FilterPanelEntry& entry);
// The entry of a filter's command id; null when the filter has no panel.
const FilterPanelEntry* FindFilterPanel(uint32_t commandId);

struct FilterPanelRegistration {
  explicit FilterPanelRegistration(const FilterPanelEntry& entry) { RegisterFilterPanel(entry); }
};

// The panel maker of a panel class that is both the widget and the FilterPanel.
template <typename Panel, typename Filter>
PanelParts MakePanel(DepthFilterCommand& filter) {
  auto* panel = new Panel(static_cast<Filter&>(filter));
  return {panel, panel};
}

// Helpers for picture effects: a change applied to each visible pixel, and a colour mix.
void ForEachPixel(QImage& layer, const std::function<QColor(const QColor&)>& change);
QColor MixColours(const QColor& a, const QColor& b, double t);
