#include "controls/FilterPanelRegistry.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/framework/FourCC.h"

namespace {

// Filled by static registrations before main, whichever file registers first.
std::vector<FilterPanelEntry>& Entries() {
  static std::vector<FilterPanelEntry> entries;
  return entries;
}

}  // namespace

void RegisterFilterPanel(const FilterPanelEntry& entry) {
  if (FindFilterPanel(entry.commandId)) {
    throw std::logic_error("a second panel registered for filter " + FourCCToString(entry.commandId));
  }
  Entries().push_back(entry);
}

const FilterPanelEntry* FindFilterPanel(uint32_t commandId) {
  for (const FilterPanelEntry& entry : Entries()) {
    if (entry.commandId == commandId) return &entry;
  }
  return nullptr;
}

void ForEachPixel(QImage& layer, const std::function<QColor(const QColor&)>& change) {
  for (int y = 0; y < layer.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(layer.scanLine(y));
    for (int x = 0; x < layer.width(); ++x) {
      if (qAlpha(row[x]) == 0) continue;
      QColor c = QColor::fromRgba(qUnpremultiply(row[x]));
      row[x] = qPremultiply(change(c).rgba());
    }
  }
}

QColor MixColours(const QColor& a, const QColor& b, double t) {
  auto channel = [t](int x, int y) { return int(x + (y - x) * t + 0.5); };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                a.alpha());
}
