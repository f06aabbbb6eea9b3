#pragma once
// The test-only filter's panel: one value bar for its amount, built from the panels' pieces.

#include <QWidget>

#include "filters/FilterPanel.h"

class CCustomScrollbar;
class TestOnlyFilter;

class TestOnlyFilterPanel : public QWidget, public FilterPanel {
 public:
  explicit TestOnlyFilterPanel(TestOnlyFilter& filter);
  void SyncToPanel() override;
  CCustomScrollbar* AmountBar() const { return amount_; }

 private:
  TestOnlyFilter& filter_;
  CCustomScrollbar* amount_;
};
