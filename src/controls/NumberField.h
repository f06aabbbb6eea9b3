#pragma once
// A field for one number of a panel: a blur amount, a depth, an intensity. It shows the number
// as the interface language writes it (a decimal comma in French) and takes either separator
// when typed. What is typed beyond the range is brought back to it and shown so; a field left
// with text that is no number shows its value again. Up and Down step the value.

#include <QLineEdit>
#include <optional>

class NumberField : public QLineEdit {
  Q_OBJECT
 public:
  NumberField(double minimum, double maximum, int decimals, QWidget* parent = nullptr);

  void SetRange(double minimum, double maximum);
  double GetMinimum() const { return minimum_; }
  double GetMaximum() const { return maximum_; }
  // Shows a value (brought into the range); no signal.
  void SetValue(double value);
  double GetValue() const { return value_; }
  // Whether each keystroke that makes a number within the range is taken at once (a whole
  // amount), or only Return and leaving the field take what was typed (a depth, whose digits
  // pass through values that would move other settings).
  void SetLive(bool live) { live_ = live; }
  // How far Up and Down move the value (1 unless set).
  void SetStep(double step) { step_ = step; }
  // Digits after the separator (a depth of a few units needs more than one of thousands).
  void SetDecimals(int decimals);
  int GetDecimals() const { return decimals_; }

  // The number as the field writes it, and the number a text means (nothing for no number).
  QString Format(double value) const;
  static std::optional<double> Parse(const QString& text);

 Q_SIGNALS:
  // The user typed or stepped to a new value, within the range.
  void ValueEdited(double value);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void OnTextEdited(const QString& text);
  // Takes the text: brought into the range and shown, told when it changed.
  void Commit();
  void Take(double value);

  double minimum_;
  double maximum_;
  int decimals_;
  double value_;
  double step_ = 1.0;
  bool live_ = false;
};
