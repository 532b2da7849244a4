#pragma once
// The one way a window paints a status text in the colour the core gives.

#include <QColor>

#include "core/panel/text_colour.h"

class QWidget;

QColor ColourOf(TextColour colour);
// The widget's text (its window-text role) in that colour.
void SetTextColour(QWidget* widget, TextColour colour);
