#include "session/frame_trace_file.h"

#include <cerrno>
#include <cstring>

#include "session/clock.h"

bool FrameTraceFile::Open(const QString& path)
{
    OpenedFile opened = OpenForAppending(path.toStdString(), AppendTarget::RegularFileOrTerminal);
    file_ = std::move(opened.file);
    error_ = QString::fromStdString(opened.error);
    return file_ != nullptr;
}

void FrameTraceFile::Frame(TraceDirection direction, const std::uint8_t* frame, std::size_t count)
{
    WriteLine(TraceFrameLine(TimeText(), direction, frame, count));
}

void FrameTraceFile::Dropped(std::size_t count) { WriteLine(TraceDroppedLine(TimeText(), count)); }

void FrameTraceFile::Note(const std::string& text) { WriteLine(TimeText() + " -- " + text); }

void FrameTraceFile::WriteLine(const std::string& line)
{
    if (!file_) return;
    // Flushed per line: the line is in the system's hands when this returns.
    std::string text = line;
    text.push_back('\n');
    if (std::fwrite(text.data(), 1, text.size(), file_.get()) == text.size() && std::fflush(file_.get()) == 0) return;
    error_ = QString::fromLocal8Bit(std::strerror(errno));
    file_.reset();
    emit Stopped(error_);
}

std::string FrameTraceFile::TimeText() const
{
    return clock_.Now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toStdString();
}
