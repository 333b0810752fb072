// The bootloader protocol: command framing, answers and their time-outs.
#include "production/stbl/StblSession.h"

#include <algorithm>
#include <vector>

namespace stbl {

std::uint8_t xorOf(std::span<const std::uint8_t> bytes)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes)
        x ^= b;
    return x;
}

void Session::attach(Line* line)
{
    line_ = line;
    extendedErase_ = false;
}

std::uint8_t Session::readUntil(std::uint8_t& byte, std::uint64_t deadline)
{
    const std::uint64_t now = line_->tickMs();
    if (now >= deadline)
        return STBL_ERR_NO_ANSWER;
    const std::uint64_t left = deadline - now;
    const int r = line_->readByte(byte, static_cast<unsigned>(std::min<std::uint64_t>(left, 0xFFFFFFFFu)));
    if (r < 0)
        return STBL_ERR_IO;
    return r == 1 ? STBL_OK : STBL_ERR_NO_ANSWER;
}

std::uint8_t Session::expectAck(unsigned limitMs)
{
    std::uint8_t b = 0;
    if (const std::uint8_t s = readUntil(b, line_->tickMs() + limitMs); s != STBL_OK)
        return s;
    if (b == STBL_ACK)
        return STBL_OK;
    return b == STBL_NACK ? STBL_ERR_NACK : STBL_ERR_BAD_ANSWER;
}

std::uint8_t Session::send(std::span<const std::uint8_t> bytes)
{
    return line_->write(bytes) ? STBL_OK : STBL_ERR_IO;
}

std::uint8_t Session::command(std::uint8_t code)
{
    if (!line_)
        return STBL_ERR_NOT_OPEN;
    const std::array<std::uint8_t, 2> frame{code, static_cast<std::uint8_t>(code ^ 0xFF)};
    if (const std::uint8_t s = send(frame); s != STBL_OK)
        return s;
    return expectAck(timeoutMs_);
}

std::uint8_t Session::sendAddress(std::uint32_t address)
{
    std::array<std::uint8_t, 5> frame{static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
                                      static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address), 0};
    frame[4] = xorOf(std::span(frame).first(4));
    if (const std::uint8_t s = send(frame); s != STBL_OK)
        return s;
    return expectAck(timeoutMs_);
}

std::uint8_t Session::init()
{
    if (!line_)
        return STBL_ERR_NOT_OPEN;
    line_->discardInput();
    const std::array<std::uint8_t, 1> sync{STBL_SYNC};
    if (const std::uint8_t s = send(sync); s != STBL_OK)
        return s;
    std::uint8_t b = 0;
    if (const std::uint8_t s = readUntil(b, line_->tickMs() + timeoutMs_); s != STBL_OK)
        return s;
    return b == STBL_ACK || b == STBL_NACK ? STBL_OK : STBL_ERR_UNKNOWN;
}

std::uint8_t Session::get(std::uint8_t* version, STBL_Commands* commands)
{
    if (const std::uint8_t s = command(STBL_CMD_GET); s != STBL_OK)
        return s;
    // The whole list is one answer: one limit for all of it.
    const std::uint64_t deadline = line_->tickMs() + timeoutMs_;
    std::uint8_t n = 0, v = 0;
    if (const std::uint8_t s = readUntil(n, deadline); s != STBL_OK)
        return s;
    if (const std::uint8_t s = readUntil(v, deadline); s != STBL_OK)
        return s;
    STBL_Commands list{};
    for (unsigned i = 0; i < n; ++i) {
        std::uint8_t c = 0;
        if (const std::uint8_t s = readUntil(c, deadline); s != STBL_OK)
            return s;
        list.Codes[i] = c;
    }
    list.Count = n;
    if (const std::uint8_t s = expectAck(timeoutMs_); s != STBL_OK)
        return s;
    extendedErase_ = std::find(list.Codes, list.Codes + n, STBL_CMD_EXTENDED_ERASE) != list.Codes + n &&
                     std::find(list.Codes, list.Codes + n, STBL_CMD_ERASE) == list.Codes + n;
    if (version)
        *version = v;
    if (commands)
        *commands = list;
    return STBL_OK;
}

std::uint8_t Session::erase(unsigned nbSectors, const std::uint8_t* sectors)
{
    const bool mass = nbSectors == 255;
    if (mass ? sectors != nullptr : (nbSectors == 0 || nbSectors > 254 || !sectors))
        return STBL_ERR_ARGUMENT;
    const std::uint8_t code = extendedErase_ ? STBL_CMD_EXTENDED_ERASE : STBL_CMD_ERASE;
    if (const std::uint8_t s = command(code); s != STBL_OK)
        return s;
    std::vector<std::uint8_t> frame;
    if (extendedErase_) {
        if (mass) {
            frame = {0xFF, 0xFF};
        } else {
            frame = {0x00, static_cast<std::uint8_t>(nbSectors - 1)};
            for (unsigned i = 0; i < nbSectors; ++i) {
                frame.push_back(0x00);
                frame.push_back(sectors[i]);
            }
        }
    } else {
        frame.push_back(mass ? 0xFF : static_cast<std::uint8_t>(nbSectors - 1));
        if (!mass)
            frame.insert(frame.end(), sectors, sectors + nbSectors);
    }
    // The whole-flash form of ERASE is a code with its complement; every other form ends in the
    // XOR of what went before.
    frame.push_back(mass && !extendedErase_ ? 0x00 : xorOf(frame));
    if (const std::uint8_t s = send(frame); s != STBL_OK)
        return s;
    return expectAck(STBL_ERASE_TIMEOUT_MS);
}

