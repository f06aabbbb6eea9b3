#pragma once
// Each filter's settings panel in the main window's left dock while the filter is open.

#include "filters/FilterPanel.h"

class CCustomVReBar;

// The panel factory of the filters: each panel goes into the dock under its title.
FilterPanelFactory DockedFilterPanels(CCustomVReBar* dock);
