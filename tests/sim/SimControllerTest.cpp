// The simulated controller as the bootloader library sees it: protocol, flash, protection, the
// adapter's line sequences and the fault modes, on virtual time (and once on a pseudo-terminal).
#include "platform/Clock.h"
#include "production/stbl/StblSerialPort.h"
#include "production/stbl/StblSession.h"
#include "sim/SimController.h"
#include "sim/SimControllerLine.h"
#include "sim/SimControllerPort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

namespace {

constexpr std::uint32_t Base = SimController::FlashBase;

struct Bench {
    FakeClock clock;
    SimController controller;
    SimControllerLine wire;
    stbl::TransportLine line;
    stbl::Session session;
    std::vector<SimBoardEvent> events;

    explicit Bench(unsigned baud = 0) : wire(controller, clock, baud), line(wire.transport())
    {
        controller.onEvent = [this](SimBoardEvent e) { events.push_back(e); };
        controller.powerOnInRomBootloader(0);
        session.attach(&line);
    }
    std::uint64_t ms() const { return clock.tickMs(); }
};

std::vector<std::uint8_t> counting(std::size_t n)
{
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), std::uint8_t{1});
    return v;
}

TEST(SimController, ProgramsReadsBackAndStartsLikeTheRealPart)
{
    Bench b;
    ASSERT_EQ(b.session.init(), STBL_OK);
    EXPECT_EQ(b.session.init(), STBL_OK) << "a second synchronisation is answered with NACK, still fine";
    std::uint8_t version = 0;
    STBL_Commands list{};
    ASSERT_EQ(b.session.get(&version, &list), STBL_OK);
    EXPECT_EQ(version, SimController::BootloaderVersion);
    EXPECT_FALSE(b.session.offersExtendedErase());
    ASSERT_EQ(b.session.erase(255, nullptr), STBL_OK);

    const std::vector<std::uint8_t> data = counting(40);
    for (std::uint32_t at = 0; at < 40; at += 16)
        ASSERT_EQ(b.session.write(Base + 0x100 + at, data.data() + at, std::min<std::uint32_t>(16, 40 - at), true), STBL_OK);
    EXPECT_EQ(b.controller.writes(), 3);
    std::vector<std::uint8_t> back(44);
    ASSERT_EQ(b.session.read(Base + 0x100, back.data(), 44), STBL_OK);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
    EXPECT_EQ(back[40], 0xFF) << "the padding of the last word is erased flash";

    ASSERT_EQ(b.session.go(Base + 0x100), STBL_OK);
    EXPECT_EQ(b.controller.startedAt(), Base + 0x100);
    EXPECT_FALSE(b.controller.inRomBootloader());
    EXPECT_EQ(b.events, std::vector<SimBoardEvent>{SimBoardEvent::BlankOrUnknown});
    EXPECT_EQ(b.session.init(), STBL_ERR_NO_ANSWER) << "after GO the bootloader no longer listens";
}

TEST(SimController, FlashBehavesAsNorFlashAndStaysInsideItsRange)
{
    Bench b;
    ASSERT_EQ(b.session.init(), STBL_OK);
    const std::array<std::uint8_t, 4> first{0xF0, 0x0F, 0xFF, 0x00}, second{0x3C, 0x3C, 0x3C, 0x3C};
    ASSERT_EQ(b.session.write(Base, first.data(), 4, false), STBL_OK);
    ASSERT_EQ(b.session.write(Base, second.data(), 4, false), STBL_OK);
    std::array<std::uint8_t, 4> back{};
    ASSERT_EQ(b.session.read(Base, back.data(), 4), STBL_OK);
    EXPECT_EQ(back, (std::array<std::uint8_t, 4>{0x30, 0x0C, 0x3C, 0x00})) << "without an erase only bits can clear";

    EXPECT_EQ(b.session.write(Base - 4, first.data(), 4, false), STBL_ERR_NACK);
    EXPECT_EQ(b.session.write(Base + SimController::FlashSize - 2, first.data(), 4, false), STBL_ERR_NACK);
    EXPECT_EQ(b.session.read(Base + SimController::FlashSize, back.data(), 1), STBL_ERR_NACK);
}

