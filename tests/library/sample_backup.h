#pragma once
// A whole backup of a model-51 panel for the library's tests, taken at a
// given time; pollingLow tells two of them apart.

#include <QDateTime>

#include "core/config/panel_backup.h"
#include "library/backup_file.h"
#include "sim/virtual_panel.h"

inline PanelBackup MakeBackup(quint32 serial, int version, const QDateTime& taken, std::uint8_t pollingLow = 0x2C)
{
    VirtualPanel panel(VirtualPanel::Options{.model = 51});
    PanelBackup backup{{51, static_cast<std::uint8_t>(version), serial}, TakenMs(taken), {}, std::nullopt};
    for (std::uint8_t id : ConfigurationBlockIds()) backup.blocks[id] = *panel.Block(id);
    backup.blocks[2] = {2, 0x01, pollingLow, 0x00, 0x3C};
    return backup;
}

// The clock the tests' snapshots are checked against, and times before it.
inline QDateTime TestNow() { return QDateTime(QDate(2026, 12, 10), QTime(5, 0), Qt::UTC); }
inline QDateTime At(int minute) { return QDateTime(QDate(2026, 12, 10), QTime(4, minute), Qt::UTC); }
