#include "ui/diagnostics/signal_picture.h"

#include <QPainter>

namespace {

constexpr int kBarCount = 5;
constexpr int kBarWidth = 6;
constexpr int kBarGap = 2;
constexpr int kHeight = 24;

}  // namespace

SignalPicture::SignalPicture(const QString& objectName, int bars, QWidget* parent) : QWidget(parent), bars_(bars)
{
    setObjectName(objectName);
    setFixedSize(sizeHint());
}

QSize SignalPicture::sizeHint() const
{
    return {kBarCount * (kBarWidth + kBarGap) + kBarGap, kHeight};
}

void SignalPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor filled = bars_ >= 3 ? QColor(0, 128, 0) : bars_ >= 1 ? QColor(224, 160, 0) : QColor(160, 160, 160);
    for (int bar = 0; bar < kBarCount; ++bar) {
        const int height = (kHeight - 4) * (bar + 1) / kBarCount;
        const QRect rect(kBarGap + bar * (kBarWidth + kBarGap), kHeight - 2 - height, kBarWidth, height);
        painter.setPen(QColor(96, 96, 96));
        painter.setBrush(bar < bars_ ? filled : QColor(255, 255, 255, 0));
        painter.drawRect(rect);
    }
    if (bars_ == 0) {
        painter.setPen(QPen(QColor(255, 0, 0), 2));
        painter.drawLine(2, 2, width() - 3, kHeight - 3);
        painter.drawLine(2, kHeight - 3, width() - 3, 2);
    }
}
