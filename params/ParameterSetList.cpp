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
        const QString text = ParameterSetFile(path).readText(QStringLiteral("Text"), ParameterSetListTextChars);
        if (text.isEmpty())
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
