#include "ui/common/choice_rows.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/common/choice_controls.h"

QGridLayout* AddPageGrid(QVBoxLayout* body)
{
    auto* grid = new QGridLayout;
    body->addLayout(grid);
    body->addStretch(1);
    return grid;
}

QGridLayout* AddSubPageGrid(QWidget* page) { return AddPageGrid(new QVBoxLayout(page)); }

namespace {

// The buttons of one group, exclusive among themselves only.
QList<QRadioButton*> MakeGroup(const QList<NamedCaption>& buttons, QWidget* parent)
{
    auto* group = new QButtonGroup(parent);
    QList<QRadioButton*> radios;
    for (const NamedCaption& button : buttons) {
        QRadioButton* radio = MakeRadio(button.first, button.second, parent);
        group->addButton(radio);
        radios.push_back(radio);
    }
    return radios;
}

}  // namespace

QList<QRadioButton*> AddRadioColumn(QGridLayout* grid, int row, const QString& caption,
                                    const QList<NamedCaption>& buttons, QWidget* parent)
{
    grid->addWidget(new QLabel(caption, parent), row, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    const QList<QRadioButton*> radios = MakeGroup(buttons, parent);
    for (QRadioButton* radio : radios) column->addWidget(radio);
    grid->addLayout(column, row, 1, 1, 2);
    return radios;
}

void AlignRadioColumns(const QList<QList<QRadioButton*>>& rows)
{
    for (int column = 0;; ++column) {
        int widest = -1;
        for (const QList<QRadioButton*>& row : rows) {
            if (column < row.size()) widest = std::max(widest, row[column]->sizeHint().width());
        }
        if (widest < 0) return;
        for (const QList<QRadioButton*>& row : rows) {
            if (column < row.size()) row[column]->setMinimumWidth(widest);
        }
    }
}

QList<QRadioButton*> AddRadioRow(QGridLayout* grid, int row, const QString& caption,
                                 const QList<NamedCaption>& buttons, QWidget* parent, const QString& hint)
{
    grid->addWidget(new QLabel(caption, parent), row, 0);
    auto* line = new QHBoxLayout;
    const QList<QRadioButton*> radios = MakeGroup(buttons, parent);
    for (QRadioButton* radio : radios) line->addWidget(radio);
    line->addStretch();
    // Without a hint the buttons may use the hint column too, so long
    // captions are not squeezed by the hints of the rows below.
    grid->addLayout(line, row, 1, 1, hint.isEmpty() ? 2 : 1);
    if (!hint.isEmpty()) grid->addWidget(new QLabel(hint, parent), row, 2);
    return radios;
}
