// Writing a parameter set into the tool: the fresh block, the file's check, the file's values,
// then the ticked options, in the order the technician relies on.
#pragma once

#include "params/ParameterBlock.h"

#include <QString>
#include <cstdint>

class Clock;
class Prompts;
class TUsbHidInterface;

// What the transfer and the sensor calibration need from the holder of the current block: the main
// window's parameter feature in the product, a recording fake in tests.
class ParameterBlockAccess {
public:
    virtual ~ParameterBlockAccess() = default;
    virtual ParameterBlock& currentBlock() = 0;
    // Reads the block, the warranty start and the versions fresh from the tool. True when a fresh
    // block arrived; false without a tool or when a page failed (the block is left as it was).
    virtual bool ReadParameterBlock() = 0;
    // Sends and commits the block; reports text 81 or 82 itself.
    virtual void WriteParameterBlock() = 0;
    virtual void ShowParameterBlock() = 0;
};

// The check boxes below the transfer button, in the order their commands go out.
struct ParameterSetOptions {
    bool dateTime = false;    // CbWriteParaDateTime: the PC's time, then its date
    bool delData = false;     // CbWriteParaDelData: erase the data store
    bool delPz = false;       // CbWriteParaDelPz: total press-cycle counter := 0
    bool delSz = false;       // CbWriteParaDelSz: service counter := the tool's service interval
    bool delGarantie = false; // CbWriteParaDelGarantie: remove the warranty date
    bool delBsz = false;      // CbWriteParaDelBsz: operating time := 0
};

enum class TransferResult { Written, InvalidFile, ReadFailed };

// Reads the block fresh; if the file's "CS" does not match its checksum shows text 83 (caption
// "Error") and stops with the block as read. Otherwise takes the file's values into the block,
// writes it (text 81 or 82), reads it again and shows it.
// When the fresh read fails, text 82 (caption "Info") and nothing is written: the file's values
// on a stale copy would carry another tool's serial number and calibration into this one.
TransferResult TransferParameterSet(ParameterBlockAccess& access, Prompts& prompts, std::uint32_t languageIndex,
                                    const QString& path);

// Sends the ticked options; their results are not examined. serviceIntervall is the interval the
// tool holds (the current block after the transfer).
void sendParameterSetOptions(TUsbHidInterface& link, const Clock& clock, const ParameterSetOptions& options,
                             std::uint32_t serviceIntervall);

// The transfer button: the transfer, then the options whatever its outcome (also after text 83,
// whose box is closed by then).
TransferResult writeParameterSet(ParameterBlockAccess& access, TUsbHidInterface& link, const Clock& clock,
                                 Prompts& prompts, std::uint32_t languageIndex, const QString& path,
                                 const ParameterSetOptions& options);
