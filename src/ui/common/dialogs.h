#pragma once
// The one seam for message boxes, questions and file dialogs. Windows never open a box
// themselves, so tests can answer questions and catch unexpected boxes.

#include <QString>

class QDialog;
class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Caption "Erro", error icon, OK button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // Caption "Informação", information icon, OK button.
    virtual void Information(QWidget* parent, const QString& text) = 0;
    // Question icon, Sim/Não buttons, Não the default. True for Sim.
    virtual bool Question(QWidget* parent, const QString& caption, const QString& text) = 0;
    // The application's general error report for an error that escaped a handler.
    virtual void ErrorReport(QWidget* parent, const QString& text) = 0;
    // Shows a secondary window modally; returns when it is closed.
    virtual void ShowModal(QDialog& window) = 0;
    // Shows a secondary window beside the main one (not modal): the
    // installer goes on working in the main window meanwhile.
    virtual void Show(QDialog& window) = 0;
    // A save-file dialog without filter or default extension, opened on the
    // suggested name. The chosen path, or empty when the user cancels.
    virtual QString SaveFileName(QWidget* parent, const QString& suggestedName) = 0;
    // A file to open, chosen with one name filter such as "Arquivo BIN (*.bin)";
    // empty when the user cancels.
    virtual QString OpenFile(QWidget* parent, const QString& filter) = 0;
};

class QtDialogs final : public Dialogs {
public:
    void Error(QWidget* parent, const QString& text) override;
    void Information(QWidget* parent, const QString& text) override;
    bool Question(QWidget* parent, const QString& caption, const QString& text) override;
    void ErrorReport(QWidget* parent, const QString& text) override;
    void ShowModal(QDialog& window) override;
    void Show(QDialog& window) override;
    QString SaveFileName(QWidget* parent, const QString& suggestedName) override;
    QString OpenFile(QWidget* parent, const QString& filter) override;

    // Where the open dialog starts (the demo's firmware image); empty: Qt's choice.
    void SetOpenFolder(const QString& folder) { openFolder_ = folder; }

private:
    QString openFolder_;
};
