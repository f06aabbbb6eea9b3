#include "controls/PanelWidgets.h"

#include <algorithm>

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "controls/UiText.h"
#include "controls/CCustomScrollbar.h"
#include "controls/DrawnIcon.h"
#include "controls/ToolBitmapButton.h"
#include "filters/DepthFilterCommand.h"
#include "platform/framework/Command.h"
#include "project/ApplicationFrame.h"
#include "project/ProjectData.h"

namespace {

constexpr QRgb kFace = 0xFFE8E8E8;
constexpr QRgb kFaceLit = 0xFF3C78C8;
constexpr QRgb kEdge = 0xFF707070;

// Button face: a light rounded square, or a blue one while lit.
void DrawFace(QPainter& p, QSize size, bool highlighted) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor::fromRgb(kEdge), 1));
  p.setBrush(QColor::fromRgb(highlighted ? kFaceLit : kFace));
  p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0), 3, 3);
}

void DrawSymbol(QPainter& p, PanelPicture picture, QSizeF s, QColor ink) {
  const double w = s.width(), h = s.height();
  const double cx = w / 2, cy = h / 2;
  p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  switch (picture) {
    case PanelPicture::Field: {
      // Two limits with the sharp zone between them.
      p.drawLine(QPointF(w * 0.25, h * 0.2), QPointF(w * 0.25, h * 0.8));
      p.drawLine(QPointF(w * 0.75, h * 0.2), QPointF(w * 0.75, h * 0.8));
      p.drawLine(QPointF(w * 0.33, cy), QPointF(w * 0.67, cy));
      QPainterPath arrows;
      arrows.moveTo(w * 0.42, cy - h * 0.09);
      arrows.lineTo(w * 0.33, cy);
      arrows.lineTo(w * 0.42, cy + h * 0.09);
      arrows.moveTo(w * 0.58, cy - h * 0.09);
      arrows.lineTo(w * 0.67, cy);
      arrows.lineTo(w * 0.58, cy + h * 0.09);
      p.drawPath(arrows);
      break;
    }
    case PanelPicture::Focus:
      p.drawEllipse(QPointF(cx, cy), w * 0.28, h * 0.28);
      p.drawLine(QPointF(cx, h * 0.12), QPointF(cx, h * 0.34));
      p.drawLine(QPointF(cx, h * 0.66), QPointF(cx, h * 0.88));
      p.drawLine(QPointF(w * 0.12, cy), QPointF(w * 0.34, cy));
      p.drawLine(QPointF(w * 0.66, cy), QPointF(w * 0.88, cy));
      break;
    case PanelPicture::BlurPoint:
      p.drawLine(QPointF(cx, h * 0.15), QPointF(cx, h * 0.85));
      p.drawLine(QPointF(w * 0.2, cy), QPointF(w * 0.8, cy));
      p.setBrush(ink);
      p.drawEllipse(QPointF(cx, cy), w * 0.1, h * 0.12);
      break;
    case PanelPicture::Previous:
    case PanelPicture::Next: {
      const bool next = picture == PanelPicture::Next;
      QPolygonF triangle;
      triangle << QPointF(next ? w * 0.35 : w * 0.65, h * 0.25) << QPointF(next ? w * 0.7 : w * 0.3, cy)
               << QPointF(next ? w * 0.35 : w * 0.65, h * 0.75);
      p.setBrush(ink);
      p.drawPolygon(triangle);
      break;
    }
  }
}


constexpr int kTextMargin = 3;

// The caption as drawn: mnemonic marks out, "&&" as one "&".
QString ShownCaption(const QString& caption) {
  QString shown = caption;
  shown.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&')).replace(QChar(1), QLatin1Char('&'));
  return shown.simplified();
}

QRect TextArea(QSize size) { return QRect(QPoint(kTextMargin, 1), size - QSize(2 * kTextMargin, 2)); }

// Drawn each time at the screen's density, so that the text stays sharp at any scale.
QIcon DrawTextPicture(const QString& caption, const QFont& font, bool highlighted) {
  return DrawnIcon([caption, font, highlighted](QPainter& p, QSizeF area) {
    const QSize size = area.toSize();
    DrawFace(p, size, highlighted);
    p.setFont(font);
    p.setPen(highlighted ? Qt::white : Qt::black);
    p.drawText(TextArea(size), Qt::AlignCenter | Qt::TextWordWrap, ShownCaption(caption));
  });
}

}  // namespace

int DialogUnitsX(const QWidget* widget, int units) {
  return units * QFontMetrics(widget->font()).averageCharWidth() / 4;
}

