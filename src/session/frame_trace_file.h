#pragma once
// The frame trace of a session, appended to a file: one line per frame both
// ways, plus the bytes the assembler dropped. Each line is written through
// at once, so a trace is whole up to the last frame even when the program
// is killed.

#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "core/link/frame_trace.h"

class Clock;

class FrameTraceFile {
public:
    explicit FrameTraceFile(const Clock& clock) : clock_(clock) {}

    // Opens the file for appending; false with ErrorText() when it cannot.
    bool Open(const QString& path);
    QString ErrorText() const { return file_.errorString(); }
    bool IsOpen() const { return file_.isOpen(); }

    void Frame(TraceDirection direction, const std::uint8_t* frame, std::size_t count);
    void Dropped(std::size_t count);

private:
    void WriteLine(const std::string& line);
    std::string TimeText() const;

    const Clock& clock_;
    QFile file_;
};
