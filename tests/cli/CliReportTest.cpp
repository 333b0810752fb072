// pressdiag-cli report: single- and multi-cycle reports of the simulated tool as files, as a
// script would make a press protocol.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CliRun cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(PRESSDIAG_CLI), args);
    CliRun r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString today() { return QDate::currentDate().toString("yyyyMMdd"); }

QStringList todaysCycles()
{
    return cli({"--simulate", "ls", today() + "\\*"}).out.split('\n', Qt::SkipEmptyParts);
}
}  // namespace

TEST(CliReport, SingleCycleReportOfTheMostRecentCycleAsPdf)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("protocol.pdf");
    const CliRun r = cli({"--simulate", "report", "--lang", "1", "--comment", "checked by A\nline two", "--pdf", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, out + "\n");
    const QString text = pdfText(out);
    for (const char* expected : {"Analysis Software for battery powered", "Power graph", "Counter:", "Serial number:",
                                 "Comment:", "checked by A", "line two"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    // The most recent cycle: the last of today's list.
    const QStringList cycles = todaysCycles();
    ASSERT_FALSE(cycles.isEmpty());
    EXPECT_TRUE(text.contains(cycles.last())) << cycles.last().toStdString();
}

TEST(CliReport, MultiCycleReportInTheGivenOrderAsPdfAndJpeg)
{
    const QStringList cycles = todaysCycles();
    ASSERT_GE(cycles.size(), 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("day.pdf");
    const QStringList order = {cycles[2], cycles[0], cycles[1]};
    const CliRun r = cli({"--simulate", "report", "--day", today(), "--cycles", order.join(','), "--pdf", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = pdfText(pdf);
    const qsizetype a = text.indexOf("#" + order[0]), b = text.indexOf("#" + order[1]), c = text.indexOf("#" + order[2]);
    EXPECT_TRUE(a >= 0 && a < b && b < c) << text.toStdString();
    EXPECT_TRUE(text.contains("Betriebsstunden:"));  // German by default

    // Every cycle of the day, one JPEG per page.
    const QString jpeg = dir.filePath("day.jpg");
    const CliRun j = cli({"--simulate", "report", "--day", today(), "--jpeg", jpeg});
    ASSERT_EQ(j.exitCode, 0) << j.err.toStdString();
    const int pages = static_cast<int>((cycles.size() + 12) / 13);
    QStringList expected = {jpeg};
    for (int p = 2; p <= pages; ++p)
        expected << dir.filePath(QStringLiteral("day_%1.jpg").arg(p));
    EXPECT_EQ(j.out, expected.join(' ') + "\n");
    for (const QString& f : expected) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << f.toStdString();
        EXPECT_TRUE(file.read(3) == QByteArray("\xFF\xD8\xFF")) << f.toStdString();
    }
}

TEST(CliReport, FailuresAndUsageErrors)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("r.pdf");
    struct Case { QStringList args; int exit; };
    const Case cases[] = {
        {{"--simulate", "report"}, 2},                                              // no output
        {{"--simulate", "report", "--pdf", out, "--jpeg", out}, 2},
        {{"--simulate", "report", "--pdf", out, "2026\\000001"}, 2},                // not a cycle path
        {{"--simulate", "report", "--pdf", out, "--lang", "7"}, 2},
        {{"--simulate", "report", "--pdf", out, "--day", "20261332"}, 2},
        {{"--simulate", "report", "--pdf", out, "--cycles", "000001"}, 2},           // cycles without a day
        {{"--simulate", "report", "--pdf", out, "--day", today(), "--cycles", "1,2"}, 2},
        {{"--simulate", "report", "--pdf", out, "--day", today(), "--comment", "x"}, 2},
        {{"--simulate", "report", "--pdf", out, "--unknown"}, 2},
        {{"--simulate", "report", "--pdf", out, "20000101\\000001"}, 1},             // no such cycle
        {{"--simulate", "report", "--pdf", out, "--day", "20000101", "--cycles", "000001"}, 1},
        {{"--simulate=new", "report", "--pdf", out, "--day", "20000101", "--cycles", "000001,000002"}, 1},
        {{"--simulate", "report", "--pdf", dir.filePath("no/such/folder/r.pdf")}, 1},
        {{"report", "--pdf", out}, 1},                                                // no tool
    };
    for (const Case& c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    // Nothing half-written is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
}
