#pragma once
// Values read from the panel sit in disabled controls while a page is in
// view state. The platform draws disabled text and marks faint (about
// 1.6:1 against their background); this palette keeps them readable (at
// least 4.5:1, the usual accessibility threshold) while a disabled field
// still looks unlike an editable one: flat, on the window's grey.

#include <QColor>

class QWidget;

// Gives a window (and so its children) the readable disabled colours.
void ApplyReadablePalette(QWidget& window);

// The contrast ratio of two colours, from 1 (none) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);
