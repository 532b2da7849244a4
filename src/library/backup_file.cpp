#include "library/backup_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "core/bytes/hex_text.h"
#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"
#include "core/rf/rf_sensor_fields.h"

namespace {

QJsonArray FieldsToJson(const std::vector<BlockField>& fields)
{
    QJsonArray array;
    for (const BlockField& field : fields) {
        array.append(QJsonObject{{"caption", QString::fromStdString(field.caption)},
                                 {"value", QString::fromStdString(field.value)}});
    }
    return array;
}

// Exactly the hexadecimal pairs the writer writes, or why not: a restore
// writes these bytes, so anything else is refused, not guessed at.
std::optional<std::vector<std::uint8_t>> ParseHex(const QJsonValue& value, QString& why)
{
    if (!value.isString()) {
        why = QStringLiteral("its bytes are missing");
        return std::nullopt;
    }
    const HexParse parse = ParseHexBytes(value.toString().toStdString());
    if (parse.badPosition != 0) {
        why = QStringLiteral("its bytes are not hexadecimal pairs separated by single spaces (at character %1)")
                  .arg(parse.badPosition);
        return std::nullopt;
    }
    return parse.bytes;
}

// An integer member within [0, max]; nothing when absent, fractional or out of range.
std::optional<qint64> Integer(const QJsonObject& object, const char* key, qint64 max)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (number < 0 || number > static_cast<double>(max) || number != static_cast<double>(static_cast<qint64>(number))) {
        return std::nullopt;
    }
    return static_cast<qint64>(number);
}

BackupParse Refuse(const QString& reason) { return {std::nullopt, reason}; }

QJsonArray RfToJson(const RfSensorTable& table, BackupStyle style)
{
    QJsonArray array;
    for (const auto& [slot, bytes] : table) {
        const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(bytes.data(), bytes.size());
        QJsonObject sensor{{"slot", slot},
                           {"serial", record ? static_cast<qint64>(record->serial) : 0},
                           {"bytes", QString::fromStdString(HexBytes(bytes))}};
        if (style == BackupStyle::File) sensor.insert("fields", FieldsToJson(RfSensorFields(record)));
        array.append(sensor);
    }
    return array;
}

// The RF sensors of a file, or the reason they are refused.
std::optional<QString> RfFromJson(const QJsonValue& value, RfSensorTable& table)
{
    if (!value.isArray()) return QStringLiteral("the RF sensors (\"rf\") are not a list");
    for (const QJsonValue& entry : value.toArray()) {
        const QJsonObject sensor = entry.toObject();
        const auto slot = Integer(sensor, "slot", kRfSensorTableSize);
        if (!entry.isObject() || !slot || *slot == 0) {
            return QStringLiteral("an RF sensor has no slot from 1 to %1").arg(kRfSensorTableSize);
        }
        const QString where = QStringLiteral("RF sensor in slot %1: ").arg(*slot);
        QString why;
        const auto bytes = ParseHex(sensor.value("bytes"), why);
        if (!bytes) return where + why;
        const auto record = UnpackRfSensorRecord(bytes->data(), bytes->size());
        if (!record) return where + QStringLiteral("its bytes are not %1 hexadecimal pairs").arg(kRfRecordLength);
        if (!IsValidRfSerial(record->serial)) {
            return where + QStringLiteral("serial %1 is not a valid serial (1 to %2)").arg(record->serial).arg(kMaxRfSerial);
        }
        if (sensor.contains("serial") && Integer(sensor, "serial", kMaxRfSerial) != record->serial) {
            return where + QStringLiteral("its serial does not match its bytes (edit the bytes)");
        }
        if (sensor.contains("fields") && sensor.value("fields").toArray() != FieldsToJson(RfSensorFields(record))) {
            return where + QStringLiteral("its fields do not match its bytes (edit the bytes, not the fields)");
        }
        if (!table.emplace(static_cast<int>(*slot), *bytes).second) return where + QStringLiteral("the slot appears twice");
    }
    return std::nullopt;
}

}  // namespace

QDateTime TakenTime(const PanelBackup& backup)
{
    return backup.takenMs == 0 ? QDateTime() : QDateTime::fromMSecsSinceEpoch(backup.takenMs, Qt::UTC);
}

std::int64_t TakenMs(const QDateTime& time) { return time.isValid() ? time.toMSecsSinceEpoch() : 0; }

