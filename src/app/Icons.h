#pragma once
// The program's icons, drawn as SVG so that they stay crisp at any scale.

#include <cstdint>

#include <QIcon>

QIcon ProgramIcon();
// The icon of a file command (New, Open, Save), a navigation command or a command's bitmap
// id; a null icon when the program has none.
QIcon IconNamed(const char* name);
QIcon IconForCommand(uint32_t commandId, int bitmapId);
