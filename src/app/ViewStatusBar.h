#pragma once
// The status bar: the command help while a menu entry or button is hovered, and beside it
// the pixel under the cursor, its colour (as shown, or the linear light of floating-point
// colour), its depth, the zoom and the exposure of floating-point colour (with the colour
// configuration's view as its note).

#include <QStatusBar>

class ProjectData;
class QLabel;

class ViewStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit ViewStatusBar(QWidget* parent = nullptr);

  // The pixel under the cursor; outside the image the fields are emptied.
  void ShowPointer(const ProjectData& project, int x, int y, bool inside);
  // A zoom of 0 clears the field (nothing is shown).
  void ShowZoom(double zoom);
  // The exposure while the picture on show has floating-point colour; empty otherwise.
  void ShowExposure(const ProjectData& project);
  // The note on the exposure: why the colour configuration cannot be used, else the
  // configuration's view on show; none for the sRGB curve.
  void ShowColourView(const QString& view, const QString& problem);
  QString PositionText() const;
  QString ColourText() const;
  QString DepthText() const;
  QString ZoomText() const;
  QString ExposureText() const;
  QString ExposureNote() const;

 private:
  QLabel* position_;
  QLabel* swatch_;
  QLabel* colour_;
  QLabel* depth_;
  QLabel* zoom_;
  QLabel* exposure_;
};
