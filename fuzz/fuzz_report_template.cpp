// Arbitrary bytes as a report template: the loader either refuses them or returns a template the
// layout can run, whose every object starts inside its band and whose bands fit on a page.
#include "report/Report.h"
#include "report/ReportTemplate.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto t = report::parseTemplate(bytes, &error);
    if (!t) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    double used = 0.0;
    for (const report::Band& b : t->bands) {
        used += b.height;
        for (const report::ReportObject& o : b.objects)
            if (o.geometry.top() >= b.height || o.fontPixels < 1)
                std::abort();
    }
    if (used > t->printableRect().height() + 0.1)
        std::abort();
    // A few records through the layout: it must end and place every record.
    report::Report r(*t);
    r.dataSet().recordCount = 3;
    r.setOnGetValue([](const QString& name) { return name; });
    const report::PreparedReport out = r.prepare();
    int blocks = 0;
    for (const auto& page : out.pages)
        for (const auto& band : page.bands)
            blocks += band.kind == report::BandKind::MasterData;
    if (out.pages.empty() || (t->band(report::BandKind::MasterData) && blocks != 3))
        std::abort();
    return 0;
}
