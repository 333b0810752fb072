// The simulated controller on a pseudo-terminal: the program and the bootloader library open its
// device path like any serial port, and a worker thread plays the controller on the other side,
// optionally at the pace of a real line (start bit, 8 data bits, parity, stop bit per byte).
#pragma once

#include "sim/SimController.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class SimControllerPort {
public:
    // baud 0: answers are due as soon as the controller has them (tests, demonstrations).
    explicit SimControllerPort(unsigned baud = 0, unsigned bitsPerByte = 11);
    ~SimControllerPort();
    SimControllerPort(const SimControllerPort&) = delete;
    SimControllerPort& operator=(const SimControllerPort&) = delete;

    // False when no pseudo-terminal could be created (then devicePath() is empty).
    bool ok() const { return master_ >= 0; }
    // The serial device to open, e.g. /dev/pts/7.
    const std::string& devicePath() const { return path_; }

    // Runs f on the controller with the worker held off, for the adapter lines and for checks.
    void withController(const std::function<void(SimController&)>& f);
    // Microseconds on the worker's clock (monotonic), for setLines.
    static std::uint64_t nowUs();

private:
    void run();
    void serveInput(std::uint64_t now);
    void sendDue(std::uint64_t now);

    SimController controller_;
    std::mutex mutex_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    int master_ = -1, slave_ = -1, wake_[2] = {-1, -1};
    std::string path_;
    std::uint64_t byteUs_ = 0;
    std::uint64_t rxFree_ = 0, txFree_ = 0;
};
