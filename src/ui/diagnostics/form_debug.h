#pragma once
// The diagnostic monitor window, shown modally from the main window.

#include <QDialog>

class TFormDebug : public QDialog {
    Q_OBJECT
public:
    explicit TFormDebug(QWidget* parent = nullptr);
};
