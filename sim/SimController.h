// The controller of a board in the production test adapter: flash memory and the ROM serial
// bootloader that answers on its serial line, plus the two adapter lines that reset it and select
// its boot source. Bytes go in and come out with times in microseconds, so the same model serves a virtual-time
// harness and the pseudo-terminal in SimControllerPort.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// Faults the controller can show, for tests and demonstrations.
enum class SimControllerFault {
    None,
    NackCommand,  // answers NACK to the chosen command code (after `after` accepted ones)
    Silent,       // never answers
    WrongSync,    // answers the synchronisation byte with something other than ACK or NACK
    SlowErase,    // an erase takes slowEraseMs instead of the flash's own time
    CorruptWrite, // a weak cell: every write stores its sixth byte with bit 0 flipped, and ACKs
};

// What the board does that the rest of the bench can see.
enum class SimBoardEvent {
    HeldInReset,       // the reset line holds it: nothing runs, nothing is on USB
    RomBootloader,     // started into the ROM bootloader (waits for the synchronisation byte)
    UsbBootloader,     // runs the USB bootloader from flash: the tool appears on USB in its bootloader
    BlankOrUnknown,    // started from flash that holds no image it recognises: nothing happens
};

class SimController {
public:
    // A medium-density part: 128 KB of flash in 1 KB pages at 0x08000000.
    static constexpr std::uint32_t FlashBase = 0x08000000;
    static constexpr std::uint32_t FlashSize = 128 * 1024;
    static constexpr std::uint32_t PageSize = 1024;
    static constexpr std::uint8_t BootloaderVersion = 0x22;
    static constexpr std::uint16_t ProductId = 0x0410;
    static constexpr unsigned MassEraseMs = 40;
    // The USB bootloader image carries this text in its first page; the simulated board runs an
    // image it finds it in as the USB bootloader.
    static constexpr const char* UsbBootloaderTag = "PRESSDIAG SIM USB BOOTLOADER";

    SimController();

    // --- the serial line -------------------------------------------------------------------
    // Bytes from the host that arrived at nowUs.
    void receive(std::span<const std::uint8_t> bytes, std::uint64_t nowUs);
    // The time (microseconds) the next answer byte is due, if one is waiting.
    std::optional<std::uint64_t> nextAnswerDue() const;
    // Answer bytes due by nowUs, in order.
    std::vector<std::uint8_t> takeAnswers(std::uint64_t nowUs);
    // The next answer byte if it is due by nowUs.
    std::optional<std::uint8_t> takeAnswer(std::uint64_t nowUs);

    // --- the adapter lines (DTR holds the reset, RTS selects the ROM bootloader) -------------
    void setLines(bool dtr, bool rts, std::uint64_t nowUs);
    // Told about every change of what the board runs.
    std::function<void(SimBoardEvent)> onEvent;

    // --- state --------------------------------------------------------------------------------
    bool inRomBootloader() const { return mode_ == Mode::Rom; }
    bool readoutProtected() const { return readoutProtected_; }
    void setReadoutProtected(bool on) { readoutProtected_ = on; }
    std::span<const std::uint8_t> flash() const { return flash_; }
    // Puts bytes into flash as a programmer would have (bytes outside the flash are dropped).
    void loadFlash(std::uint32_t address, std::span<const std::uint8_t> bytes);
    // The flash content as a blank part leaves the factory: all erased.
    void eraseAll();
    // Where the last GO jumped (none yet: nullopt).
    std::optional<std::uint32_t> startedAt() const { return startedAt_; }
    // Number of WRITE MEMORY requests the controller carried out.
    int writes() const { return writes_; }
    // Commands received since the start, by code, in order (complement not included).
    const std::vector<std::uint8_t>& commands() const { return commands_; }

    void setFault(SimControllerFault fault, std::uint8_t code = 0, int after = 0);
    unsigned slowEraseMs = 20000;

    // A board that is switched on in the ROM bootloader without the adapter's lines (for tests).
    void powerOnInRomBootloader(std::uint64_t nowUs);

private:
    enum class Mode { Reset, Rom, Running };
    enum class Step {
        Sync, Command, Complement, Address, EraseCount, EraseList,
        WriteCount, WriteData, ReadCount
    };

    void answer(std::initializer_list<std::uint8_t> bytes, std::uint64_t at);
    void answer(std::span<const std::uint8_t> bytes, std::uint64_t at);
    void onByte(std::uint8_t b, std::uint64_t now);
    void onCommand(std::uint8_t code, std::uint64_t now);
    void onAddress(std::uint64_t now);
    void boot(std::uint64_t nowUs);
    void reset(std::uint64_t nowUs);
    bool inFlash(std::uint32_t address, std::uint32_t length) const;
    std::uint64_t eraseUs() const;
    bool faultNacks(std::uint8_t code);
    void notify(SimBoardEvent e);
    bool holdsUsbBootloader() const;

    struct Timed { std::uint8_t byte; std::uint64_t due; };
    std::vector<std::uint8_t> flash_;
    std::deque<Timed> out_;
    Mode mode_ = Mode::Reset;
    Step step_ = Step::Sync;
    bool dtr_ = false, rts_ = false;
    bool readoutProtected_ = false;
    std::uint8_t command_ = 0;
    std::vector<std::uint8_t> collect_;
    std::size_t need_ = 0;
    std::uint32_t address_ = 0;
    std::optional<std::uint32_t> startedAt_;
    int writes_ = 0;
    std::vector<std::uint8_t> commands_;
    SimControllerFault fault_ = SimControllerFault::None;
    std::uint8_t faultCode_ = 0;
    int faultAfter_ = 0;
    std::uint64_t busyUntil_ = 0;  // answers wait until a running erase has finished
};
