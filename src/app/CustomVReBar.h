#pragma once
// The left dock of the main window: a column of titled bars, each holding one panel (the
// filter's settings, the animation settings). Hidden while it holds none.

#include <string>
#include <vector>

#include <QDockWidget>

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

 private:
  struct Bar {
    QWidget* panel;
    QWidget* frame;
  };
  QWidget* AddFrame(QWidget* panel, const std::string& title, int position);

  std::vector<Bar> bars_;
  QVBoxLayout* column_;
  QWidget* bottomFrame_ = nullptr;
};
