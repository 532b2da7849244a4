#pragma once
// The seam for the time of day, so tests can fix the clock.

#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
