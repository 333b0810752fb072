// Parameter-set files (*.tcf): the type-specific part of a ParameterBlock in an INI file with one
// section "Parameter", guarded against hand edits by a 16-bit checksum over most of its numbers.
#pragma once

#include "params/ParameterBlock.h"
#include "platform/Profile.h"

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

inline constexpr const char* ParameterSetSection = "Parameter";
inline constexpr const char* ParameterSetChecksumKey = "CS";
// The list of sets shows at most this many characters of a file's "Text".
inline constexpr int ParameterSetListTextChars = 63;
// A transfer takes at most this many characters of "Text" and "Typ" (and a terminating zero).
inline constexpr int ParameterSetBlockTextChars = 31;

// The keys the checksum covers, in the order they enter it. "EditMinTemp" and "EditMaxTemp" are
// never written by a save (so they count as 0), which leaves the temperatures unguarded; files in
// the field depend on exactly this list.
inline constexpr std::array<const char*, 18> ParameterSetChecksumKeys = {
    "Kennung",   "Ruecklaufzeit", "MaxPresszeit", "TestUBattWarnung", "TestUBattMin", "TestUBattPWM",
    "RucklaufPwmStart", "RucklaufPwmHold", "ServiceIntervall", "StartGarantie", "AwSprung", "MinAw",
    "MinAwGelb", "MinAwGruen", "MaxAwGelb", "EditMinTemp", "EditMaxTemp", "Flags"};

// One step of the checksum: one byte (the low 8 bits of b) of the reflected CRC-16 with the
// polynomial 0x8005, on a 32-bit accumulator a whose upper bits are kept.
std::uint32_t ChecksumStep(std::uint32_t a, std::uint32_t b);

// An integer as parameter-set files are read: leading blanks skipped, then "0x" and hexadecimal
// digits, or an optional minus and decimal digits, up to the first other character. Empty or no
// digits give 0; more digits than 32 bits hold wrap around.
std::int32_t parseParameterSetInt(QStringView text);

class ParameterSetFile {
public:
    // Loads path; a missing or refused file reads as all zeros and empty texts.
    explicit ParameterSetFile(const QString& path);

    const QString& path() const { return profile_.path(); }
    // True when the file was there (read, or refused).
    bool existed() const { return profile_.existed(); }
    // A file that is no set at all (binary, over 1 MB, no regular file) reads as empty and is
    // never written over: taking or re-checksumming it would destroy whatever it is.
    bool refused() const { return profile_.refused(); }
    Profile::Refusal refusal() const { return profile_.refusal(); }

    // The value of key in section "Parameter" (names without regard to case); 0 when missing.
    std::int32_t readInt(const QString& key) const;
    // The text of key with surrounding blanks removed, cut to maxChars characters; empty when missing.
    QString readText(const QString& key, int maxChars) const;

    // The checksum of the file's keys as they stand (in memory, including unsaved changes).
    std::uint16_t checksum() const;
    // The file's own "CS" value.
    std::int32_t storedChecksum() const { return readInt(ParameterSetChecksumKey); }
    bool checksumMatches() const { return storedChecksum() == static_cast<std::int32_t>(checksum()); }

    // Takes the file's values into block, each cut to its field's width. LayoutVersion, MaschNr,
    // AwNomVal, AwKalVal, the sensor counts and the reserved bytes keep what block holds; a text
    // field keeps its bytes after the terminating zero.
    void applyTo(ParameterBlock& block) const;

    // Sets every key from block, "Kennung" from kennung, then "CS" from the file as it then stands
    // (extra keys already in the file, such as "EditMinTemp", enter it). Other lines, sections and
    // keys stay; existing keys are replaced in place. Written in one go; false when that fails.
    bool saveFrom(const ParameterBlock& block, std::uint32_t kennung);
    // Writes the checksum of the file as "CS". False when the file cannot be written.
    bool writeChecksum();

private:
    void setInt(const char* key, std::int32_t value);

    Profile profile_;
};

// The checksum of the file at path (54468 for a missing file or one without any of the keys).
std::uint16_t ParameterSetChecksum(const QString& path);
