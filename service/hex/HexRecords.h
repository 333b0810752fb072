// The record layer of Intel HEX text: one scan that hands each record to the caller, shared by
// the firmware update and the image library, which give the records their own address rules.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <span>

// Receives one log line (without line break).
using FwLogSink = std::function<void(const QString&)>;

// 0..15 for '0'-'9', 'A'-'F', 'a'-'f'; -1 for any other byte.
int HexDigitValue(std::uint8_t c);

// One record of an Intel HEX text as it stands, before any address rule: what its fields mean
// (segment or linear bases, where data go) is up to the caller, since the firmware download and
// other image consumers place them differently.
struct HexRecord {
    int line = 0;  // line number of the record, from 1; CR, LF and CR LF each end a line
    std::uint8_t type = 0;
    std::uint16_t address = 0;  // the record's own 16-bit address field
    // The record's count of data bytes; only valid during the callback.
    std::span<const std::uint8_t> data;
    // False when the checksum byte is wrong or cannot be read (the record is delivered anyway).
    bool checksumOk = false;
};

// Receives each record; returning false stops the scan and makes it fail.
using HexRecordSink = std::function<bool(const HexRecord&)>;

// Scans Intel HEX text from its first byte and hands every record to onRecord, up to and including
// an end-of-file record (type 01) or to the end of the data. Blank lines are skipped; whatever
// follows a record's checksum on its line is ignored. Returns false, with the reason and the line
// logged, when a line does not start with ':', a digit is not hexadecimal, or a record is cut short
// by the end of its line or of the data; and when onRecord returns false (the sink says why).
bool scanHexRecords(std::span<const std::uint8_t> data, const HexRecordSink& onRecord, const FwLogSink& log);
