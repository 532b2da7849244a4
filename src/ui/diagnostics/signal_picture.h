#pragma once
// One picture of the signal indicator: five rising bars, the first `bars`
// of them filled; with no bars, the outline crossed out. Painted by the
// widget itself, so the tool carries no image files.

#include <QWidget>

class SignalPicture : public QWidget {
public:
    SignalPicture(const QString& objectName, int bars, QWidget* parent = nullptr);
    int Bars() const { return bars_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int bars_;
};
