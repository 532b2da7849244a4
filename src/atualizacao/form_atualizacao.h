#pragma once
// The firmware update window, shown modally from the main window.

#include <QDialog>

class TFormAtualizacao : public QDialog {
    Q_OBJECT
public:
    explicit TFormAtualizacao(QWidget* parent = nullptr);
};
