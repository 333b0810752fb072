// ProgramController through the loaded libraries against the simulated adapter and controller, on
// virtual time: port names, line sequence, erase or unprotect, blocks and progress, start address,
// and every failure with its message.
#include "platform/Clock.h"
#include "production/ProgramController.h"
#include "sim/SimProductionBench.h"
#include "sim/SimSampleImages.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class ProgramControllerTest : public ::testing::Test {
public:
    QTemporaryDir dir;
    FakeClock clock;
    ScriptedPrompts prompts;
    SimProductionBench bench{clock, SimProductionBench::Wiring::Direct, nullptr, true};
    ControllerLibraries libs{QStringList{QStringLiteral(PRESSDIAG_LIBRARY_DIR)}};
    std::vector<QString> debug, report;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    std::vector<std::uint32_t> positions;
    ProgramContext ctx{clock, prompts, bench, libs, ControllerPort{}, [this](const QString& l) { debug.push_back(l); },
                       [this](std::uint32_t a, std::uint32_t b) { ranges.emplace_back(a, b); },
                       [this](std::uint32_t p) { positions.push_back(p); }, {},
                       [this](const QString& l) { report.push_back(l); }};

    void SetUp() override
    {
        ASSERT_EQ(libs.load(), std::nullopt);
        ASSERT_EQ(libs.stbl.STBL_SetTransport(bench.transport()), STBL_OK);
    }
    void TearDown() override
    {
        if (libs.loaded())
            libs.stbl.STBL_SetTransport(nullptr);
    }

    QString hexFile(const std::vector<SimImageBlock>& blocks, const char* name = "image.hex")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(SimIntelHex(blocks)));
        return path;
    }
    std::vector<QString> messages() const
    {
        std::vector<QString> m;
        for (const auto& s : prompts.messages())
            m.push_back(s.text);
        return m;
    }
    std::vector<std::uint8_t> flash(std::uint32_t address, std::size_t n)
    {
        std::vector<std::uint8_t> out;
        bench.withController([&](SimController& c) {
            const auto f = c.flash().subspan(address - SimController::FlashBase, n);
            out.assign(f.begin(), f.end());
        });
        return out;
    }
};

constexpr std::uint32_t A = SimController::FlashBase + 0x200;

std::vector<std::uint8_t> counting(std::size_t n, std::uint8_t from = 1)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(from + i);
    return v;
}

TEST_F(ProgramControllerTest, FortyBytesGoOutAsThreeBlocksWithTheProgressRunningAcrossThem)
{
    bench.withController([](SimController& c) { c.loadFlash(A - 0x200, std::vector<std::uint8_t>(8, 0x00)); });
    ASSERT_TRUE(ProgramController(ctx, {hexFile({{A, counting(40)}}), true, false, false}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(ranges, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{A, A + 39}}));
    EXPECT_EQ(positions, (std::vector<std::uint32_t>{A, A, A + 16, A + 32}));
    EXPECT_EQ(flash(A, 40), counting(40));
    EXPECT_EQ(flash(A + 40, 8), std::vector<std::uint8_t>(8, 0xFF)) << "nothing beyond the element was written";
    EXPECT_EQ(flash(SimController::FlashBase, 1)[0], 0xFF) << "erased as a whole before the download";
    int writes = 0;
    std::vector<std::uint8_t> commands;
    bench.withController([&](SimController& c) {
        writes = c.writes();
        commands = c.commands();
    });
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), STBL_CMD_ERASE), 1);
    EXPECT_EQ(report, (std::vector<QString>{QStringLiteral("08000200 40"), QStringLiteral("start 08000200")}));
    // The first line sequence, with its waits, and the 100 ms after the synchronisation.
    EXPECT_EQ(bench.lineChanges, (std::vector<std::pair<bool, bool>>{{true, true}, {false, true}, {false, false}}));
    EXPECT_GE(clock.tickMs(), 400u);
}

TEST_F(ProgramControllerTest, TwoElementsStartAtTheSecondOnesAddress)
{
    ASSERT_TRUE(ProgramController(ctx, {hexFile({{A, counting(16)}, {A + 0x1000, counting(4)}}), true, false, false}));
    std::optional<std::uint32_t> started;
    bench.withController([&](SimController& c) { started = c.startedAt(); });
    EXPECT_EQ(started, A + 0x1000);

    bench.withController([](SimController& c) { c.powerOnInRomBootloader(0); });
    ASSERT_TRUE(ProgramController(ctx, {hexFile({{A, counting(16)}}), false, false, true}));
    EXPECT_EQ(report.back(), QStringLiteral("08000200 16")) << "without start no GO";
}

