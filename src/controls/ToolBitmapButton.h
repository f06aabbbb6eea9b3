#pragma once
// A panel's picture button that launches a tool. While the tool it launched runs, the
// button blinks once a second. The depth picker is one tool launched by several buttons in
// different modes, so only the button that launched the mode now running blinks.

#include <QAbstractButton>
#include <QIcon>
#include <QTimer>
#include <cstdint>
#include <functional>

class ToolBitmapButton : public QAbstractButton {
  Q_OBJECT
 public:
  static constexpr int kBlinkMs = 1000;

  explicit ToolBitmapButton(QWidget* parent = nullptr);
  ~ToolBitmapButton() override;

  // The id of the command the program runs now, 0 when none. The program sets it once.
  static void SetCurrentCommandQuery(std::function<uint32_t()> query);
  // The mode of the tool launched last by any button.
  static int LastLaunchedMode();

  // Normal, highlighted (pressed or blinking; may be null) and disabled (may be null)
  // pictures, drawn at the given size. The same pictures again change nothing.
  void SetBitmaps(const QIcon& normal, const QIcon& highlighted, const QIcon& disabled, QSize size);

  // Called right after this button asked the frame to run a tool.
  void StartBlink(uint32_t toolId, int mode);
  bool IsBlinking() const { return blink_.isActive(); }
  // True while the tool this button launched runs in the mode it launched it with.
  bool RunsItsTool() const { return LaunchedCurrentMode(); }
  // Every button whose tool ended stops blinking at once, rather than at its next tick.
  static void FollowCurrentCommand();
  // True while the highlighted picture is shown.
  bool ShowsHighlight() const;

  QSize sizeHint() const override { return size_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void BlinkTick();
  void StopBlink();
  bool LaunchedCurrentMode() const;

  QIcon normal_;
  QIcon highlighted_;
  QIcon disabled_;
  QSize size_{24, 24};
  QTimer blink_;
  uint32_t toolId_ = 0;
  int toolMode_ = 0;
  int phase_ = 0;
};
