// Real and virtual clocks.
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <chrono>

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

std::uint64_t SystemClock::tickMs() const
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::sleepMs(int ms, bool processEvents)
{
    if (ms <= 0) {
        if (processEvents)
            QCoreApplication::processEvents();
        return;
    }
    if (!processEvents) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    const std::uint64_t end = tickMs() + static_cast<std::uint64_t>(ms);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const std::uint64_t t = tickMs();
        if (t >= end)
            break;
        QThread::msleep(static_cast<unsigned long>(std::min<std::uint64_t>(5, end - t)));
    }
}

FakeClock::FakeClock(QDateTime start) : start_(std::move(start)) {}

QDateTime FakeClock::now() const { return start_.addMSecs(static_cast<qint64>(elapsedMs_)); }

std::uint64_t FakeClock::tickMs() const
{
    const std::uint64_t t = elapsedMs_;
    elapsedMs_ += autoAdvanceMs_;
    return t;
}

void FakeClock::sleepMs(int ms, bool processEvents)
{
    if (ms > 0)
        elapsedMs_ += static_cast<std::uint64_t>(ms);
    if (processEvents && QCoreApplication::instance())
        QCoreApplication::processEvents();
}

void FakeClock::setNow(const QDateTime& t)
{
    start_ = t.addMSecs(-static_cast<qint64>(elapsedMs_));
}