std::uint8_t Session::writeBlock(std::uint32_t address, const std::uint8_t* data, std::uint32_t length, bool pad)
{
    const std::uint32_t wire = (length + 3) & ~3u;
    if (wire != length && !pad)
        return STBL_ERR_ARGUMENT;
    if (const std::uint8_t s = command(STBL_CMD_WRITE_MEMORY); s != STBL_OK)
        return s;
    if (const std::uint8_t s = sendAddress(address); s != STBL_OK)
        return s;
    std::array<std::uint8_t, STBL_MAX_BLOCK + 2> frame{};
    frame[0] = static_cast<std::uint8_t>(wire - 1);
    std::copy(data, data + length, frame.begin() + 1);
    std::fill(frame.begin() + 1 + length, frame.begin() + 1 + wire, std::uint8_t{0xFF});
    frame[1 + wire] = xorOf(std::span(frame).first(1 + wire));
    if (const std::uint8_t s = send(std::span(frame).first(wire + 2)); s != STBL_OK)
        return s;
    return expectAck(timeoutMs_);
}

std::uint8_t Session::write(std::uint32_t address, const std::uint8_t* data, std::uint32_t length, bool pad)
{
    if (!line_)
        return STBL_ERR_NOT_OPEN;
    if (length == 0)
        return STBL_OK;
    if (!data || std::uint64_t{address} + length > 0x100000000ull)
        return STBL_ERR_ARGUMENT;
    if (!pad && length % 4 != 0)
        return STBL_ERR_ARGUMENT;
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t n = std::min<std::uint32_t>(STBL_MAX_BLOCK, length - done);
        if (const std::uint8_t s = writeBlock(address + done, data + done, n, pad); s != STBL_OK)
            return s;
        done += n;
    }
    return STBL_OK;
}

std::uint8_t Session::readBlock(std::uint32_t address, std::uint8_t* data, std::uint32_t length)
{
    if (const std::uint8_t s = command(STBL_CMD_READ_MEMORY); s != STBL_OK)
        return s;
    if (const std::uint8_t s = sendAddress(address); s != STBL_OK)
        return s;
    const std::array<std::uint8_t, 2> count{static_cast<std::uint8_t>(length - 1),
                                            static_cast<std::uint8_t>((length - 1) ^ 0xFF)};
    if (const std::uint8_t s = send(count); s != STBL_OK)
        return s;
    if (const std::uint8_t s = expectAck(timeoutMs_); s != STBL_OK)
        return s;
    const std::uint64_t deadline = line_->tickMs() + timeoutMs_;
    for (std::uint32_t i = 0; i < length; ++i)
        if (const std::uint8_t s = readUntil(data[i], deadline); s != STBL_OK)
            return s;
    return STBL_OK;
}

std::uint8_t Session::read(std::uint32_t address, std::uint8_t* data, std::uint32_t length)
{
    if (!line_)
        return STBL_ERR_NOT_OPEN;
    if (length == 0)
        return STBL_OK;
    if (!data || std::uint64_t{address} + length > 0x100000000ull)
        return STBL_ERR_ARGUMENT;
    for (std::uint32_t done = 0; done < length;) {
        const std::uint32_t n = std::min<std::uint32_t>(STBL_MAX_BLOCK, length - done);
        if (const std::uint8_t s = readBlock(address + done, data + done, n); s != STBL_OK)
            return s;
        done += n;
    }
    return STBL_OK;
}

std::uint8_t Session::go(std::uint32_t address)
{
    if (const std::uint8_t s = command(STBL_CMD_GO); s != STBL_OK)
        return s;
    return sendAddress(address);
}

std::uint8_t Session::resync(std::uint64_t deadline)
{
    const std::array<std::uint8_t, 1> sync{STBL_SYNC};
    for (;;) {
        line_->discardInput();
        if (const std::uint8_t s = send(sync); s != STBL_OK)
            return s;
        std::uint8_t b = 0;
        // Short tries: a restarting controller ignores what arrives before it listens.
        const std::uint64_t tryEnd = std::min(deadline, line_->tickMs() + timeoutMs_);
        const std::uint8_t s = readUntil(b, tryEnd);
        if (s == STBL_OK && (b == STBL_ACK || b == STBL_NACK))
            return STBL_OK;
        if (s == STBL_ERR_IO)
            return s;
        if (line_->tickMs() >= deadline)
            return s == STBL_OK ? STBL_ERR_UNKNOWN : STBL_ERR_NO_ANSWER;
    }
}

std::uint8_t Session::protectionCommand(std::uint8_t code)
{
    const std::uint64_t start = line_ ? line_->tickMs() : 0;
    if (const std::uint8_t s = command(code); s != STBL_OK)
        return s;
    if (const std::uint8_t s = expectAck(STBL_PROTECT_TIMEOUT_MS); s != STBL_OK)
        return s;
    return resync(start + timeoutMs_ + STBL_PROTECT_TIMEOUT_MS);
}

}  // namespace stbl
