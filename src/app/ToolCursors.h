#pragma once
// Mouse cursors of the tools, drawn by the program so that they stay sharp at any scale.

#include <cstdint>

#include <QCursor>

// The cursor for a command: the navigation tools have their own; other commands name
// theirs by cursor id (the default arrow for an id the program does not know).
QCursor CursorForCommand(uint32_t commandId, int cursorId);
