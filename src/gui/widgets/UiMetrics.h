#pragma once
// Shared look: the "宋体" font and sizes given in twips.
#include <QFont>

// 15 twips are one pixel at 96 dpi.
constexpr int Twips(int twips) {
    return (twips + 7) / 15;
}

// "宋体" at the given size; fontconfig alone maps the name to a font without
// Chinese glyphs, so the substitutes are installed once at start-up.
QFont SongTi(int pointSize = 9);
void InstallFontSubstitutions();
