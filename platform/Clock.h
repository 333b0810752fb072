// Local date and time, a millisecond tick count and sleeping, injected so that tests run on virtual time.
#pragma once

#include <QDateTime>
#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time of the PC.
    virtual QDateTime now() const = 0;
    // Milliseconds since an arbitrary start; monotonic.
    virtual std::uint64_t tickMs() const = 0;
    // Waits ms milliseconds; with processEvents the GUI's pending events are handled meanwhile.
    virtual void sleepMs(int ms, bool processEvents = false) = 0;
};

// The real clock: Qt's local time, a steady clock, real sleeping.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    std::uint64_t tickMs() const override;
    void sleepMs(int ms, bool processEvents = false) override;
};

// Virtual time for tests and the simulator's own benchmarks: nothing ever waits.
// Time moves only when someone advances it (sleepMs advances it too), plus autoAdvanceMs
// on every tickMs() read so that loops that poll the tick count always make progress.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0)));
    QDateTime now() const override;
    std::uint64_t tickMs() const override;
    void sleepMs(int ms, bool processEvents = false) override;

    void advanceMs(std::uint64_t ms) { elapsedMs_ += ms; }
    void setNow(const QDateTime& t);
    void setAutoAdvanceMs(std::uint64_t ms) { autoAdvanceMs_ = ms; }

private:
    QDateTime start_;
    mutable std::uint64_t elapsedMs_ = 0;
    std::uint64_t autoAdvanceMs_ = 0;
};
