#include "ui/common/choice_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

QStringList ChoiceItems(std::span<const char* const> items)
{
    QStringList list;
    for (const char* item : items) list << QString::fromUtf8(item);
    return list;
}

QComboBox* MakeChoiceCombo(const QString& objectName, const QStringList& items, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

int ChoiceIndex(const QComboBox* combo)
{
    if (!combo->isEditable()) return combo->currentIndex();
    return combo->findText(combo->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

QRadioButton* MakeRadio(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(objectName);
    return radio;
}

QCheckBox* MakeCheck(const QString& objectName, const QString& caption, QWidget* parent)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(objectName);
    return check;
}

QLabel* MakeNamedLabel(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

QPushButton* MakeNamedButton(const QString& objectName, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}
