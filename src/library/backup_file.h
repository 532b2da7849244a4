#pragma once
// The backup file: a panel's whole configuration as JSON, readable by a
// person and by scripts. It names its format and version, the panel it was
// taken from, when (in UTC, marked Z; a time without a zone, as older
// versions wrote it, is read as this computer's), and each block by id with
// its title, its bytes in hexadecimal and its decoded fields. The bytes are
// what is restored; the fields are there to be read, and must agree with the
// bytes. When asked, it also holds the enrolled RF sensors, by slot: read
// and compared, never restored.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "core/config/panel_backup.h"

inline constexpr const char* kBackupFormatName = "quorvel-backup";
// Version 2 shows list items by name and decodes the RF radio block;
// version 1 showed list items by index. Both are read: the bytes are alike.
inline constexpr int kBackupFormatVersion = 2;
inline constexpr int kOldestBackupFormatVersion = 1;
// The largest backup file read. A backup with every RF sensor slot filled
// is about 3 MiB; a file past this bound is refused before it is parsed.
inline constexpr std::uint64_t kMaxBackupFileSize = 16u << 20;

// When a backup was taken, as a time of this library's, and back.
QDateTime TakenTime(const PanelBackup& backup);
std::int64_t TakenMs(const QDateTime& time);

// File: indented, with the decoded fields, for people and scripts.
// Compact: one line of bytes only, as the panel library stores it (the
// fields are made again from the bytes when it is exported).
enum class BackupStyle { File, Compact };
QByteArray BackupToJson(const PanelBackup& backup, BackupStyle style = BackupStyle::File);

// The backup of a file's text, or the reason it is refused: not JSON, not
// this format or version, a panel or block entry missing or out of range,
// bytes that are not hexadecimal, a block whose length its model does not
// use, a block of the model missing, fields that disagree with the bytes;
// an RF sensor list that is not a list, a sensor without a slot of the
// table or whose slot appears twice, a record that is not 16 bytes or
// holds no valid serial.
struct BackupParse {
    std::optional<PanelBackup> backup;
    QString error;
};
BackupParse BackupFromJson(const QByteArray& text);
