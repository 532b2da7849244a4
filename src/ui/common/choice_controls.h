#pragma once
// Named choice controls of the configuration tabs: item lists, radio
// buttons and check boxes, created empty (no selection, unchecked).
// Layout only; no values pass through here.

#include <QString>
#include <QStringList>
#include <span>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

// The items of a list as the core names them (UTF-8), so the window, the
// backup file and a comparison show the same words.
QStringList ChoiceItems(std::span<const char* const> items);
// An editable drop-down list without a selection. Typed text never becomes
// an item: the block carries only the index of a listed item.
QComboBox* MakeChoiceCombo(const QString& objectName, const QStringList& items, QWidget* parent);
// Radio buttons sharing a parent widget are one group; give each group a
// parent of its own so two groups never exclude each other.
QRadioButton* MakeRadio(const QString& objectName, const QString& caption, QWidget* parent);
// The item a combo box holds: for an editable one, the item its shown text
// names (-1 when typed text names no item), so what is sent is what is shown.
int ChoiceIndex(const QComboBox* combo);
QCheckBox* MakeCheck(const QString& objectName, const QString& caption, QWidget* parent);
// A label that a window refers to by name.
QLabel* MakeNamedLabel(const QString& objectName, const QString& text, QWidget* parent);
// A button that a window refers to by name; Enter in a field never presses it.
QPushButton* MakeNamedButton(const QString& objectName, const QString& text, QWidget* parent);
