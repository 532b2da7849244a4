#include "ui/common/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

void QtDialogs::Error(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::Information(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Informação"), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::Question(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtDialogs::ErrorReport(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::ShowModal(QDialog& window) { window.exec(); }

void QtDialogs::Show(QDialog& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

namespace {

// Non-native, so that what the user sees is the same on every platform; at
// least as large as a laptop's screen allows long file names to be read
// (Qt's own size shows a few columns).
void PrepareFileDialog(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(760, 460)));
}

}  // namespace

QString QtDialogs::SaveFileName(QWidget* parent, const QString& suggestedName)
{
    QFileDialog dialog(parent);
    PrepareFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

QString QtDialogs::OpenFile(QWidget* parent, const QString& filter)
{
    QFileDialog dialog(parent);
    PrepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(filter);
    if (!openFolder_.isEmpty()) dialog.setDirectory(openFolder_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}
