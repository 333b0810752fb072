// info: what a technician first wants to know about a tool, as plain text.
#include "cli/Cli.h"

#include "link/Usbhidinterface.h"
#include "params/ParameterBlock.h"
#include "status/ToolInfoBlock.h"

#include <cstdio>

namespace {
void line(const char* key, const QString& value)
{
    std::printf("%-20s %s\n", key, value.toLocal8Bit().constData());
}
}  // namespace

int cmdInfo(CliArgs& args)
{
    if (!args.args.isEmpty()) {
        printError(QStringLiteral("usage: info"));
        return ExitUsage;
    }
    auto tool = openTool(args);
    if (!tool)
        return ExitFailure;
    TUsbHidInterface& link = *tool->link;

    QString firmware, bootloader;
    const bool versions = link.ReadVersions(firmware, bootloader);
    line("Firmware:", versions ? firmware : QStringLiteral("(not read)"));
    line("Bootloader:", versions ? bootloader : QStringLiteral("(not read)"));

    Payload raw{};
    if (!link.CmdGetInfo(raw)) {
        printError(QStringLiteral("the tool did not answer the status request"));
        return ExitFailure;
    }
    const ToolInfoBlock info = ToolInfoBlock::decode(raw);
    line("Clock:", QString::asprintf("%02d.%02d.%04d  %02d:%02d:%02d", info.ClockDay, info.ClockMonth, info.ClockYear,
                                     info.ClockHour, info.ClockMinute, info.ClockSecond));
    line("CycleCount:", QString::number(info.CycleCount));
    line("ServiceCount:", QString::number(info.ServiceCount));
    line("MotorTimeMs:", QString::number(info.MotorTimeMs));
    line("BatteryMillivolts:", QString::number(info.BatteryMillivolts));
    line("ChipTemperature:", QString::asprintf("%d°C (raw %u)", info.chipTemperature(), info.ChipTempRaw));
    line("ErrorFlags:", QString::asprintf("0x%02X", info.ErrorFlags));
    line("WarningFlags:", QString::asprintf("0x%02X", info.WarningFlags));
    line("ButtonState:", QString::number(info.ButtonState));
    line("MotorCurrent:", QString::number(info.MotorCurrent));
    line("HallPeriod:", QString::number(info.HallPeriod));
    line("WorkValue:", QString::number(info.WorkValue));

    std::uint32_t d, m, y, h, mi;
    if (!link.CmdGetWarranty(d, m, y, h, mi))
        line("Warranty start:", QStringLiteral("(not read)"));
    else if (d == 0 && m == 0 && y == 0)
        line("Warranty start:", QStringLiteral("none"));
    else
        line("Warranty start:", QString::asprintf("%02u.%02u.%04u %02u:%02u", d, m, y, h, mi));

    std::array<std::uint8_t, 1024> pages{};
    if (!link.CmdParamRead(pages)) {
        printError(QStringLiteral("the parameter block could not be read"));
        return ExitFailure;
    }
    const auto block = ParameterBlock::decode(std::span<const std::uint8_t, ParameterBlockSize>(pages.data(), ParameterBlockSize));
    line("LayoutVersion:", QString::number(block.LayoutVersion));
    line("Typ:", parameterText(block.Typ));
    line("MaschNr:", parameterText(block.MaschNr));
    line("Text:", parameterText(block.Text));
    line("Kennung:", QString::asprintf("%08X", block.Kennung));
    const std::size_t length = block.LayoutVersion == 2 ? ParameterBlockSizeV2 : ParameterBlockSize;
    std::printf("Parameter block (%zu bytes):\n", length);
    for (std::size_t row = 0; row < length; row += 16) {
        std::printf("  %04zX ", row);
        for (std::size_t i = row; i < row + 16 && i < length; ++i)
            std::printf(" %02X", pages[i]);
        std::printf("\n");
    }
    return ExitOk;
}
