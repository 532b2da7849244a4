#include "library/snapshot_reference.h"

#include <QRegularExpression>

namespace {

// The text as it may be repeated in a message: short, with every control
// character shown as an escape.
QString Quoted(const QString& text)
{
    QString shown;
    for (const QChar c : text.left(40)) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return QLatin1Char('"') + shown + (text.size() > 40 ? QStringLiteral("…\"") : QStringLiteral("\""));
}

}  // namespace

ReferenceParse ParseSnapshotReference(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)(?:@(.*))?$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch()) {
        return {std::nullopt, QStringLiteral("%1 names no snapshot; give SERIAL or SERIAL@N").arg(Quoted(text))};
    }
    bool ok = false;
    const qulonglong serial = match.captured(1).toULongLong(&ok);
    if (!ok || match.captured(1).size() > 10 || serial > 0xFFFFFFFFull) {
        return {std::nullopt, QStringLiteral("%1 names no snapshot: a serial number is 0 to 4294967295").arg(Quoted(text))};
    }
    if (!match.hasCaptured(2)) return {SnapshotReference{static_cast<quint32>(serial), 0}, {}};
    static const QRegularExpression number(QStringLiteral("^[1-9]\\d{0,8}$"));
    if (!number.match(match.captured(2)).hasMatch()) {
        return {std::nullopt, QStringLiteral("%1 names no snapshot: after @ comes a snapshot's number, 1 or more "
                                             "(SERIAL alone is the latest)")
                                  .arg(Quoted(text))};
    }
    return {SnapshotReference{static_cast<quint32>(serial), match.captured(2).toInt()}, {}};
}

bool LooksLikeSnapshotReference(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d+(@.*)?$"));
    return pattern.match(text.trimmed()).hasMatch();
}

QString SnapshotReferenceText(const SnapshotReference& reference)
{
    return reference.number > 0 ? QStringLiteral("%1@%2").arg(reference.serial).arg(reference.number)
                                : QString::number(reference.serial);
}
