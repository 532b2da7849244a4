#pragma once
// The frame trace of a session, appended to a file: one line per frame both
// ways, plus the bytes the assembler dropped and notes on the link itself. Each line is written through
// at once, so a trace is whole up to the last frame even when the program
// is killed. The file is a regular file (created private: it holds the
// panel's data) or a terminal; a write that fails stops the trace, and
// Stopped says why, once.

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "core/files/safe_file.h"
#include "core/link/frame_trace.h"

class Clock;

class FrameTraceFile : public QObject {
    Q_OBJECT
public:
    explicit FrameTraceFile(const Clock& clock, QObject* parent = nullptr) : QObject(parent), clock_(clock) {}

    // Opens the file for appending; false with ErrorText() when it cannot.
    bool Open(const QString& path);
    QString ErrorText() const { return error_; }
    bool IsOpen() const { return file_ != nullptr; }

    void Frame(TraceDirection direction, const std::uint8_t* frame, std::size_t count);
    void Dropped(std::size_t count);
    // A line about the link itself (what a serial server agreed to).
    void Note(const std::string& text);

signals:
    // The trace stopped after a failed write; reason in the system's words.
    void Stopped(const QString& reason);

private:
    void WriteLine(const std::string& line);
    std::string TimeText() const;

    const Clock& clock_;
    FileHandle file_;
    QString error_;
};
