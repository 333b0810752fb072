// Feeds arbitrary reply sequences into every command operation of the transport: whatever the tool
// sends, nothing is read or written out of bounds and every exchange ends.
#include "link/Usbhidinterface.h"
#include "tests/support/ScriptedHidPlatform.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 65 * 400)
        return 0;
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    // Records of one flag byte and a 64-byte payload; flag bit 0 makes that feature read fail.
    for (std::size_t at = 1; at + 65 <= size; at += 65) {
        if (data[at] & 1) {
            hid.failRead();
            continue;
        }
        Payload p{};
        std::copy(data + at + 1, data + at + 65, p.begin());
        hid.replyPayload(p);
    }
    FakeClock clock;
    clock.setAutoAdvanceMs(1);
    TUsbHidInterface link(hid, clock);
    if (!link.Open(ToolVendorId, ToolProductId, 0))
        return 0;

    Payload info{};
    QString a, b;
    std::uint32_t d, m, y, h, mi;
    std::array<std::uint8_t, 1024> pages{};
    std::array<std::uint8_t, 5000> file{};
    switch (data[0] % 12) {
    case 0: link.CmdGetInfo(info); break;
    case 1: link.ReadVersions(a, b); break;
    case 2:
        for (int i = 0; i < 200 && link.CmdFindFile(i == 0, QStringLiteral("20261210\\*"), a) && !a.isEmpty(); ++i) {
        }
        break;
    case 3: (void)link.ReadToolFile(QStringLiteral("20261210\\000001"), file); break;
    case 4: (void)link.ReadToolFile(QStringLiteral("x"), std::span<std::uint8_t>(file.data(), 64)); break;
    case 5: link.CmdGetWarranty(d, m, y, h, mi); break;
    case 6: link.CmdParamRead(pages); break;
    case 7: link.CmdParamWrite(pages, 200); break;
    case 8: link.CmdSetDate(5, 11, 2009); link.CmdSetTime(1, 2, 3); break;
    case 9: link.CmdSetWarranty(1, 2, 3, 4, 2026); link.CmdClearWarranty(); break;
    case 10: link.CmdCalibSet(1, 2); link.CmdSetCycleCounter(5); break;
    default: link.CmdTestLeds(1, 1); link.CmdTestMotor(7); link.CmdTestStandby(); break;
    }
    return 0;
}
