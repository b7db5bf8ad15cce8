#pragma once
// Label text in the scene: 256 bitmap display lists, one per Latin-1 code, drawn with
// glListBase(base) and glCallLists after glRasterPos.

#include <QFont>

namespace lw::gl {

// Compiles the glyphs of `font` into lists base..base + 255 of the current context. Needs a
// QGuiApplication (fonts).
void buildFontLists(int base, const QFont& font);
// Draws `text` at the current raster position with the lists at `base` (0 = no font).
void drawLabel(int base, const char* text);

} // namespace lw::gl
