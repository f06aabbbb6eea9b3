#pragma once
// Start-up measurement: with FOVARA_QUIT_WHEN_READY set, the program prints how long after
// the process started its window was first painted, then quits. The start-up benchmark
// runs it this way.

class QWidget;

// Watches the first paint of the widget when the variable is set; does nothing otherwise.
void QuitWhenReadyIfAsked(QWidget* painted);
