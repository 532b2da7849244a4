#pragma once
// A Wi-Fi password planted in a panel's configuration, and a search for it
// in everything a display writes, in every spelling the tool could use.

#include <QRegularExpression>
#include <cstdint>
#include <QString>
#include <vector>

inline const QString kPlantedPassword = QStringLiteral("S3nha-Forte");

// Block 6 with a network name and the planted password, as the panel holds it.
inline std::vector<std::uint8_t> WifiBlockWithPassword(const QString& name = QStringLiteral("Casa"))
{
    std::vector<std::uint8_t> block{6, static_cast<std::uint8_t>(name.size())};
    for (const QChar c : name) block.push_back(static_cast<std::uint8_t>(c.unicode()));
    block.push_back(static_cast<std::uint8_t>(kPlantedPassword.size()));
    for (const QChar c : kPlantedPassword) block.push_back(static_cast<std::uint8_t>(c.unicode()));
    return block;
}

// The text with every blank and line break taken out, in lower case: hex
// written "53 33 6E", "53336e" or wrapped over two lines of a PDF reads alike.
inline QString Flattened(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString(text).remove(blanks).toLower();
}

// Whether any part of the password shows: a half of it as text ("S3nha",
// "Forte"), or any four of its bytes in a row in hexadecimal, so that a
// table cell wrapped anywhere in its hex still gives it away.
inline bool HoldsPlantedPassword(const QString& text)
{
    const QString flat = Flattened(text);
    if (flat.contains(QStringLiteral("s3nha")) || flat.contains(QStringLiteral("forte"))) return true;
    const QString hex = QString::fromLatin1(kPlantedPassword.toLatin1().toHex());
    for (qsizetype start = 0; start + 8 <= hex.size(); start += 2) {
        if (flat.contains(hex.mid(start, 8))) return true;
    }
    return false;
}

// Whether the whole password shows, as text or as hexadecimal after its
// length byte: what a display that does not wrap shows when secrets were
// asked for.
inline bool ShowsPlantedPassword(const QString& text)
{
    const QString flat = Flattened(text);
    return flat.contains(QStringLiteral("s3nha-forte")) || flat.contains(QStringLiteral("0b53336e68612d466f727465"));
}
