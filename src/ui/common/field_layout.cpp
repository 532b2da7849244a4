#include "ui/common/field_layout.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>

#include "core/config/cp1252.h"

namespace {

class Cp1252Validator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (char32_t c : input.toUcs4()) {
            if (!IsCp1252Character(c)) return Invalid;
        }
        return Acceptable;
    }
};

}  // namespace

QLabel* AddLabel(QGridLayout* grid, int row, int column, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    grid->addWidget(label, row, column);
    return label;
}

QLineEdit* MakeEdit(const QString& objectName, int maxLength, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

QLineEdit* AddEditRow(QGridLayout* grid, int row, const QString& objectName, const QString& caption,
                      const QString& hint, int maxLength, QWidget* parent)
{
    AddLabel(grid, row, 0, caption, parent);
    QLineEdit* edit = MakeEdit(objectName, maxLength, parent);
    grid->addWidget(edit, row, 1);
    if (!hint.isEmpty()) AddLabel(grid, row, 2, hint, parent);
    return edit;
}

QValidator* MakeCp1252Validator(QWidget* parent) { return new Cp1252Validator(parent); }

void AddCodeCells(QGridLayout* grid, int row, int column, const QStringList& names, int maxLength, bool enabled,
                  QWidget* parent)
{
    auto* line = new QHBoxLayout;
    for (const QString& name : names) {
        QLineEdit* cell = MakeEdit(name, maxLength, parent);
        cell->setEnabled(enabled);
        // Room for two digits and the field's frame, the same on every page.
        cell->setFixedWidth(cell->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 16);
        line->addWidget(cell);
    }
    line->addStretch();
    grid->addLayout(line, row, column);
}
