// The parameter-set transfer over the current block and the tool's commands.
#include "params/ParameterSetTransfer.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterSetFile.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"

namespace {
}

TransferResult TransferParameterSet(ParameterBlockAccess& access, Prompts& prompts, std::uint32_t languageIndex,
                                    const QString& path)
{
    if (!access.ReadParameterBlock()) {
        prompts.message(QStringLiteral("Info"), LangText(languageIndex, TextId::ParametersNotTransferred), PromptIcon::Exclamation);
        return TransferResult::ReadFailed;
    }
    const ParameterSetFile file(path);
    if (!file.checksumMatches()) {
        prompts.message(QStringLiteral("Error"), LangText(languageIndex, TextId::InvalidParameterSet), PromptIcon::Exclamation);
        return TransferResult::InvalidFile;
    }
    file.applyTo(access.currentBlock());
    access.WriteParameterBlock();
    access.ReadParameterBlock();
    access.ShowParameterBlock();
    return TransferResult::Written;
}

void sendParameterSetOptions(TUsbHidInterface& link, const Clock& clock, const ParameterSetOptions& options,
                             std::uint32_t serviceIntervall)
{
    if (options.dateTime) {
        const QTime t = clock.now().time();
        link.CmdSetTime(static_cast<std::uint8_t>(t.hour()), static_cast<std::uint8_t>(t.minute()),
                        static_cast<std::uint8_t>(t.second()));
        const QDate d = clock.now().date();
        link.CmdSetDate(static_cast<std::uint8_t>(d.day()), static_cast<std::uint8_t>(d.month()),
                        static_cast<std::uint16_t>(d.year()));
    }
    if (options.delData)
        link.CmdFormatStore();
    if (options.delPz)
        link.CmdSetCycleCounter(0);
    if (options.delSz)
        link.CmdSetServiceCounter(static_cast<std::int32_t>(serviceIntervall));
    if (options.delGarantie)
        link.CmdClearWarranty();
    if (options.delBsz)
        link.CmdSetOperatingTime(0);
}

TransferResult writeParameterSet(ParameterBlockAccess& access, TUsbHidInterface& link, const Clock& clock,
                                 Prompts& prompts, std::uint32_t languageIndex, const QString& path,
                                 const ParameterSetOptions& options)
{
    const TransferResult result = TransferParameterSet(access, prompts, languageIndex, path);
    sendParameterSetOptions(link, clock, options, access.currentBlock().ServiceIntervall);
    return result;
}
