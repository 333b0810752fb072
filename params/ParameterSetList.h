// The parameter sets offered for transfer: the "*.tcf" files beside the program that have a "Text".
#pragma once

#include <QString>
#include <vector>

// The window's table of set paths holds this many entries.
inline constexpr int MaxParameterSets = 50;

struct ParameterSetEntry {
    QString text;  // the file's "Text", at most 63 characters
    QString path;  // full path of the file
};

struct ParameterSetListing {
    std::vector<ParameterSetEntry> entries;  // at most MaxParameterSets
    // Index of the entry to select, or -1. A folder with more sets than the table holds stops the
    // listing at the table's end and selects nothing, so the technician notices that sets are missing.
    int selected = -1;
};

// Scans folder for normal files matching "*.tcf" (without regard to case), in name order (the order
// an NTFS folder lists them in), and lists every file whose "Text" is not empty. Files that are no
// sets (binary, over 1 MB) are skipped without being read and do not count towards the limit.
ParameterSetListing listParameterSets(const QString& folder);
