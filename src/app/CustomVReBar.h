#pragma once
// The left dock of the main window: a column of titled bars, each holding one panel (the
// filter's settings, the animation settings). Hidden while it holds none. When the column is
// taller than the window it scrolls, and the dock widens by the scroll bar rather than cut
// the panels on the right.

#include <string>
#include <vector>

#include <QDockWidget>

class QScrollArea;
class QVBoxLayout;

class CCustomVReBar : public QDockWidget {
  Q_OBJECT

 public:
  explicit CCustomVReBar(QWidget* parent = nullptr);

  // Adds a panel under a title at the bottom of the column; the dock takes the widget.
  void AddNewBar(QWidget* panel, const std::string& title);
  // Adds a panel that stays at the bottom: bars added later go above it.
  void AddBottomBar(QWidget* panel, const std::string& title);
  // Takes a panel out (the caller deletes it); false when it is not in the dock.
  bool RemoveBar(QWidget* panel);
  int GetBarCount() const { return int(bars_.size()); }
  QWidget* GetBar(int index) const { return bars_[size_t(index)].panel; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The narrowest the dock may be: the panels' own width, and the scroll bar's when shown.
  void FitWidth();

  struct Bar {
    QWidget* panel;
    QWidget* frame;
  };
  QWidget* AddFrame(QWidget* panel, const std::string& title, int position);

  std::vector<Bar> bars_;
  QVBoxLayout* column_;
  QScrollArea* scroller_;
  QWidget* content_;
  QWidget* bottomFrame_ = nullptr;
};
