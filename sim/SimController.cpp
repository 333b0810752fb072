// The simulated controller's ROM bootloader: the command set of the real part, flash with NOR
// semantics (a write can only clear bits), readout protection and the restarts that go with it.
#include "sim/SimController.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t Ack = 0x79, Nack = 0x1F, Sync = 0x7F;
constexpr std::uint8_t CmdGet = 0x00, CmdGetVersion = 0x01, CmdGetId = 0x02, CmdRead = 0x11, CmdGo = 0x21,
                       CmdWrite = 0x31, CmdErase = 0x43, CmdWriteUnprotect = 0x73, CmdReadoutProtect = 0x82,
                       CmdReadoutUnprotect = 0x92;
constexpr std::uint8_t OfferedCommands[] = {CmdGet, CmdGetVersion, CmdGetId, CmdRead, CmdGo,
                                            CmdWrite, CmdErase, CmdWriteUnprotect, CmdReadoutProtect, CmdReadoutUnprotect};
// How long the part takes to restart after a protection change; synchronisation bytes that
// arrive meanwhile are lost, as on the real part.
constexpr unsigned RestartMs = 20;
constexpr unsigned OptionBytesMs = 30;

std::uint8_t xorOf(std::span<const std::uint8_t> b)
{
    std::uint8_t x = 0;
    for (std::uint8_t v : b)
        x ^= v;
    return x;
}

}  // namespace

SimController::SimController() : flash_(FlashSize, 0xFF) {}

void SimController::eraseAll() { std::fill(flash_.begin(), flash_.end(), std::uint8_t{0xFF}); }

void SimController::loadFlash(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (inFlash(static_cast<std::uint32_t>(address + i), 1))
            flash_[address + i - FlashBase] = bytes[i];
}

void SimController::setFault(SimControllerFault fault, std::uint8_t code, int after)
{
    fault_ = fault;
    faultCode_ = code;
    faultAfter_ = after;
}

void SimController::notify(SimBoardEvent e)
{
    if (onEvent)
        onEvent(e);
}

void SimController::answer(std::initializer_list<std::uint8_t> bytes, std::uint64_t at)
{
    answer(std::span<const std::uint8_t>(bytes.begin(), bytes.size()), at);
}

void SimController::answer(std::span<const std::uint8_t> bytes, std::uint64_t at)
{
    if (fault_ == SimControllerFault::Silent)
        return;
    const std::uint64_t due = std::max(at, busyUntil_);
    for (std::uint8_t b : bytes)
        out_.push_back({b, due});
}

std::optional<std::uint64_t> SimController::nextAnswerDue() const
{
    if (out_.empty())
        return std::nullopt;
    return out_.front().due;
}

std::vector<std::uint8_t> SimController::takeAnswers(std::uint64_t nowUs)
{
    std::vector<std::uint8_t> bytes;
    while (!out_.empty() && out_.front().due <= nowUs) {
        bytes.push_back(out_.front().byte);
        out_.pop_front();
    }
    return bytes;
}

std::optional<std::uint8_t> SimController::takeAnswer(std::uint64_t nowUs)
{
    if (out_.empty() || out_.front().due > nowUs)
        return std::nullopt;
    const std::uint8_t b = out_.front().byte;
    out_.pop_front();
    return b;
}

void SimController::setLines(bool dtr, bool rts, std::uint64_t nowUs)
{
    const bool released = dtr_ && !dtr;
    const bool pressed = !dtr_ && dtr;
    dtr_ = dtr;
    rts_ = rts;
    if (pressed)
        reset(nowUs);
    else if (released)
        boot(nowUs);
}

void SimController::reset(std::uint64_t)
{
    mode_ = Mode::Reset;
    out_.clear();
    step_ = Step::Sync;
    notify(SimBoardEvent::HeldInReset);
}

void SimController::powerOnInRomBootloader(std::uint64_t nowUs)
{
    out_.clear();
    busyUntil_ = nowUs;
    mode_ = Mode::Rom;
    step_ = Step::Sync;
}

bool SimController::holdsUsbBootloader() const
{
    const std::size_t n = std::strlen(UsbBootloaderTag);
    const auto first = flash_.begin(), end = flash_.begin() + PageSize;
    return std::search(first, end, UsbBootloaderTag, UsbBootloaderTag + n) != end;
}

