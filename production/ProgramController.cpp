// ProgramController and the two line sequences.
#include "production/ProgramController.h"

#include "platform/Clock.h"
#include "platform/Profile.h"
#include "platform/Prompts.h"
#include "platform/SerialLines.h"
#include "production/stbl/StblSerialPort.h"

#include <QCoreApplication>
#include <vector>

namespace {

constexpr int LineWaitMs = 100;

bool setLines(SerialLines& lines, bool dtr, bool rts, Clock& clock)
{
    if (!lines.setModemLines(dtr, rts))
        return false;
    clock.sleepMs(LineWaitMs, true);
    return true;
}

void runSequence(SerialLines& lines, Clock& clock, const std::function<void(const QString&)>& debug,
                 std::initializer_list<std::pair<bool, bool>> steps)
{
    for (const auto& [dtr, rts] : steps)
        if (!setLines(lines, dtr, rts, clock)) {
            if (debug)
                debug(QStringLiteral("Serial port without modem lines: DTR/RTS sequence skipped"));
            return;
        }
}

}  // namespace

QString ControllerPort::openName() const
{
    if (!device.isEmpty())
        return device;
    return QString::fromStdString(stbl::portDeviceName(number));
}

ControllerPort ControllerPort::fromSettings(const QString& iniPath)
{
    const Profile ini(iniPath);
    const QString section = QStringLiteral("Fertigung");
    ControllerPort p;
    p.number = static_cast<int>(static_cast<unsigned>(ini.readInt(section, QStringLiteral("ComPortNr"), 1)) & 0xFFu);
    p.device = ini.readString(section, QStringLiteral("ComPortDevice")).left(1023);
    return p;
}

QString ControllerMessageCaption()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("pressdiag") : name;
}

void ControllerLineSequenceProgram(SerialLines& lines, Clock& clock, const std::function<void(const QString&)>& debug)
{
    runSequence(lines, clock, debug, {{true, true}, {false, true}, {false, false}});
}

void ControllerLineSequenceRestart(SerialLines& lines, Clock& clock, const std::function<void(const QString&)>& debug)
{
    runSequence(lines, clock, debug, {{true, false}, {false, false}});
}