int DialogUnitsY(const QWidget* widget, int units) { return units * QFontMetrics(widget->font()).height() / 8; }

void SetControlHelp(QWidget* widget, int helpId) {
  widget->setStatusTip(QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 0, helpId)));
  widget->setToolTip(QString::fromStdString(GetCommandHelp(InterfaceLanguage(), 1, helpId)));
}

CCustomScrollbar* MakeValueBar(QWidget* parent, int minimum, int maximum, int value, int helpId) {
  auto* bar = new CCustomScrollbar(parent);
  bar->SetRange(minimum, maximum, value);
  if (helpId) SetControlHelp(bar, helpId);
  return bar;
}

QIcon DrawPanelPicture(PanelPicture picture, bool highlighted) {
  return DrawnIcon([picture, highlighted](QPainter& p, QSizeF size) {
    DrawFace(p, size.toSize(), highlighted);
    DrawSymbol(p, picture, size, highlighted ? QColor(Qt::white) : QColor(30, 30, 30));
  });
}

ToolBitmapButton* MakePictureButton(QWidget* parent, PanelPicture picture, QSize size, int helpId) {
  auto* button = new ToolBitmapButton(parent);
  button->SetBitmaps(DrawPanelPicture(picture, false), DrawPanelPicture(picture, true), QIcon(), size);
  if (helpId) SetControlHelp(button, helpId);
  return button;
}

int TextButtonHeight(const QWidget* widget, int captionId, int width) {
  const QRect room = TextArea(QSize(width, 10000));
  const QRect needed = QFontMetrics(widget->font())
                           .boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, ShownCaption(UiText(captionId)));
  return needed.height() + 2 * kTextMargin + 2;
}

ToolBitmapButton* MakeTextToolButton(QWidget* parent, int captionId, int helpId, QSize size) {
  auto* button = new ToolBitmapButton(parent);
  const QString caption = UiText(captionId);
  // A caption longer than the template's button, in French say, makes the button taller.
  size.setHeight(std::max(size.height(), TextButtonHeight(button, captionId, size.width())));
  button->setText(caption);  // the mnemonic and the accessible name
  button->SetBitmaps(DrawTextPicture(caption, button->font(), false), DrawTextPicture(caption, button->font(), true),
                     QIcon(), size);
  SetControlHelp(button, helpId);
  return button;
}

QPushButton* MakeColourButton(QWidget* parent, int captionId, int helpId) {
  auto* button = new QPushButton(UiText(captionId), parent);
  SetControlHelp(button, helpId);
  return button;
}

void SetColourButtonColour(QPushButton* button, const CRGBColor& colour) {
  const QColor face(colour.Red(), colour.Green(), colour.Blue());
  const QColor ink = face.lightnessF() > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
  button->setProperty("faceColour", QVariant::fromValue(colour.ToValue()));
  button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid #707070;"
                                       " border-radius: 3px; padding: 3px; }")
                            .arg(face.name(), ink.name()));
}

CRGBColor ColourButtonColour(const QPushButton* button) {
  return CRGBColor::FromValue(button->property("faceColour").toUInt());
}

QCheckBox* MakeCheckBox(QWidget* parent, int captionId, int helpId, int width) {
  auto* check = new QCheckBox(parent);
  const QFontMetrics metrics(check->font());
  // Room for the box itself beside the text.
  const int room = width - metrics.height() - 8;
  QStringList lines;
  QString line;
  for (const QString& word : UiText(captionId).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(QString(longer).remove(QLatin1Char('&'))) > room) {
      lines << line;
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.isEmpty()) lines << line;
  check->setText(lines.join(QLatin1Char('\n')));
  if (helpId) SetControlHelp(check, helpId);
  return check;
}

QLabel* MakePictureBox(QWidget* parent, QSize size, int helpId) {
  auto* box = new QLabel(parent);
  box->setFixedSize(size);
  box->setFrameShape(QFrame::Box);
  box->setAlignment(Qt::AlignCenter);
  if (helpId) SetControlHelp(box, helpId);
  return box;
}

bool LaunchDepthTool(DepthFilterCommand& filter, ToolBitmapButton* button, uint32_t toolId, int mode) {
  ApplicationFrame* frame = filter.GetProject().GetFrame();
  if (!frame) return false;
  // A second click on the blinking button ends its tool, as Escape does.
  if (button->RunsItsTool()) {
    frame->EndTool();
    ToolBitmapButton::FollowCurrentCommand();
    return false;
  }
  if (!frame->RunCommand(toolId, kPanelToolRunFlags, mode)) return false;
  button->StartBlink(toolId, mode);
  return true;
}