QByteArray BackupToJson(const PanelBackup& backup, BackupStyle style)
{
    QJsonArray blocks;
    for (const auto& [id, bytes] : backup.blocks) {
        const BlockEntry* entry = FindBlock(id);
        QJsonObject block{{"id", id},
                          {"title", entry ? QString::fromUtf8(entry->title) : QString()},
                          {"bytes", QString::fromStdString(HexBytes(bytes))}};
        if (style == BackupStyle::File) {
            if (const auto fields = DecodeBlockFields(bytes)) block.insert("fields", FieldsToJson(*fields));
        }
        blocks.append(block);
    }
    const Identification& panel = backup.panel;
    QJsonObject root{
        {"format", QLatin1String(kBackupFormatName)},
        {"version", kBackupFormatVersion},
        {"panel", QJsonObject{{"model", panel.model},
                              {"modelName", QString::fromStdString(ModelDisplayName(panel.model))},
                              {"version", panel.version},
                              {"versionText", QString::fromStdString(VersionText(panel.version))},
                              {"serial", static_cast<qint64>(panel.serial)}}},
        // In UTC, marked Z: the same instant wherever the file is read.
        {"taken", TakenTime(backup).toString(Qt::ISODateWithMs)},
        {"blocks", blocks},
    };
    if (backup.rf) root.insert("rf", RfToJson(*backup.rf, style));
    return QJsonDocument(root).toJson(style == BackupStyle::File ? QJsonDocument::Indented : QJsonDocument::Compact);
}

BackupParse BackupFromJson(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        return Refuse(QStringLiteral("not a valid JSON file (%1 at byte %2): damaged or truncated")
                          .arg(error.errorString())
                          .arg(error.offset));
    }
    const QJsonObject root = document.object();
    if (root.value("format").toString() != QLatin1String(kBackupFormatName)) {
        return Refuse(QStringLiteral("not a backup file (format is not \"%1\")").arg(kBackupFormatName));
    }
    const auto formatVersion = Integer(root, "version", 1000);
    if (!formatVersion || *formatVersion < kOldestBackupFormatVersion || *formatVersion > kBackupFormatVersion) {
        return Refuse(QStringLiteral("backup format version %1 is not supported (this tool reads versions %2 to %3)")
                          .arg(root.value("version").toVariant().toString())
                          .arg(kOldestBackupFormatVersion)
                          .arg(kBackupFormatVersion));
    }

    PanelBackup backup;
    const QJsonObject panel = root.value("panel").toObject();
    const auto model = Integer(panel, "model", 255);
    const auto version = Integer(panel, "version", 255);
    const auto serial = Integer(panel, "serial", 0xFFFFFFFFLL);
    if (!model || !version || !serial) return Refuse(QStringLiteral("the panel's model, version or serial is missing or out of range"));
    backup.panel = {static_cast<std::uint8_t>(*model), static_cast<std::uint8_t>(*version), static_cast<std::uint32_t>(*serial)};
    // A time without a zone (files of older versions) is this computer's.
    const QDateTime taken = QDateTime::fromString(root.value("taken").toString(), Qt::ISODateWithMs);
    if (!taken.isValid()) return Refuse(QStringLiteral("the time the backup was taken is missing or not a date"));
    backup.takenMs = TakenMs(taken);

    const QJsonValue blocks = root.value("blocks");
    if (!blocks.isArray()) return Refuse(QStringLiteral("the list of blocks is missing"));
    for (const QJsonValue& value : blocks.toArray()) {
        const QJsonObject block = value.toObject();
        const auto id = Integer(block, "id", 255);
        if (!id) return Refuse(QStringLiteral("a block has no valid id"));
        const QString where = QStringLiteral("block %1: ").arg(*id);
        QString why;
        const auto bytes = ParseHex(block.value("bytes"), why);
        if (!bytes) return Refuse(where + why);
        if (bytes->empty()) return Refuse(where + QStringLiteral("it holds no bytes"));
        if ((*bytes)[0] != *id) return Refuse(where + QStringLiteral("its bytes start with another block id"));
        if (const auto reason = CheckBlockForModel(backup.panel.model, *bytes)) {
            return Refuse(where + QString::fromStdString(*reason));
        }
        // Older files wrote fields in an older form; only the bytes count there.
        if (*formatVersion == kBackupFormatVersion && block.contains("fields")) {
            const auto decoded = DecodeBlockFields(*bytes);
            if (!decoded || block.value("fields").toArray() != FieldsToJson(*decoded)) {
                return Refuse(where + QStringLiteral("its fields do not match its bytes (edit the bytes, not the fields)"));
            }
        }
        if (!backup.blocks.emplace(static_cast<std::uint8_t>(*id), *bytes).second) {
            return Refuse(where + QStringLiteral("it appears twice"));
        }
    }
    QStringList missing;
    for (std::uint8_t id : ConfigurationBlockIds()) {
        if (!backup.blocks.contains(id)) missing << QString::number(id);
    }
    if (!missing.isEmpty()) return Refuse(QStringLiteral("blocks missing: %1 (truncated file?)").arg(missing.join(", ")));
    // Optional: a backup without RF sensors is whole.
    if (root.contains("rf")) {
        backup.rf.emplace();
        if (const auto reason = RfFromJson(root.value("rf"), *backup.rf)) return Refuse(*reason);
    }
    return {std::move(backup), QString()};
}
