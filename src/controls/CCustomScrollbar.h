#pragma once
// The settings panels' value bar: a left arrow, a track filled up to the value and a right
// arrow. An arrow held down steps the value at once and then every 333 ms, by whole steps the
// same both ways (a tenth of the range unless set); the track follows the mouse while
// dragged. The parent hears the value the user settles on once, when he lets go; a field
// beside the bar can follow it meanwhile.

#include <QTimer>
#include <QWidget>

class CCustomScrollbar : public QWidget {
  Q_OBJECT
 public:
  enum State { kIdle = 0, kRepeatUp = 1, kRepeatDown = 2, kDragging = 3 };

  static constexpr int kRepeatMs = 333;

  explicit CCustomScrollbar(QWidget* parent = nullptr);

  // The track's width in device-independent pixels (120 unless set); the bar resizes.
  void SetTrackWidth(int width);
  // The width within which the bar is centred; 0 takes the parent's width.
  void SetParentWidth(int width);
  // Range and value. Unchanged range and value change nothing; otherwise the value is
  // clamped into the range and the bar repaints. Nothing is reported to the parent.
  void SetRange(int minimum, int maximum, int value);
  // The step of the arrows; 0 gives a tenth of the range (at least 1).
  void SetStep(int step) { step_ = step; }
  int GetStep() const;
  // The value truncated toward zero.
  int GetValue() const { return int(value_); }
  float GetExactValue() const { return value_; }
  int GetMinimum() const { return minimum_; }
  int GetMaximum() const { return maximum_; }
  State GetState() const { return state_; }

  // Pieces of the bar, in its own coordinates.
  QRect LeftArrowRect() const;
  QRect TrackRect() const;
  QRect RightArrowRect() const;

  QSize sizeHint() const override;

 Q_SIGNALS:
  // The value the user left the bar at, truncated; sent once per press, on release.
  void ValueReleased(CCustomScrollbar* bar, int value);
  // The value shown while the user drags the track or holds an arrow, truncated.
  void ValueMoved(CCustomScrollbar* bar, int value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Press(int x);
  void Step(int direction);
  void SetValueFromTrack(int x);
  void SetValue(float value);
  void RepeatTick();
  void EndPress();
  void LayOut();
  int TrackWidth() const;
  int ArrowWidth() const;
  int BarWidth() const;

  QTimer repeat_;
  State state_ = kIdle;
  bool pressed_ = false;
  float value_ = 0.0f;
  int minimum_ = 0;
  int maximum_ = 100;
  int parentWidth_ = 0;
  int trackWidth_ = 120;
  int step_ = 0;
};
