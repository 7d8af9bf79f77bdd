#include "logo_font.h"

#include <cstring>

namespace {

struct Glyph {
    char letter;
    const char* rows[glyphRows];  // '#' set, '.' clear
};

constexpr Glyph glyphs[] = {
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", ".....", "....."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###.", ".....", "....."}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###.", ".....", "....."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#..", ".....", "....."}},
    {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####", ".....", "....."}},
};

const Glyph* findGlyph(char c)
{
    for (const Glyph& g : glyphs)
        if (g.letter == c)
            return &g;
    return nullptr;
}

}  // namespace

bool glyphCovers(char c, int col, int row)
{
    if (col < 0 || col >= glyphColumns || row < 0 || row >= glyphRows)
        return false;
    const Glyph* g = findGlyph(c);
    return g != nullptr && g->rows[row][col] == '#';
}

int textColumns(const char* text)
{
    const int n = static_cast<int>(std::strlen(text));
    return n == 0 ? 0 : n * (glyphColumns + glyphGap) - glyphGap;
}

bool textCovers(const char* text, int col, int row)
{
    if (col < 0 || col >= textColumns(text))
        return false;
    const int pitch = glyphColumns + glyphGap;
    return glyphCovers(text[col / pitch], col % pitch, row);
}
