#pragma once
// A secondary window (firmware update, Debug, enrolment): its show step runs
// when the window is opened, not when Qt shows it again as the user restores
// it from minimised (that show event is spontaneous). Mid-run, a restore
// must not blank what the window is showing.

#include <QDialog>
#include <QShowEvent>

class SecondaryWindow : public QDialog {
public:
    using QDialog::QDialog;

protected:
    // The window's own show step.
    virtual void Opening() = 0;

    void showEvent(QShowEvent* event) override
    {
        QDialog::showEvent(event);
        if (!event->spontaneous()) Opening();
    }
};
