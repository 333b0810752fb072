// A recorded bootloader exchange played back as the controller's side of the line: each step is
// what the host must send and what the controller then answers (after an optional delay), on a
// virtual clock that moves only when the host waits.
#pragma once

#include "production/stbl/StblSession.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

struct ExchangeStep {
    std::vector<std::uint8_t> host;
    std::vector<std::uint8_t> answer;
    unsigned delayMs = 0;  // the controller answers this long after the host's bytes are complete
};

class ScriptedLine final : public stbl::Line {
public:
    explicit ScriptedLine(std::vector<ExchangeStep> steps) : steps_(std::move(steps)) {}

    bool write(std::span<const std::uint8_t> data) override
    {
        sent_.insert(sent_.end(), data.begin(), data.end());
        release();
        return writeOk_;
    }
    int readByte(std::uint8_t& byte, unsigned timeoutMs) override
    {
        if (!pending_.empty() && pending_.front().due <= now_ + timeoutMs) {
            now_ = std::max(now_, pending_.front().due);
            byte = pending_.front().byte;
            pending_.pop_front();
            return 1;
        }
        now_ += timeoutMs;
        return 0;
    }
    void discardInput() override
    {
        // Only what has already arrived is discarded.
        while (!pending_.empty() && pending_.front().due <= now_)
            pending_.pop_front();
    }
    std::uint64_t tickMs() override { return now_; }

    // Everything the script expected from the host, in order.
    std::vector<std::uint8_t> expectedHost() const
    {
        std::vector<std::uint8_t> all;
        for (const ExchangeStep& s : steps_)
            all.insert(all.end(), s.host.begin(), s.host.end());
        return all;
    }
    const std::vector<std::uint8_t>& sent() const { return sent_; }
    bool finished() const { return next_ == steps_.size() && pending_.empty(); }
    void failWrites() { writeOk_ = false; }

private:
    struct Timed { std::uint8_t byte; std::uint64_t due; };

    // Answers a step once the host has sent exactly everything up to and including it.
    void release()
    {
        while (next_ < steps_.size()) {
            expectedLen_ += steps_[next_].host.size();
            if (sent_.size() < expectedLen_ || !std::equal(sent_.begin(), sent_.begin() + expectedLen_,
                                                            expectedHost().begin())) {
                expectedLen_ -= steps_[next_].host.size();
                return;
            }
            for (std::uint8_t b : steps_[next_].answer)
                pending_.push_back({b, now_ + steps_[next_].delayMs});
            ++next_;
        }
    }

    std::vector<ExchangeStep> steps_;
    std::vector<std::uint8_t> sent_;
    std::deque<Timed> pending_;
    std::size_t next_ = 0, expectedLen_ = 0;
    std::uint64_t now_ = 0;
    bool writeOk_ = true;
};
