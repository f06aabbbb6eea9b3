#include "support/TestOnlyFilterPanel.h"

#include <QVBoxLayout>

#include "controls/CCustomScrollbar.h"
#include "controls/FilterPanelRegistry.h"
#include "controls/PanelWidgets.h"
#include "support/TestOnlyFilter.h"

namespace {

constexpr int kPercent = 100;

// The filter list's picture: the farther, the more inverted.
void Invert(QImage& layer, double t) {
  ForEachPixel(layer, [t](const QColor& c) {
    return MixColours(c, QColor(255 - c.red(), 255 - c.green(), 255 - c.blue(), c.alpha()), t);
  });
}

const FilterPanelRegistration kRegistration({TestOnlyFilter::kDescription.id,
                                             MakePanel<TestOnlyFilterPanel, TestOnlyFilter>, Invert});

}  // namespace

TestOnlyFilterPanel::TestOnlyFilterPanel(TestOnlyFilter& filter) : filter_(filter) {
  setObjectName(QStringLiteral("TestOnlyFilterPanel"));
  auto* layout = new QVBoxLayout(this);
  amount_ = MakeValueBar(this, 0, kPercent, 0, 0);
  layout->addWidget(amount_);
}

void TestOnlyFilterPanel::SyncToPanel() {
  const auto& settings = static_cast<const TestOnlySettings&>(filter_.GetCurrentSettings());
  amount_->SetRange(0, kPercent, int(settings.Amount * kPercent + 0.5f));
}
