#include "ui/common/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {

// Beside its title a window manager's title bar holds the window's icon and
// its buttons; Qt allows a box only 50 pixels for them, so a short text
// ("Versão nova OK.") left "Informação" cut to "Info…ção".
constexpr int kTitleBarControls = 160;

// Shows the box, at least as wide as its whole title in a bold title font.
void ExecWithWholeTitle(QMessageBox& box)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleBarControls;
    // The box fixes its own size from its layout's minimum on every show,
    // so the width is asked for there.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box.exec();
}

}  // namespace

void QtDialogs::Error(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erro"), text, QMessageBox::Ok, parent);
    ExecWithWholeTitle(box);
}

void QtDialogs::Information(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Informação"), text, QMessageBox::Ok, parent);
    ExecWithWholeTitle(box);
}

bool QtDialogs::Question(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    ExecWithWholeTitle(box);
    return box.clickedButton() == yes;
}

void QtDialogs::ErrorReport(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    ExecWithWholeTitle(box);
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
