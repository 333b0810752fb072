// pressdiag-cli against the simulated tool, as a production script would run it.
#include "curves/CycleFile.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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

QString today() { return QDate::currentDate().toString("yyyyMMdd"); }
}  // namespace

TEST(CliTool, InfoDescribesTheSimulatedTool)
{
    const CliRun r = cli({"--simulate", "info"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* key : {"Firmware:", "Bootloader:", "Clock:", "CycleCount:", "Warranty start:", "LayoutVersion:", "MaschNr:",
                            "Parameter block (200 bytes):"})
        EXPECT_TRUE(r.out.contains(QLatin1String(key))) << key;
    EXPECT_TRUE(cli({"--simulate=v2", "info"}).out.contains("Parameter block (160 bytes):"));
    EXPECT_TRUE(cli({"--simulate=new", "info"}).out.contains(QRegularExpression("Warranty start: +none")));
}

TEST(CliTool, TodaysCyclesAreListedAndOneCopiesAsAValidCycleFile)
{
    const CliRun ls = cli({"--simulate", "ls", today() + "\\*"});
    ASSERT_EQ(ls.exitCode, 0) << ls.err.toStdString();
    const QStringList names = ls.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& n : names)
        EXPECT_EQ(n.size(), 6) << n.toStdString();

    QTemporaryDir dir;
    const QString out = dir.filePath("cycle.bin");
    const CliRun get = cli({"--simulate", "get", today() + "\\" + names.first(), out});
    ASSERT_EQ(get.exitCode, 0) << get.err.toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_GE(bytes.size(), 64);
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                             static_cast<std::size_t>(bytes.size()));
    EXPECT_TRUE(CycleFile::headerValid(data));
    EXPECT_TRUE(CycleFile::decode(data).has_value());
}

TEST(CliTool, ExitStatusTellsUsageFromFailure)
{
    struct Case { QStringList args; int exitCode; };
    const Case cases[] = {
        {{}, 2},
        {{"--simulate", "nonsense"}, 2},
        {{"--simulate", "ls"}, 2},
        {{"--simulate", "get", "x"}, 2},
        {{"--simulate=nosuch", "info"}, 1},
        {{"--simulate", "get", "19990101\\000001", "/tmp/never-written.bin"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(cli(c.args).exitCode, c.exitCode);
    }
}
