// Scanning the program's folder for parameter sets.
#include "params/ParameterSetList.h"

#include "params/ParameterSetFile.h"

#include <QDir>

ParameterSetListing listParameterSets(const QString& folder)
{
    ParameterSetListing listing;
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*.tcf")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        const QString path = dir.absoluteFilePath(name);
        // A refused file (binary, over 1 MB) is never read, so it cannot slow the start or be offered.
        const ParameterSetFile file(path);
        const QString text = file.readText(QStringLiteral("Text"), ParameterSetListTextChars);
        if (file.refused() || text.isEmpty())
            continue;
        if (static_cast<int>(listing.entries.size()) == MaxParameterSets) {
            listing.selected = -1;
            return listing;
        }
        listing.entries.push_back({text, path});
    }
    if (!listing.entries.empty())
        listing.selected = 0;
    return listing;
}
