#include "session/frame_trace_file.h"

#include "session/clock.h"

bool FrameTraceFile::Open(const QString& path)
{
    file_.setFileName(path);
    return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

void FrameTraceFile::Frame(TraceDirection direction, const std::uint8_t* frame, std::size_t count)
{
    WriteLine(TraceFrameLine(TimeText(), direction, frame, count));
}

void FrameTraceFile::Dropped(std::size_t count) { WriteLine(TraceDroppedLine(TimeText(), count)); }

void FrameTraceFile::WriteLine(const std::string& line)
{
    if (!file_.isOpen()) return;
    // One write per line: with an unbuffered file the line is in the
    // system's hands when this returns.
    std::string text = line;
    text.push_back('\n');
    file_.write(text.data(), static_cast<qint64>(text.size()));
}

std::string FrameTraceFile::TimeText() const
{
    return clock_.Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toStdString();
}
