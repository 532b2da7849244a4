#pragma once
// Row builders for tabs with choices: the grid a tab's rows go in, and a
// captioned row of radio buttons that form a group of their own. Layout
// only; no values pass through here.

#include <QList>
#include <QPair>
#include <QString>

class QGridLayout;
class QRadioButton;
class QVBoxLayout;
class QWidget;

// The grid a tab's rows go in, with the space below it left empty.
QGridLayout* AddPageGrid(QVBoxLayout* body);
// The same at the top of a sub-page of an inner notebook.
QGridLayout* AddSubPageGrid(QWidget* page);

// Object name and caption of one button.
using NamedCaption = QPair<QString, QString>;

// "Caption:" then the buttons side by side, exclusive among themselves only
// (other groups with the same parent stay independent), then "(hint)" if any;
// without a hint the buttons take the hint's column as well.
QList<QRadioButton*> AddRadioRow(QGridLayout* grid, int row, const QString& caption,
                                 const QList<NamedCaption>& buttons, QWidget* parent,
                                 const QString& hint = {});
// "Caption:" beside the buttons stacked one above the other, for captions
// too long to sit side by side; exclusive among themselves only.
QList<QRadioButton*> AddRadioColumn(QGridLayout* grid, int row, const QString& caption,
                                    const QList<NamedCaption>& buttons, QWidget* parent);
// Lines up the buttons of several rows in columns: the n-th button of every
// row starts where the n-th of the widest row does.
void AlignRadioColumns(const QList<QList<QRadioButton*>>& rows);
