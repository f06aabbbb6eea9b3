#pragma once
// The displays and views of the colour configuration named by the OCIO environment variable,
// offered in the View menu for floating-point colour: the configuration's default at start,
// "sRGB (built in)" to go back to the program's own curve. Without the variable nothing is read
// and nothing is offered; a configuration that cannot be used leaves the sRGB curve and a note.

#include <memory>
#include <vector>

#include <QAction>
#include <QObject>
#include <QPointer>
#include <QString>

#include "display/ColourConfig.h"

class ProjectData;
class QMenu;

class ColourViews : public QObject {
  Q_OBJECT

 public:
  // Reads the configuration named by OCIO, if any, and shows its default view.
  ColourViews(ProjectData& project, QObject* parent);
  ~ColourViews() override;

  // Whether a configuration was read and its views are offered.
  bool HasViews() const { return config_ != nullptr; }
  // Why the configuration named by OCIO cannot be used; empty when it can or none is named.
  const QString& Problem() const { return problem_; }
  // The view floating-point colour is shown through ("Test / Square"); empty for the sRGB curve.
  QString CurrentName() const;

  // Adds the "Colour View" submenu at the end of the View menu (nothing without views).
  void AddMenu(QMenu* view);
  // Shows the view at an index of the configuration's views; -1 for the sRGB curve. False (the
  // user told why) when the configuration cannot make it: the view on show stays.
  bool Choose(int index);
  int Chosen() const { return chosen_; }

 Q_SIGNALS:
  void Changed();

 private:
  QAction* ActionFor(int index, QMenu* menu);

  ProjectData& project_;
  std::unique_ptr<ColourConfig> config_;
  QString problem_;
  int chosen_ = -1;
  void CheckChosen();

  std::vector<QPointer<QAction>> actions_;  // of the menu built last: the sRGB curve, then each view
};