TEST_F(ProgramControllerTest, UnprotectReplacesTheErase)
{
    bench.withController([](SimController& c) { c.setReadoutProtected(true); });
    ASSERT_TRUE(ProgramController(ctx, {hexFile({{A, counting(16)}}), true, true, false}));
    std::vector<std::uint8_t> commands;
    bool protectedNow = true;
    bench.withController([&](SimController& c) {
        commands = c.commands();
        protectedNow = c.readoutProtected();
    });
    EXPECT_FALSE(protectedNow);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), STBL_CMD_READOUT_UNPROTECT), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), STBL_CMD_ERASE), 0);
    EXPECT_EQ(flash(A, 16), counting(16));

    // Without the tick a protected controller refuses the erase.
    bench.withController([](SimController& c) {
        c.setReadoutProtected(true);
        c.powerOnInRomBootloader(0);
    });
    EXPECT_FALSE(ProgramController(ctx, {hexFile({{A, counting(16)}}), true, false, false}));
    EXPECT_EQ(messages().back(), QStringLiteral("Fehler beim Löschen des Controllers"));
}

TEST_F(ProgramControllerTest, PortNumberAndDeviceFromTheSettings)
{
    struct Case { const char* ini; int number; QString device; };
    const std::vector<Case> cases = {
        {"[Fertigung]\r\nComPortNr=260\r\n", 4, QStringLiteral("/dev/ttyS3")},
        {"[Fertigung]\r\n", 1, QStringLiteral("/dev/ttyS0")},
        {"[Fertigung]\r\nComPortNr=2\r\nComPortDevice=/dev/ttyUSB0\r\n", 2, QStringLiteral("/dev/ttyUSB0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        const QString ini = dir.filePath(QStringLiteral("pressdiag.ini"));
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.ini);
        f.close();
        const ControllerPort port = ControllerPort::fromSettings(ini);
        EXPECT_EQ(port.number, c.number);
        EXPECT_EQ(port.name(), QStringLiteral("COM%1").arg(c.number));
        EXPECT_EQ(port.openName(), c.device);
    }
}

TEST_F(ProgramControllerTest, TheLibraryGetsTheConfiguredPort)
{
    // "ComPortNr" 256 keeps its low 8 bits, 0, which the library refuses: proof that it was
    // handed the configured number and not a fixed 1.
    ctx.port.number = 256 & 0xFF;
    EXPECT_FALSE(ProgramController(ctx, {hexFile({{A, counting(16)}}), true, false, false}));
    EXPECT_EQ(messages().back(), QString::asprintf("Error SetCOMSettings(): %02X", STBL_ERR_SETTINGS));
}

TEST_F(ProgramControllerTest, FailuresShowTheirMessageAndStop)
{
    struct Case {
        const char* name;
        std::function<void(ProgramControllerTest&)> arrange;
        QString message;
    };
    const std::vector<Case> cases = {
        {"port cannot be opened", [](ProgramControllerTest& t) { t.bench.failOpen = true; },
         QStringLiteral("Fehler beim Öffnen von /dev/ttyS0")},
        {"no answer", [](ProgramControllerTest& t) { t.bench.withController([](SimController& c) { c.setFault(SimControllerFault::Silent); }); },
         QStringLiteral("Keine Antwort vom Controller")},
        {"unknown controller", [](ProgramControllerTest& t) { t.bench.withController([](SimController& c) { c.setFault(SimControllerFault::WrongSync); }); },
         QStringLiteral("Unbekannter Controller")},
        {"version query refused", [](ProgramControllerTest& t) { t.bench.withController([](SimController& c) { c.setFault(SimControllerFault::NackCommand, STBL_CMD_GET); }); },
         QStringLiteral("Fehler beim Lesen der Bootloaderversion")},
        {"NACK during the download", [](ProgramControllerTest& t) { t.bench.withController([](SimController& c) { c.setFault(SimControllerFault::NackCommand, STBL_CMD_WRITE_MEMORY, 1); }); },
         QString::asprintf("Fehler beim Download: %02X", STBL_ERR_NACK)},
        {"unprotect refused", [](ProgramControllerTest& t) { t.bench.withController([](SimController& c) { c.setFault(SimControllerFault::NackCommand, STBL_CMD_READOUT_UNPROTECT); }); },
         QStringLiteral("Fehler: STBL_READOUT_PERM_UNPROTECT")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        bench.failOpen = false;
        bench.withController([](SimController& s) {
            s.setFault(SimControllerFault::None);
            s.powerOnInRomBootloader(0);
        });
        c.arrange(*this);
        const bool unprotect = std::string(c.name) == "unprotect refused";
        EXPECT_FALSE(ProgramController(ctx, {hexFile({{A, counting(32)}}), true, unprotect, false}));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], c.message);
        EXPECT_EQ(prompts.messages()[0].caption, ControllerMessageCaption());
    }
}

