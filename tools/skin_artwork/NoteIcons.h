#pragma once
// The icons: the tray's idle note, its eight turning frames, and the
// application icon.

#include "tools/skin_artwork/Canvas.h"

// A beamed pair of eighth notes, 16 x 16, in `color`, turned clockwise by
// `degrees` about the centre, with a faint light rim so it shows on dark
// panels too.
Canvas DrawNoteIcon(Rgba color, float degrees);

// The application icon at `size` (16 or 32): the note on a dark tile.
Canvas DrawAppIcon(int size);
