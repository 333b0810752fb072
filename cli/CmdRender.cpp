// render: draws a cycle file into a chart image exactly as the program draws it, and prints the
// measured-data labels. For checks of the chart without a display.
#include "cli/Cli.h"

#include "texts/Texte.h"
#include "curves/ChartRenderer.h"
#include "curves/CycleChart.h"
#include "curves/MeasuredData.h"
#include "link/Usbhidinterface.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <cstdio>

namespace {
// Cycle file not drawable: shorter than its header or with an invalid header.
constexpr int ExitNotDrawable = 3;
// Larger images than this are refused as a usage error rather than allocated.
constexpr int MaxImageSide = 20000;

const char* const Usage =
    "usage: render --image ImgChart|PrintImage|PrintImgSingle|PrintImgReport [--size WxH] [--lang N] "
    "(FILE | --tool PATH) OUT.png";

struct RenderOptions {
    ChartImage image = ChartImage::ImgChart;
    QSize size;
    std::uint32_t language = LangGerman;
    QString file;
    QString toolPath;
    QString out;
};

std::optional<RenderOptions> parse(const QStringList& args)
{
    RenderOptions o;
    bool haveImage = false;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--image" && hasValue) {
            const auto image = chartImageFromName(args[++i]);
            if (!image)
                return std::nullopt;
            o.image = *image;
            haveImage = true;
        } else if (a == "--size" && hasValue) {
            const auto m = QRegularExpression("^([0-9]{1,5})x([0-9]{1,5})$").match(args[++i]);
            if (!m.hasMatch())
                return std::nullopt;
            o.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
            if (o.size.width() < 1 || o.size.height() < 1 || o.size.width() > MaxImageSide ||
                o.size.height() > MaxImageSide)
                return std::nullopt;
        } else if (a == "--lang" && hasValue) {
            bool ok = false;
            const uint lang = args[++i].toUInt(&ok);
            if (!ok || lang >= LanguageCount)
                return std::nullopt;
            o.language = lang;
        } else if (a == "--tool" && hasValue) {
            o.toolPath = args[++i];
        } else if (a.startsWith("--")) {
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (!haveImage)
        return std::nullopt;
    if (o.toolPath.isEmpty() ? positional.size() != 2 : positional.size() != 1)
        return std::nullopt;
    o.out = positional.back();
    if (o.toolPath.isEmpty())
        o.file = positional.front();
    if (o.size.isEmpty())
        o.size = chartImageInfo(o.image).formSize;
    return o;
}
}  // namespace

int cmdRender(CliArgs& args)
{
    const auto o = parse(args.args);
    if (!o) {
        printError(QString::fromLatin1(Usage));
        return ExitUsage;
    }
    QImage image(o->size, QImage::Format_RGB32);
    image.fill(Qt::white);
    ChartState state;
    DrawResult result;
    std::size_t bytes = 0;
    if (!o->toolPath.isEmpty()) {
        auto tool = openTool(args);
        if (!tool)
            return ExitFailure;
        const CycleChartDrawing d = drawToolCycle(*tool->link, o->toolPath, image, o->image, state);
        if (d.bytesRead <= 0) {
            printError(QStringLiteral("could not read '%1' from the tool").arg(o->toolPath));
            return ExitFailure;
        }
        bytes = static_cast<std::size_t>(d.bytesRead);
        result = d.result;
    } else {
        QFile in(o->file);
        if (!in.open(QIODevice::ReadOnly)) {
            printError(QStringLiteral("could not open '%1'").arg(o->file));
            return ExitFailure;
        }
        // The drawing reads through the same buffer as the transfer from the tool, which takes at
        // most this much.
        const QByteArray content = in.read(CycleFileMaxSize + 1);
        if (content.size() > static_cast<qsizetype>(CycleFileMaxSize)) {
            printError(QStringLiteral("'%1' is longer than a cycle file can be (%2 bytes)").arg(o->file).arg(CycleFileMaxSize));
            return ExitFailure;
        }
        CycleBuffer buffer{};
        std::copy(content.begin(), content.end(), buffer.begin());
        bytes = static_cast<std::size_t>(content.size());
        result = drawCycle(image, o->image, buffer, bytes, state);
    }
    if (result.outcome != DrawOutcome::Drawn) {
        printError(bytes < CycleHeaderSize ? QStringLiteral("the file is shorter than 64 bytes")
                                           : QStringLiteral("the file's header is not a valid cycle header"));
        return ExitNotDrawable;
    }
    if (!image.save(o->out, "PNG")) {
        printError(QStringLiteral("could not write '%1'").arg(o->out));
        return ExitFailure;
    }
    const MeasuredData labels = MeasuredData::from(*result.file, o->language);
    for (int l = 0; l < MeasuredData::Count; ++l) {
        const auto label = static_cast<MeasuredData::Label>(l);
        std::printf("%s=%s\n", MeasuredData::labelName(label), labels[label].toUtf8().constData());
    }
    return ExitOk;
}
