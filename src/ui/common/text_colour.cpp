#include "ui/common/text_colour.h"

#include <QPalette>
#include <QWidget>

QColor ColourOf(TextColour colour)
{
    switch (colour) {
    case TextColour::Green: return QColor(0, 128, 0);
    case TextColour::Red: return QColor(255, 0, 0);
    case TextColour::Blue: break;
    }
    return QColor(0, 0, 255);
}

void SetTextColour(QWidget* widget, TextColour colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ColourOf(colour));
    widget->setPalette(palette);
}
