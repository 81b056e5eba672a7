#pragma once
// Where the program reads the time. Tests step a fake clock instead of waiting.

#include <QDateTime>
#include <QElapsedTimer>
#include <cstdint>

namespace corvin {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a clock that never goes back (elapsed test time).
    virtual int64_t monotonicMs() const = 0;
    // The wall-clock date and time (spreadsheet time stamps, printout names).
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    SystemClock() { m_timer.start(); }
    int64_t monotonicMs() const override { return m_timer.elapsed(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer m_timer;
};

// A clock that moves only when told to.
class ManualClock : public Clock {
public:
    int64_t monotonicMs() const override { return m_ms; }
    QDateTime now() const override { return m_start.addMSecs(m_ms); }
    void advanceMs(int64_t ms) { m_ms += ms; }
    void setStart(const QDateTime& start) { m_start = start; }

private:
    int64_t m_ms = 0;
    QDateTime m_start = QDateTime(QDate(2026, 1, 1), QTime(9, 0));
};

} // namespace corvin
