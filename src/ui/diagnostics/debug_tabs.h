#pragma once
// The notebook of the diagnostic window: fourteen tabs of caption and value
// labels, the six signal pictures, and the arm and disarm controls. Layout
// only: values reach the labels through the window's label updates.

#include <QHash>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

struct DebugControls {
    QTabWidget* pageControl = nullptr;
    QHash<QString, QLabel*> values;     // by object name
    QHash<QString, QWidget*> pictures;  // by object name
    QLineEdit* userCode = nullptr;      // Edit1
    QRadioButton* partitions[3] = {};   // CheckParticao1..3
    QPushButton* arm = nullptr;         // Button1
    QPushButton* disarm = nullptr;      // Button2
};

// Builds PageControlDebug and its tabs under parent.
DebugControls BuildDebugTabs(QWidget* parent);
