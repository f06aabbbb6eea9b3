#pragma once
// Each filter's settings panel in the main window's left dock while the filter is open.

class CCustomVReBar;

// Installs the panel factory of the filters: each panel goes into the dock under its title.
// A null dock uninstalls it (filters then open without a panel).
void InstallDockedFilterPanels(CCustomVReBar* dock);
