#include "controls/NumberField.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <cmath>

#include "platform/framework/StringTable.h"
#include "controls/UiText.h"

NumberField::NumberField(double minimum, double maximum, int decimals, QWidget* parent)
    : QLineEdit(parent), minimum_(minimum), maximum_(maximum), decimals_(decimals), value_(minimum) {
  // Digits, a sign where the range goes below 0, and one separator, either one, for decimals.
  QString pattern = minimum < 0 ? QStringLiteral("-?[0-9]*") : QStringLiteral("[0-9]*");
  if (decimals > 0) pattern += QStringLiteral("([.,][0-9]*)?");
  setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
  setAlignment(Qt::AlignRight);
  connect(this, &QLineEdit::textEdited, this, &NumberField::OnTextEdited);
  connect(this, &QLineEdit::returnPressed, this, &NumberField::Commit);
  setText(Format(value_));
}

void NumberField::SetRange(double minimum, double maximum) {
  minimum_ = std::min(minimum, maximum);
  maximum_ = std::max(minimum, maximum);
  SetValue(value_);
}

void NumberField::SetDecimals(int decimals) {
  if (decimals == decimals_) return;
  decimals_ = decimals;
  setText(Format(value_));
}

QString NumberField::Format(double value) const { return QString::fromStdString(FormatDecimal(InterfaceLanguage(), value, decimals_)); }

std::optional<double> NumberField::Parse(const QString& text) {
  QString plain = text.trimmed();
  plain.replace(QLatin1Char(','), QLatin1Char('.'));
  bool number = false;
  const double value = plain.toDouble(&number);
  if (!number || !std::isfinite(value)) return std::nullopt;
  return value;
}

void NumberField::SetValue(double value) {
  value_ = std::clamp(value, minimum_, maximum_);
  const QString shown = Format(value_);
  // A field being typed in keeps its text while it means the same number.
  const auto typed = Parse(text());
  if (!typed || Format(*typed) != shown) setText(shown);
}

void NumberField::Take(double value) {
  const double clamped = std::clamp(value, minimum_, maximum_);
  const bool changed = Format(clamped) != Format(value_);
  value_ = clamped;
  if (changed) Q_EMIT ValueEdited(value_);
}

void NumberField::OnTextEdited(const QString& text) {
  const auto typed = Parse(text);
  if (!typed) return;
  if (*typed > maximum_) {
    // Beyond the range: the field says at once what it takes.
    setText(Format(maximum_));
    Take(maximum_);
    return;
  }
  if (live_ && *typed >= minimum_) Take(*typed);
}

void NumberField::Commit() {
  const auto typed = Parse(text());
  if (typed) Take(*typed);
  setText(Format(value_));
}

void NumberField::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    const auto typed = Parse(text());
    const double from = typed ? std::clamp(*typed, minimum_, maximum_) : value_;
    Take(from + (event->key() == Qt::Key_Up ? step_ : -step_));
    setText(Format(value_));
    selectAll();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void NumberField::focusOutEvent(QFocusEvent* event) {
  // The user moved elsewhere: what he typed counts. A field going away with its panel (the
  // project closes) changes nothing; a window left for another keeps the typing.
  const Qt::FocusReason reason = event->reason();
  const bool byUser = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                      reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
  if (byUser && isVisible()) Commit();
  else if (!isVisible()) setText(Format(value_));
  QLineEdit::focusOutEvent(event);
}