TEST(SimController, HostFramingErrorsAreRefused)
{
    struct Case { const char* name; std::vector<std::uint8_t> bytes; };
    const std::vector<Case> cases = {
        {"wrong complement", {0x31, 0xCF}},
        {"unknown command", {0x44, 0xBB}},
        {"address checksum", {0x31, 0xCE, 0x08, 0x00, 0x00, 0x00, 0x09}},
        {"data checksum", {0x31, 0xCE, 0x08, 0x00, 0x00, 0x00, 0x08, 0x03, 1, 2, 3, 4, 0x00}},
        {"length not whole words", {0x31, 0xCE, 0x08, 0x00, 0x00, 0x00, 0x08, 0x01, 1, 2, 0x02}},
        {"read count complement", {0x11, 0xEE, 0x08, 0x00, 0x00, 0x00, 0x08, 0x0F, 0x0F}},
        {"mass erase without its complement", {0x43, 0xBC, 0xFF, 0x01}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimController sim;
        sim.powerOnInRomBootloader(0);
        sim.receive(std::array<std::uint8_t, 1>{0x7F}, 0);
        sim.receive(c.bytes, 0);
        const std::vector<std::uint8_t> answers = sim.takeAnswers(~std::uint64_t{0});
        ASSERT_FALSE(answers.empty());
        EXPECT_EQ(answers.back(), STBL_NACK);
        EXPECT_EQ(sim.writes(), 0);
    }
}

TEST(SimController, ReadoutProtectionLocksTheFlashUntilUnprotectErasesIt)
{
    Bench b;
    ASSERT_EQ(b.session.init(), STBL_OK);
    const std::array<std::uint8_t, 4> word{1, 2, 3, 4};
    ASSERT_EQ(b.session.write(Base, word.data(), 4, false), STBL_OK);
    b.session.setTimeout(100);
    ASSERT_EQ(b.session.protectionCommand(STBL_CMD_READOUT_PROTECT), STBL_OK);
    EXPECT_TRUE(b.controller.readoutProtected());
    std::array<std::uint8_t, 4> back{};
    EXPECT_EQ(b.session.read(Base, back.data(), 4), STBL_ERR_NACK);
    EXPECT_EQ(b.session.write(Base, word.data(), 4, false), STBL_ERR_NACK);
    EXPECT_EQ(b.session.erase(255, nullptr), STBL_ERR_NACK);

    ASSERT_EQ(b.session.protectionCommand(STBL_CMD_READOUT_UNPROTECT), STBL_OK);
    EXPECT_FALSE(b.controller.readoutProtected());
    EXPECT_EQ(b.controller.flash()[0], 0xFF) << "unprotecting takes the content with it";
    EXPECT_EQ(b.session.write(Base, word.data(), 4, false), STBL_OK) << "and leaves it synchronised again";
}

TEST(SimController, AdapterLineSequencesSelectWhatTheBoardRuns)
{
    SimController sim;
    std::vector<SimBoardEvent> events;
    sim.onEvent = [&](SimBoardEvent e) { events.push_back(e); };
    // Programming sequence: reset with boot line, reset released, boot line released.
    sim.setLines(true, true, 0);
    sim.setLines(false, true, 100000);
    sim.setLines(false, false, 200000);
    EXPECT_EQ(events, (std::vector<SimBoardEvent>{SimBoardEvent::HeldInReset, SimBoardEvent::RomBootloader}));
    EXPECT_TRUE(sim.inRomBootloader()) << "the boot line is only sampled when the reset is released";

    // Restart sequence on blank flash, then on flash that holds the USB bootloader.
    events.clear();
    sim.setLines(true, false, 300000);
    sim.setLines(false, false, 400000);
    EXPECT_EQ(events, (std::vector<SimBoardEvent>{SimBoardEvent::HeldInReset, SimBoardEvent::BlankOrUnknown}));

    FakeClock clock;
    SimControllerLine wire(sim, clock);
    stbl::TransportLine line(wire.transport());
    stbl::Session session;
    session.attach(&line);
    sim.setLines(true, true, 0);
    sim.setLines(false, true, 0);
    ASSERT_EQ(session.init(), STBL_OK);
    std::vector<std::uint8_t> page(256, 0x00);
    std::memcpy(page.data() + 0x40, SimController::UsbBootloaderTag, std::strlen(SimController::UsbBootloaderTag));
    ASSERT_EQ(session.write(Base, page.data(), 256, false), STBL_OK);
    events.clear();
    ASSERT_EQ(session.go(Base), STBL_OK);
    sim.setLines(true, false, 0);
    sim.setLines(false, false, 0);
    EXPECT_EQ(events, (std::vector<SimBoardEvent>{SimBoardEvent::UsbBootloader, SimBoardEvent::HeldInReset,
                                                  SimBoardEvent::UsbBootloader}));
}

TEST(SimController, FaultModes)
{
    const std::array<std::uint8_t, 16> block{};
    {
        Bench b;
        b.controller.setFault(SimControllerFault::NackCommand, STBL_CMD_WRITE_MEMORY, 2);
        ASSERT_EQ(b.session.init(), STBL_OK);
        EXPECT_EQ(b.session.write(Base, block.data(), 16, true), STBL_OK);
        EXPECT_EQ(b.session.write(Base + 16, block.data(), 16, true), STBL_OK);
        EXPECT_EQ(b.session.write(Base + 32, block.data(), 16, true), STBL_ERR_NACK);
    }
    {
        Bench b;
        b.controller.setFault(SimControllerFault::Silent);
        EXPECT_EQ(b.session.init(), STBL_ERR_NO_ANSWER);
        EXPECT_EQ(b.ms(), STBL_DEFAULT_TIMEOUT_MS);
    }
    {
        Bench b;
        b.controller.setFault(SimControllerFault::WrongSync);
        EXPECT_EQ(b.session.init(), STBL_ERR_UNKNOWN);
    }
    {
        Bench b;
        b.controller.setFault(SimControllerFault::SlowErase);
        ASSERT_EQ(b.session.init(), STBL_OK);
        b.session.setTimeout(100);
        EXPECT_EQ(b.session.erase(255, nullptr), STBL_OK);
        EXPECT_GE(b.ms(), 20000u);
        b.controller.slowEraseMs = STBL_ERASE_TIMEOUT_MS + 1000;
        EXPECT_EQ(b.session.erase(255, nullptr), STBL_ERR_NO_ANSWER);
    }
}

TEST(SimController, WireModelChargesEveryByteBothWays)
{
    Bench b(57600);
    ASSERT_EQ(b.session.init(), STBL_OK);
    const std::uint64_t start = b.wire.nowUs();
    const std::array<std::uint8_t, 16> block{};
    ASSERT_EQ(b.session.write(Base, block.data(), 16, false), STBL_OK);
    // 2 + 5 + 18 bytes out, 3 acknowledgements back, 11 bit times of 1/57600 s each.
    const std::uint64_t byteUs = 11u * 1000000u / 57600u;
    EXPECT_EQ(b.wire.nowUs() - start, 28u * byteUs);
}

TEST(SimController, AnswersOnItsPseudoTerminal)
{
    SimControllerPort port;
    ASSERT_TRUE(port.ok());
    port.withController([](SimController& c) { c.powerOnInRomBootloader(SimControllerPort::nowUs()); });
    stbl::SerialPort serial;
    ASSERT_EQ(serial.open(port.devicePath(), stbl::LineSettings{}), STBL_OK);
    stbl::Session session;
    session.attach(&serial);
    ASSERT_EQ(session.init(), STBL_OK);
    std::uint8_t version = 0;
    ASSERT_EQ(session.get(&version, nullptr), STBL_OK);
    EXPECT_EQ(version, SimController::BootloaderVersion);
    const std::vector<std::uint8_t> data = counting(256);
    ASSERT_EQ(session.write(Base, data.data(), 256, false), STBL_OK);
    int writes = 0;
    port.withController([&](SimController& c) { writes = c.writes(); });
    EXPECT_EQ(writes, 1);
}

}  // namespace