bool ProgramController(ProgramContext& ctx, const ProgramRequest& request)
{
    const auto fail = [&ctx](const QString& text) {
        ctx.prompts.message(ControllerMessageCaption(), text, PromptIcon::None);
        return false;
    };
    const auto events = [&ctx] {
        if (ctx.processEvents)
            ctx.processEvents();
    };

    const QString device = ctx.port.openName();
    if (!ctx.lines.open(device))
        return fail(QStringLiteral("Fehler beim Öffnen von %1").arg(device));
    ControllerLineSequenceProgram(ctx.lines, ctx.clock, ctx.debugLine);
    ctx.lines.prepareForLibrary();
    const QString libraryDevice = ctx.lines.libraryDevice().isEmpty() ? ctx.port.device : ctx.lines.libraryDevice();
    ctx.lines.close();

    // Programming is never attempted with an entry point missing.
    if (const std::optional<QString> message = ctx.libraries.load())
        return fail(*message);
    const StblApi& s = ctx.libraries.stbl;
    const FilesApi& f = ctx.libraries.files;

    // The configured port, so that the library talks over the port whose lines were switched.
    std::uint8_t status = s.SetCOMSettings(ctx.port.number, ControllerBaud, 8, STBL_PARITY_EVEN, 1.0f);
    if (status == STBL_OK) {
        const QByteArray path = libraryDevice.toLocal8Bit();
        status = s.SetCOMDevice(libraryDevice.isEmpty() ? nullptr : path.constData());
    }
    if (status != STBL_OK)
        return fail(QString::asprintf("Error SetCOMSettings(): %02X", status));
    status = s.COM_Open();
    s.SetTimeOut(ControllerTimeoutConnectMs);
    if (status != STBL_OK && status != STBL_ALREADY_OPEN)
        return fail(QString::asprintf("Error COM_Open(): %02X", status));
    const auto closeAndFail = [&](const QString& text) {
        s.COM_Close();
        return fail(text);
    };

    status = s.STBL_Init_BL();
    if (status == STBL_ERR_UNKNOWN)
        return closeAndFail(QStringLiteral("Unbekannter Controller"));
    if (status != STBL_OK)
        return closeAndFail(QStringLiteral("Keine Antwort vom Controller"));
    ctx.clock.sleepMs(LineWaitMs, true);
    std::uint8_t version = 0;
    STBL_Commands commands{};
    if (s.STBL_GET(&version, &commands) != STBL_OK)
        return closeAndFail(QStringLiteral("Fehler beim Lesen der Bootloaderversion"));
    if (ctx.debugLine)
        ctx.debugLine(QString::asprintf("Bootloader version %d.%d", version >> 4, version & 0x0F));
    s.SetTimeOut(ControllerTimeoutBlockMs);

    if (request.unprotect) {
        if (s.STBL_READOUT_PERM_UNPROTECT() != STBL_OK)
            return closeAndFail(QStringLiteral("Fehler: STBL_READOUT_PERM_UNPROTECT"));
    } else if (s.STBL_ERASE(255, nullptr) != STBL_OK) {
        return closeAndFail(QStringLiteral("Fehler beim Löschen des Controllers"));
    }

    FILES_Handle image = nullptr;
    const QByteArray hexPath = request.hexPath.toLocal8Bit();
    if (f.FILES_ImageFromFile(hexPath.constData(), &image, FILES_FORMAT_HEX) != FILES_OK)
        return closeAndFail(QStringLiteral("HEX-File %1 nicht gefunden").arg(request.hexPath));
    // The image is freed on every way out.
    struct Destroy {
        const FilesApi& f;
        FILES_Handle h;
        ~Destroy() { f.FILES_DestroyImage(h); }
    } destroy{f, image};

    unsigned count = 0;
    if (f.FILES_GetImageNbElement(image, &count) != FILES_OK)
        count = 0;
    std::optional<std::uint32_t> startAddress;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> back(ControllerBlockSize);
    for (unsigned index = 0; index < count; ++index) {
        FILES_ImageElement e{};
        if (f.FILES_GetImageElement(image, index, &e) != FILES_OK || e.Length == 0)
            continue;
        data.assign(e.Length, 0);
        e.Data = data.data();
        if (f.FILES_GetImageElement(image, index, &e) != FILES_OK)
            continue;
        startAddress = e.Address;
        const std::uint64_t last = std::uint64_t{e.Address} + e.Length - 1;
        if (ctx.progressRange)
            ctx.progressRange(e.Address, static_cast<std::uint32_t>(last));
        if (ctx.progress)
            ctx.progress(e.Address);
        for (std::uint64_t target = e.Address; target <= last; target += ControllerBlockSize) {
            const auto offset = static_cast<std::size_t>(target - e.Address);
            // The last block holds what is left; the library fills its word up with erased bytes,
            // so nothing past the element is read.
            const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(ControllerBlockSize, last + 1 - target));
            status = s.STBL_DNLOAD(static_cast<std::uint32_t>(target), data.data() + offset, n, 1);
            if (status != STBL_OK)
                return closeAndFail(QString::asprintf("Fehler beim Download: %02X", status));
            if (request.verify) {
                status = s.STBL_READ(static_cast<std::uint32_t>(target), back.data(), n);
                if (status != STBL_OK)
                    return closeAndFail(QString::asprintf("Fehler beim Lesen: %02X", status));
                for (std::uint32_t k = 0; k < n; ++k)
                    if (back[k] != data[offset + k])
                        return closeAndFail(QString::asprintf("Fehler beim Vergleich an Adresse %08X",
                                                              static_cast<unsigned>(target + k)));
            }
            if (ctx.progress)
                ctx.progress(static_cast<std::uint32_t>(target));
            events();
        }
        if (ctx.report)
            ctx.report(QString::asprintf("%08X %u", static_cast<unsigned>(e.Address), static_cast<unsigned>(e.Length)));
    }

    // Without any element read there is nothing to start.
    if (request.start && startAddress) {
        s.STBL_GO(*startAddress);
        if (ctx.report)
            ctx.report(QString::asprintf("start %08X", static_cast<unsigned>(*startAddress)));
    }
    s.COM_Close();
    return true;
}
