// Pseudo-terminal and worker thread of the simulated controller.
#include "sim/SimControllerPort.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

SimControllerPort::SimControllerPort(unsigned baud, unsigned bitsPerByte)
{
    if (baud > 0)
        byteUs_ = (std::uint64_t{bitsPerByte} * 1000000u + baud - 1) / baud;
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    // The slave stays open here so that the line lives while nobody has it open, and raw so that
    // no echo or line editing touches the protocol's bytes.
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    path_ = name;
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(master_);
        ::close(slave_);
        master_ = slave_ = -1;
        path_.clear();
        return;
    }
    worker_ = std::thread([this] { run(); });
}

SimControllerPort::~SimControllerPort()
{
    stop_ = true;
    if (wake_[1] >= 0) {
        const char c = 0;
        [[maybe_unused]] const ssize_t n = ::write(wake_[1], &c, 1);
    }
    if (worker_.joinable())
        worker_.join();
    for (int fd : {master_, slave_, wake_[0], wake_[1]})
        if (fd >= 0)
            ::close(fd);
}

std::uint64_t SimControllerPort::nowUs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000u;
}

void SimControllerPort::withController(const std::function<void(SimController&)>& f)
{
    {
        std::lock_guard lock(mutex_);
        f(controller_);
    }
    const char c = 0;  // the worker re-plans its wait (an answer may be due now)
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &c, 1);
}

void SimControllerPort::serveInput(std::uint64_t now)
{
    std::uint8_t buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        std::lock_guard lock(mutex_);
        for (ssize_t i = 0; i < n; ++i) {
            // Each byte arrives one byte time after the line is free.
            rxFree_ = std::max(rxFree_, now) + byteUs_;
            controller_.receive(std::span<const std::uint8_t>(buffer + i, 1), rxFree_);
        }
    }
}

void SimControllerPort::sendDue(std::uint64_t now)
{
    std::vector<std::uint8_t> bytes;
    {
        std::lock_guard lock(mutex_);
        // A byte is written when its last bit would arrive at the host.
        while (const std::optional<std::uint64_t> due = controller_.nextAnswerDue()) {
            const std::uint64_t arrives = std::max(*due, txFree_) + byteUs_;
            if (arrives > now)
                break;
            bytes.push_back(*controller_.takeAnswer(*due));
            txFree_ = arrives;
        }
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd p{master_, POLLOUT, 0};
        ::poll(&p, 1, 100);
        if (stop_)
            return;
    }
}

void SimControllerPort::run()
{
    while (!stop_) {
        const std::uint64_t now = nowUs();
        sendDue(now);
        std::optional<std::uint64_t> wakeAt;
        {
            std::lock_guard lock(mutex_);
            if (const auto due = controller_.nextAnswerDue())
                wakeAt = std::max(*due, txFree_) + byteUs_;
        }
        pollfd p[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        timespec limit{};
        timespec* timeout = nullptr;
        if (wakeAt) {
            const std::uint64_t wait = *wakeAt > now ? *wakeAt - now : 0;
            limit.tv_sec = static_cast<time_t>(wait / 1000000u);
            limit.tv_nsec = static_cast<long>((wait % 1000000u) * 1000u);
            timeout = &limit;
        } else {
            limit.tv_sec = 1;  // nothing due: look at the stop flag now and then
            timeout = &limit;
        }
        const int r = ::ppoll(p, 2, timeout, nullptr);
        if (r < 0 && errno != EINTR)
            return;
        if (p[1].revents & POLLIN) {
            char drain[64];
            while (::read(wake_[0], drain, sizeof drain) > 0) {
            }
        }
        if (p[0].revents & POLLIN)
            serveInput(nowUs());
        else if (p[0].revents & POLLHUP) {
            // Nobody has the line open: wait for the next opener without spinning.
            timespec nap{0, 20 * 1000 * 1000};
            ::nanosleep(&nap, nullptr);
        }
    }
}
