#pragma once

#include "OleColor.h"

#include <QColor>
#include <QPalette>

// The program's default colours and how they are drawn: on a background that follows a dark
// desktop palette the defaults give way to a dark-palette set (the shipped "dark" scheme's), so
// an untouched setup stays readable. Colours the user chose are drawn as they are.
namespace PaletteColors {

enum class Role { Text, Keyword, Function, String, Comment, Number, GutterBack, GutterNumbers, MarkerBack, MarkerText };

// The defaults of a fresh settings file (light palette).
inline constexpr OleColor Keyword = 0xFF0000;
inline constexpr OleColor Function = 0x800080;
inline constexpr OleColor String = 0x6E6E6E;
inline constexpr OleColor Comment = 0x008000;
inline constexpr OleColor Number = 0x0000C0;
inline constexpr OleColor GutterBack = 0x804000;
inline constexpr OleColor GutterNumbers = 0xFFC080;
inline constexpr OleColor MarkerBack = 0x804000;
inline constexpr OleColor MarkerText = 0xFFFFFF;

// Text against its background and large markings alike are held to this (WCAG AA for text).
inline constexpr double MinimumContrast = 4.5;

// A palette is dark when its window colour is.
bool isDark(const QPalette &palette);
// WCAG 2 contrast ratio, 1 … 21.
double contrast(const QColor &a, const QColor &b);

// The colour a role is drawn in. documentBackground is the text area's colour setting: only while
// it follows the palette (a system colour) and the palette is dark do default colours change.
QColor resolve(Role role, OleColor color, OleColor documentBackground, const QPalette &palette);
QColor resolve(Role role, OleColor color, OleColor documentBackground);
// For a text format, whose role is known by its colour only.
QColor textColor(OleColor color, OleColor documentBackground, const QPalette &palette);
QColor textColor(OleColor color, OleColor documentBackground);

// Selected text: a colour pair readable on the drawn background and also on the grey the editing
// widget shows a selection in while another program holds the primary selection.
struct Selection {
    QColor back;
    QColor text;
};
Selection selection(const QColor &drawnBackground);
// The grey of such a selection.
inline const QColor InactiveSelectionBack{0xB0, 0xB0, 0xB0};

} // namespace PaletteColors
