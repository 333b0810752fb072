// The controller behind the library's transport hook, on virtual time.
#include "sim/SimControllerLine.h"

#include <algorithm>

SimControllerLine::SimControllerLine(SimController& controller, Clock& clock, unsigned baud, unsigned bitsPerByte)
    : controller_(controller), clock_(clock)
{
    if (baud > 0)
        byteUs_ = std::uint64_t{bitsPerByte} * 1000000u / baud;
    transport_.context = this;
    transport_.write = &SimControllerLine::write;
    transport_.read_byte = &SimControllerLine::readByte;
    transport_.discard_input = &SimControllerLine::discardInput;
    transport_.tick_ms = &SimControllerLine::tickMs;
}

std::uint64_t SimControllerLine::nowUs() const { return clock_.tickMs() * 1000u + subMsUs_; }

void SimControllerLine::advanceTo(std::uint64_t us)
{
    const std::uint64_t now = nowUs();
    if (us <= now)
        return;
    const std::uint64_t total = us - clock_.tickMs() * 1000u;
    const std::uint64_t wholeMs = total / 1000u;
    if (wholeMs > 0)
        clock_.sleepMs(static_cast<int>(std::min<std::uint64_t>(wholeMs, 0x7FFFFFFF)));
    subMsUs_ = total % 1000u;
}

int SimControllerLine::write(void* self, const unsigned char* data, unsigned length)
{
    auto& s = *static_cast<SimControllerLine*>(self);
    const std::uint64_t now = s.nowUs();
    for (unsigned i = 0; i < length; ++i) {
        s.rxFree_ = std::max(s.rxFree_, now) + s.byteUs_;
        s.controller_.receive(std::span<const std::uint8_t>(data + i, 1), s.rxFree_);
    }
    s.toController_ += length;
    return 0;
}

int SimControllerLine::readByte(void* self, unsigned char* byte, unsigned timeoutMs)
{
    auto& s = *static_cast<SimControllerLine*>(self);
    const std::uint64_t now = s.nowUs();
    const std::uint64_t limit = now + std::uint64_t{timeoutMs} * 1000u;
    if (const auto due = s.controller_.nextAnswerDue()) {
        const std::uint64_t arrives = std::max(*due, s.txFree_) + s.byteUs_;
        if (arrives <= limit) {
            s.advanceTo(arrives);
            *byte = *s.controller_.takeAnswer(*due);
            s.txFree_ = std::max(arrives, now);
            ++s.toHost_;
            return 1;
        }
    }
    s.advanceTo(limit);
    return 0;
}

void SimControllerLine::discardInput(void* self)
{
    auto& s = *static_cast<SimControllerLine*>(self);
    while (s.controller_.takeAnswer(s.nowUs())) {
    }
}

unsigned long long SimControllerLine::tickMs(void* self)
{
    return static_cast<SimControllerLine*>(self)->clock_.tickMs();
}
