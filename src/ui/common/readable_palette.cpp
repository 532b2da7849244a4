#include "ui/common/readable_palette.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

namespace {

// Relative luminance of an sRGB colour.
double Luminance(const QColor& colour)
{
    auto channel = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

// Dark enough on any light grey a style uses for windows and buttons, and
// still lighter than the black of an editable field's text.
const QColor kDisabledText(0x40, 0x40, 0x40);

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void ApplyReadablePalette(QWidget& window)
{
    QPalette palette = window.palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, kDisabledText);
    }
    // A disabled field lies flat on the window's colour, so it reads as
    // "shown, not editable" next to the white of an editable one.
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Active, QPalette::Window));
    window.setPalette(palette);
}
