// A tiny bitmap font for the logo's lettering: lower-case glyphs on a grid
// of 5 columns by 9 rows; rows 0..6 stand on the baseline, rows 7 and 8 hold
// descenders. Only the letters the logo spells are defined.
#ifndef PALEOVIZ_TOOLS_LOGO_FONT_H
#define PALEOVIZ_TOOLS_LOGO_FONT_H

constexpr int glyphColumns = 5;
constexpr int glyphRows = 9;
constexpr int glyphGap = 1;  // empty columns between letters

// True when font pixel (col, row) of letter c is set; false outside the grid
// and for letters the font lacks.
bool glyphCovers(char c, int col, int row);

// True when font pixel (col, row) of a line of text, measured from the left
// edge of its first letter, is set.
bool textCovers(const char* text, int col, int row);

// Width of a line of text in font pixels.
int textColumns(const char* text);

#endif