void SimController::boot(std::uint64_t nowUs)
{
    out_.clear();
    busyUntil_ = nowUs;
    if (rts_) {
        mode_ = Mode::Rom;
        step_ = Step::Sync;
        notify(SimBoardEvent::RomBootloader);
        return;
    }
    mode_ = Mode::Running;
    startedAt_ = FlashBase;
    notify(holdsUsbBootloader() ? SimBoardEvent::UsbBootloader : SimBoardEvent::BlankOrUnknown);
}

bool SimController::inFlash(std::uint32_t address, std::uint32_t length) const
{
    return address >= FlashBase && std::uint64_t{address} + length <= std::uint64_t{FlashBase} + FlashSize;
}

std::uint64_t SimController::eraseUs() const
{
    return std::uint64_t{fault_ == SimControllerFault::SlowErase ? slowEraseMs : MassEraseMs} * 1000u;
}

bool SimController::faultNacks(std::uint8_t code)
{
    if (fault_ != SimControllerFault::NackCommand || code != faultCode_)
        return false;
    if (faultAfter_ > 0) {
        --faultAfter_;
        return false;
    }
    return true;
}

void SimController::receive(std::span<const std::uint8_t> bytes, std::uint64_t nowUs)
{
    for (std::uint8_t b : bytes)
        onByte(b, nowUs);
}

void SimController::onByte(std::uint8_t b, std::uint64_t now)
{
    if (mode_ != Mode::Rom)
        return;
    switch (step_) {
    case Step::Sync:
        // Until it has seen the synchronisation byte the bootloader listens to nothing else; while
        // it restarts it hears nothing at all.
        if (b != Sync || now < busyUntil_)
            return;
        if (fault_ == SimControllerFault::WrongSync)
            answer({0x00}, now);
        else
            answer({Ack}, now);
        step_ = Step::Command;
        return;
    case Step::Command:
        if (b == Sync) {
            answer({Nack}, now);  // synchronised already
            return;
        }
        command_ = b;
        step_ = Step::Complement;
        return;
    case Step::Complement:
        step_ = Step::Command;
        if (b != static_cast<std::uint8_t>(command_ ^ 0xFF)) {
            answer({Nack}, now);
            return;
        }
        commands_.push_back(command_);
        onCommand(command_, now);
        return;
    case Step::Address:
    case Step::EraseCount:
    case Step::EraseList:
    case Step::WriteCount:
    case Step::WriteData:
    case Step::ReadCount:
        collect_.push_back(b);
        if (collect_.size() < need_)
            return;
        break;
    }

    // A complete field.
    const Step step = step_;
    step_ = Step::Command;
    switch (step) {
    case Step::Address:
        onAddress(now);
        return;
    case Step::EraseCount:
        if (collect_[0] == 0xFF) {  // whole flash: 0xFF and its complement
            collect_.clear();
            need_ = 1;
            step_ = Step::EraseList;
            command_ = 0xFF;
        } else {
            need_ = collect_[0] + 3u;  // the count, its pages and the checksum
            step_ = Step::EraseList;
            command_ = CmdErase;
        }
        return;
    case Step::EraseList:
        if (command_ == 0xFF) {
            if (collect_[0] != 0x00) {
                answer({Nack}, now);
                return;
            }
            eraseAll();
        } else {
            // collect_ = count, pages..., checksum
            if (xorOf(std::span(collect_).first(collect_.size() - 1)) != collect_.back()) {
                answer({Nack}, now);
                return;
            }
            for (std::size_t i = 1; i + 1 < collect_.size(); ++i)
                if (collect_[i] < FlashSize / PageSize)
                    std::fill_n(flash_.begin() + collect_[i] * PageSize, PageSize, std::uint8_t{0xFF});
        }
        busyUntil_ = std::max(busyUntil_, now) + eraseUs();
        answer({Ack}, now);
        return;
    case Step::WriteCount: {
        need_ = collect_[0] + 3u;  // count, data, checksum
        step_ = Step::WriteData;
        return;
    }
    case Step::WriteData: {
        const std::uint32_t n = collect_[0] + 1u;
        if (xorOf(std::span(collect_).first(n + 1)) != collect_.back() || n % 4 != 0 || !inFlash(address_, n)) {
            answer({Nack}, now);
            return;
        }
        for (std::uint32_t i = 0; i < n; ++i)
            flash_[address_ - FlashBase + i] &= collect_[1 + i];
        if (fault_ == SimControllerFault::CorruptWrite && n > 5)
            flash_[address_ - FlashBase + 5] ^= 0x01;
        ++writes_;
        answer({Ack}, now);
        return;
    }
    case Step::ReadCount: {
        if (static_cast<std::uint8_t>(collect_[0] ^ 0xFF) != collect_[1]) {
            answer({Nack}, now);
            return;
        }
        const std::uint32_t n = collect_[0] + 1u;
        if (!inFlash(address_, n)) {
            answer({Nack}, now);
            return;
        }
        answer({Ack}, now);
        answer(std::span<const std::uint8_t>(flash_).subspan(address_ - FlashBase, n), now);
        return;
    }
    default:
        return;
    }
}

