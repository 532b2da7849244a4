#pragma once
// How a person names a snapshot of the library: SERIAL (the panel's latest)
// or SERIAL@N (its Nth, from 1). One reading for every command, so a
// malformed reference is a usage error everywhere, never a missing file in
// one command and a missing snapshot in another.

#include <QString>
#include <QtGlobal>
#include <optional>

struct SnapshotReference {
    quint32 serial = 0;
    int number = 0;  // 0: the latest
};

struct ReferenceParse {
    std::optional<SnapshotReference> reference;
    QString error;  // what is wrong, in words that repeat the text escaped
};
ReferenceParse ParseSnapshotReference(const QString& text);

// Whether the text is meant as a reference (a number, maybe followed by @):
// a command that also takes a file reads such a text as a file only when
// that file exists.
bool LooksLikeSnapshotReference(const QString& text);

// "2024011501" or "2024011501@3".
QString SnapshotReferenceText(const SnapshotReference& reference);