TEST_F(ProgramControllerTest, AnUnreadableHexFileIsReportedAfterTheErase)
{
    const QString missing = dir.filePath(QStringLiteral("missing.hex"));
    EXPECT_FALSE(ProgramController(ctx, {missing, true, false, false}));
    EXPECT_EQ(messages(), std::vector<QString>{QStringLiteral("HEX-File %1 nicht gefunden").arg(missing)});
    EXPECT_EQ(libs.stbl.STBL_Init_BL(), STBL_ERR_NOT_OPEN) << "the port was closed before the message";
}

TEST_F(ProgramControllerTest, VerifyNamesTheFirstDifferingAddress)
{
    ASSERT_TRUE(ProgramController(ctx, {hexFile({{A, counting(40)}}), false, false, true}));
    bench.withController([](SimController& c) {
        c.powerOnInRomBootloader(0);
        c.setFault(SimControllerFault::CorruptWrite);
    });
    EXPECT_FALSE(ProgramController(ctx, {hexFile({{A, counting(40)}}), false, false, true}));
    EXPECT_EQ(messages().back(), QStringLiteral("Fehler beim Vergleich an Adresse 08000205"));
}

TEST_F(ProgramControllerTest, APortWithoutModemLinesSkipsTheSequenceWithADebugLine)
{
    bench.modemLines = false;
    // Nothing can switch it into the bootloader: it must be waiting there already.
    bench.withController([](SimController& c) { c.powerOnInRomBootloader(0); });
    ASSERT_TRUE(ProgramController(ctx, {hexFile({{A, counting(16)}}), true, false, false}));
    EXPECT_TRUE(bench.lineChanges.empty());
    ASSERT_FALSE(debug.empty());
    EXPECT_TRUE(debug[0].contains(QStringLiteral("sequence skipped")));
}

TEST(ControllerLibraries, MissingLibrariesAndEntryPointsAreNamed)
{
    QTemporaryDir empty;
    ControllerLibraries none{QStringList{empty.path()}};
    EXPECT_EQ(none.load(), QStringLiteral("libSTBLLIB.so nicht geladen"));
    EXPECT_FALSE(none.loaded());

    // The image library where the bootloader library is expected: it lacks every STBL entry point.
    QTemporaryDir wrong;
    QFile::copy(QStringLiteral(PRESSDIAG_LIBRARY_DIR "/libFILES.so"), wrong.filePath(QStringLiteral("libSTBLLIB.so")));
    ControllerLibraries mixed{QStringList{wrong.path()}};
    EXPECT_EQ(mixed.load(), QStringLiteral("libFILES.so nicht geladen"));
    QFile::copy(QStringLiteral(PRESSDIAG_LIBRARY_DIR "/libFILES.so"), wrong.filePath(QStringLiteral("libFILES.so")));
    EXPECT_EQ(mixed.load(), QStringLiteral("Fehler beim Laden der Funktion 'SetCOMSettings' aus der libSTBLLIB.so"));
    EXPECT_FALSE(mixed.loaded());

    QTemporaryDir swapped;
    QFile::copy(QStringLiteral(PRESSDIAG_LIBRARY_DIR "/libSTBLLIB.so"), swapped.filePath(QStringLiteral("libSTBLLIB.so")));
    QFile::copy(QStringLiteral(PRESSDIAG_LIBRARY_DIR "/libSTBLLIB.so"), swapped.filePath(QStringLiteral("libFILES.so")));
    ControllerLibraries other{QStringList{swapped.path()}};
    EXPECT_EQ(other.load(), QStringLiteral("Fehler beim Laden der Funktion 'FILES_ImageFromFile' aus der libFILES.so"));
}

}  // namespace
