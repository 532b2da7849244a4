#pragma once
// Small builders for the rows of a configuration tab: a caption, the named
// control, and a hint beside it. Layout only; no values pass through here.

#include <QString>

#include <QStringList>

class QGridLayout;
class QLabel;
class QLineEdit;
class QValidator;
class QWidget;

QLabel* AddLabel(QGridLayout* grid, int row, int column, const QString& text, QWidget* parent);
// A named edit; maxLength 0 leaves the length open.
QLineEdit* MakeEdit(const QString& objectName, int maxLength, QWidget* parent);
// "Caption:" [edit] "(hint)" on one row of the grid.
QLineEdit* AddEditRow(QGridLayout* grid, int row, const QString& objectName, const QString& caption,
                      const QString& hint, int maxLength, QWidget* parent);

// Named cells of a code side by side in one cell of the grid, left to
// right, each as wide as two hexadecimal digits (maxLength 0: open).
void AddCodeCells(QGridLayout* grid, int row, int column, const QStringList& names, int maxLength, bool enabled,
                  QWidget* parent);

// Refuses characters that Windows-1252 cannot carry, so no typed text is
// lost on its way to the panel.
QValidator* MakeCp1252Validator(QWidget* parent);
