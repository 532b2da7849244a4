#include "ui/common/choice_rows.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/common/choice_controls.h"

QGridLayout* AddPageGrid(QVBoxLayout* body)
{
    auto* grid = new QGridLayout;
    body->addLayout(grid);
    body->addStretch(1);
    return grid;
}

QGridLayout* AddSubPageGrid(QWidget* page) { return AddPageGrid(new QVBoxLayout(page)); }

QList<QRadioButton*> AddRadioRow(QGridLayout* grid, int row, const QString& caption,
                                 const QList<NamedCaption>& buttons, QWidget* parent, const QString& hint)
{
    grid->addWidget(new QLabel(caption, parent), row, 0);
    auto* group = new QButtonGroup(parent);
    auto* line = new QHBoxLayout;
    QList<QRadioButton*> radios;
    for (const NamedCaption& button : buttons) {
        QRadioButton* radio = MakeRadio(button.first, button.second, parent);
        group->addButton(radio);
        line->addWidget(radio);
        radios.push_back(radio);
    }
    line->addStretch();
    // Without a hint the buttons may use the hint column too, so long
    // captions are not squeezed by the hints of the rows below.
    grid->addLayout(line, row, 1, 1, hint.isEmpty() ? 2 : 1);
    if (!hint.isEmpty()) grid->addWidget(new QLabel(hint, parent), row, 2);
    return radios;
}
