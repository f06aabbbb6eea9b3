#pragma once
// Pieces every settings panel is built from: help texts from the string table, the value
// bars, the tool buttons with their drawn pictures, colour and picture buttons, and the
// launch of a depth tool from a button.

#include <cstdint>

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

#include "platform/framework/Colour.h"

class CCustomScrollbar;
class DepthFilterCommand;
class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;
class ToolBitmapButton;

// The run flags a panel passes when it launches a depth tool.
constexpr int kPanelToolRunFlags = 32;

// Dialog units of the panels' layouts, in pixels for the widget's font.
int DialogUnitsX(const QWidget* widget, int units);
int DialogUnitsY(const QWidget* widget, int units);

// The prompt (status bar) and tooltip of a control from its help string; a help string without
// a tooltip line gives the prompt as the tooltip.
void SetControlHelp(QWidget* widget, int helpId);

// A value bar over the panel's width with its range and value.
CCustomScrollbar* MakeValueBar(QWidget* parent, int minimum, int maximum, int value, int helpId);

// The pictures of the panels' bitmap buttons: field, focus, blur point, previous, next.
enum class PanelPicture { Field, Focus, BlurPoint, Previous, Next };
// Drawn at whatever size and density it is shown.
QIcon DrawPanelPicture(PanelPicture picture, bool highlighted);
ToolBitmapButton* MakePictureButton(QWidget* parent, PanelPicture picture, QSize size, int helpId);
// The height a caption needs on a button of that width, one line or several.
int TextButtonHeight(const QWidget* widget, int captionId, int width);
// A tool button showing its caption (an "&" marks the mnemonic), one or two lines.
ToolBitmapButton* MakeTextToolButton(QWidget* parent, int captionId, int helpId, QSize size);

// A push button whose face is a colour.
QPushButton* MakeColourButton(QWidget* parent, int captionId, int helpId);
void SetColourButtonColour(QPushButton* button, const CRGBColor& colour);
CRGBColor ColourButtonColour(const QPushButton* button);

// A check box whose text is broken into lines that fit the width.
QCheckBox* MakeCheckBox(QWidget* parent, int captionId, int helpId, int width);

// A framed picture of a fixed size (the graph, the diaph, the ramp).
QLabel* MakePictureBox(QWidget* parent, QSize size, int helpId);

// Runs a depth tool for the filter and lets the button blink while it runs; a click on the
// button while its tool runs ends the tool instead. False when no tool was started.
bool LaunchDepthTool(DepthFilterCommand& filter, ToolBitmapButton* button, uint32_t toolId, int mode);
