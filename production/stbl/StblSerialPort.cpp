// POSIX serial line for the bootloader library.
#include "production/stbl/StblSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace stbl {

std::string portDeviceName(int n)
{
    if (n < 1 || n > 255)
        return {};
#if defined(_WIN32)
    return (n > 9 ? "\\\\.\\COM" : "COM") + std::to_string(n);
#else
    return "/dev/ttyS" + std::to_string(n - 1);
#endif
}

namespace {

bool speedOf(int baud, speed_t& speed)
{
    struct Rate { int baud; speed_t speed; };
    static constexpr Rate rates[] = {{1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
                                     {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
                                     {230400, B230400}};
    for (const Rate& r : rates)
        if (r.baud == baud) {
            speed = r.speed;
            return true;
        }
    return false;
}

}  // namespace

SerialPort::~SerialPort() { close(); }

std::uint8_t SerialPort::open(const std::string& device, const LineSettings& settings)
{
    close();
    speed_t speed{};
    if (!speedOf(settings.baud, speed))
        return STBL_ERR_SETTINGS;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return STBL_ERR_OPEN;
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        ::close(fd);
        return STBL_ERR_OPEN;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return STBL_ERR_OPEN;  // not a terminal: not a serial port
    }
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[settings.dataBits - 5] | CREAD | CLOCAL;
    if (settings.parity != STBL_PARITY_NONE)
        t.c_cflag |= PARENB | (settings.parity == STBL_PARITY_ODD ? PARODD : 0);
    if (settings.stopBits == 2)
        t.c_cflag |= CSTOPB;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0 || ::tcsetattr(fd, TCSANOW, &t) != 0) {
        ::close(fd);
        return STBL_ERR_SETTINGS;
    }
    fd_ = fd;
    discardInput();
    return STBL_OK;
}

void SerialPort::close()
{
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    fd_ = -1;
    have_ = next_ = 0;
}

bool SerialPort::write(std::span<const std::uint8_t> data)
{
    std::size_t done = 0;
    const std::uint64_t deadline = tickMs() + 2000 + data.size();  // a stalled line must not hang us
    while (done < data.size()) {
        const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        const std::uint64_t now = tickMs();
        if (now >= deadline)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(deadline - now));
    }
    return true;
}

int SerialPort::readByte(std::uint8_t& byte, unsigned timeoutMs)
{
    if (next_ < have_) {
        byte = buffer_[next_++];
        return 1;
    }
    const std::uint64_t deadline = tickMs() + timeoutMs;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
        if (n > 0) {
            have_ = static_cast<std::size_t>(n);
            next_ = 1;
            byte = buffer_[0];
            return 1;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return -1;
        const std::uint64_t now = tickMs();
        if (now >= deadline)
            return 0;
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::min<std::uint64_t>(deadline - now, 1u << 30)));
        if (r < 0 && errno != EINTR)
            return -1;
        // A hang-up with nothing to read (the other end of a pseudo-terminal went away) fails
        // the line instead of spinning until the deadline.
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL)))
            return -1;
        if (r > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN))
            return -1;
    }
}

void SerialPort::discardInput()
{
    have_ = next_ = 0;
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
}

std::uint64_t SerialPort::tickMs()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

}  // namespace stbl
