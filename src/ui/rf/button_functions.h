#pragma once
// The fourteen items of a key-fob button's combo box, shared by the RF
// sensors tab and the enrolment window.

#include <QStringList>

#include "core/rf/rf_sensor_record.h"

inline QStringList ButtonFunctionItems()
{
    QStringList items;
    for (const char* item : kButtonFunctionItems) items << QString::fromUtf8(item);
    return items;
}
