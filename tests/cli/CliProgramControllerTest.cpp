// pressdiag-cli program-controller against the simulated controller on its pseudo-terminal, as a
// production line runs it: one line per element and for the start, messages and exit statuses.
#include "sim/SimSampleImages.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliResult {
    int exitCode = -1;
    QString out, err;
};

CliResult programController(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(PRESSDIAG_CLI), QStringList{"--simulate", "program-controller"} + args);
    CliResult r;
    if (!p.waitForFinished(60000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

class CliProgramController : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString image;
    void SetUp() override
    {
        const std::vector<SimImageBlock> blocks = {SimControllerImage(48 * 1024, false),
                                                   {0x08010000, std::vector<std::uint8_t>(40, 0x5A)}};
        image = dir.filePath("controller.hex");
        QFile f(image);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::fromStdString(SimIntelHex(blocks)));
    }
};

TEST_F(CliProgramController, ProgramsAndVerifiesA48KbImage)
{
    const CliResult r = programController({"--verify", image});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("08000000 49152\n08010000 40\nstart 08010000\n"));
    EXPECT_EQ(programController({"--no-start", image}).out, QStringLiteral("08000000 49152\n08010000 40\n"));
}

TEST_F(CliProgramController, FailuresExitOneWithTheirMessage)
{
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"--fault", "wrong-sync", image}, "Unbekannter Controller"},
        {{"--fault", "nack-write", image}, "Fehler beim Download: 11"},
        {{dir.filePath("missing.hex")}, "HEX-File " + dir.filePath("missing.hex") + " nicht gefunden"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(message.toStdString());
        const CliResult r = programController(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
    }
}

TEST_F(CliProgramController, UsageErrorsExitTwo)
{
    for (const QStringList& args : {QStringList{}, QStringList{"--bogus", image}, QStringList{"--fault", "nonsense", image},
                                    QStringList{image, image}})
        EXPECT_EQ(programController(args).exitCode, 2) << args.join(' ').toStdString();
}

}  // namespace