void SimController::onCommand(std::uint8_t code, std::uint64_t now)
{
    const bool known = std::find(std::begin(OfferedCommands), std::end(OfferedCommands), code) != std::end(OfferedCommands);
    const bool lockedOut = readoutProtected_ && (code == CmdRead || code == CmdWrite || code == CmdGo || code == CmdErase);
    if (!known || lockedOut || faultNacks(code)) {
        answer({Nack}, now);
        return;
    }
    const auto expect = [this](Step s, std::size_t n) {
        collect_.clear();
        need_ = n;
        step_ = s;
    };
    switch (code) {
    case CmdGet: {
        std::vector<std::uint8_t> a{Ack, static_cast<std::uint8_t>(std::size(OfferedCommands)), BootloaderVersion};
        a.insert(a.end(), std::begin(OfferedCommands), std::end(OfferedCommands));
        a.push_back(Ack);
        answer(a, now);
        return;
    }
    case CmdGetVersion:
        answer({Ack, BootloaderVersion, 0x00, 0x00, Ack}, now);
        return;
    case CmdGetId:
        answer({Ack, 0x01, static_cast<std::uint8_t>(ProductId >> 8), static_cast<std::uint8_t>(ProductId), Ack}, now);
        return;
    case CmdRead:
    case CmdGo:
    case CmdWrite:
        answer({Ack}, now);
        expect(Step::Address, 5);
        return;
    case CmdErase:
        answer({Ack}, now);
        expect(Step::EraseCount, 1);
        return;
    case CmdReadoutUnprotect:
    case CmdReadoutProtect:
    case CmdWriteUnprotect: {
        answer({Ack}, now);
        std::uint64_t busy = OptionBytesMs * 1000u;
        if (code == CmdReadoutUnprotect) {
            eraseAll();  // removing the protection takes the content with it
            busy += eraseUs();
        }
        readoutProtected_ = code == CmdReadoutProtect ? true : (code == CmdReadoutUnprotect ? false : readoutProtected_);
        busyUntil_ = std::max(busyUntil_, now) + busy;
        answer({Ack}, now);
        // The part restarts into the ROM bootloader (the boot line is still held) and must be
        // synchronised again.
        busyUntil_ += RestartMs * 1000u;
        step_ = Step::Sync;
        return;
    }
    default:
        answer({Nack}, now);
        return;
    }
}

void SimController::onAddress(std::uint64_t now)
{
    if (xorOf(std::span(collect_).first(4)) != collect_[4]) {
        answer({Nack}, now);
        return;
    }
    address_ = (std::uint32_t{collect_[0]} << 24) | (std::uint32_t{collect_[1]} << 16) |
               (std::uint32_t{collect_[2]} << 8) | collect_[3];
    if (!inFlash(address_, 1)) {
        answer({Nack}, now);
        return;
    }
    answer({Ack}, now);
    collect_.clear();
    switch (command_) {
    case CmdWrite:
        need_ = 1;
        step_ = Step::WriteCount;
        return;
    case CmdRead:
        need_ = 2;
        step_ = Step::ReadCount;
        return;
    case CmdGo:
        mode_ = Mode::Running;
        startedAt_ = address_;
        notify(address_ == FlashBase && holdsUsbBootloader() ? SimBoardEvent::UsbBootloader : SimBoardEvent::BlankOrUnknown);
        return;
    default:
        return;
    }
}
