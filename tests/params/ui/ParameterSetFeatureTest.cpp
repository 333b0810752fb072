// The parameter-set controls of the real main window over the simulated tool: the list at start-up,
// the transfer with its options as the tool receives them, saving a set and the checksum button.
#include "tests/support/ui/MainWindowHarness.h"

#include "texts/Texte.h"
#include "params/ParameterSetFile.h"
#include "params/ui/Selkennungdialog.h"
#include "ui_Main.h"
#include "ui_Selkennungdialog.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
const QByteArray ValidSet = "[Parameter]\nKennung=0x00000201\nText=KTV Standard\nTyp=Presse 120\n"
                            "Ruecklaufzeit=2500\nMaxPresszeit=10000\nTestUBattWarnung=15000\nTestUBattMin=14000\n"
                            "TestUBattPWM=50\nRucklaufPwmStart=100\nRucklaufPwmHold=30\nAwSprung=10\nMinAw=80\n"
                            "MinAwGelb=90\nMinAwGruen=95\nMaxAwGelb=110\nMaxAwGruen=105\nServiceIntervall=10000\n"
                            "StartGarantie=50\nMinTemp=-10\nMaxTemp=50\nAbschaltdruckMin=650\nAbschaltdruckMax=720\n"
                            "Kolbendurchmesser=40\nFlags=0\nCS=9600\n";

ParameterBlock toolBlock(SimulatedTool& tool) { return ParameterBlock::decode(tool.parameterBlock()); }

std::vector<int> codes(const SimulatedTool& tool)
{
    const auto all = tool.receivedCodes();
    return {all.begin(), all.end()};
}

std::vector<int> repeated(int code, int times) { return std::vector<int>(static_cast<std::size_t>(times), code); }

std::vector<int> concat(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

void tickAllOptions(Ui::THauptDialog& ui)
{
    for (QCheckBox* b : {ui.CbWriteParaDateTime, ui.CbWriteParaDelData, ui.CbWriteParaDelSz, ui.CbWriteParaDelPz,
                         ui.CbWriteParaDelGarantie, ui.CbWriteParaDelBsz})
        b->setChecked(true);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

TEST(ParameterSetList, FilledAtStartUpWithTheSelectionTheTableLimitAllows)
{
    const struct {
        int files;
        int listed;
        int selected;
    } cases[] = {{60, 50, -1}, {50, 50, 0}, {0, 0, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files);
        MainWindowHarness h;
        for (int i = 0; i < c.files; ++i)
            h.writeAppFile(QStringLiteral("s%1.tcf").arg(i, 2, 10, QLatin1Char('0')),
                           "[Parameter]\nText=Set " + QByteArray::number(i) + "\n");
        h.writeAppFile(QStringLiteral("untitled.tcf"), "[Parameter]\nCS=54468\n");
        h.show();
        EXPECT_EQ(h.ui().CbConfigFiles->count(), c.listed);
        EXPECT_EQ(h.ui().CbConfigFiles->currentIndex(), c.selected);
        const auto& paths = h.window().state().ParameterSetPaths;
        if (c.listed > 0) {
            EXPECT_EQ(h.ui().CbConfigFiles->itemText(0), QStringLiteral("Set 0"));
            EXPECT_EQ(paths[0], h.appDir() + QStringLiteral("/s00.tcf"));
            EXPECT_EQ(paths[49], h.appDir() + QStringLiteral("/s49.tcf"));
        } else {
            EXPECT_TRUE(paths[0].isEmpty());
        }
    }
}

TEST(ParameterSetTransferButton, AllSixOptionsGiveTheDocumentedExchange)
{
    MainWindowHarness h;
    h.writeAppFile(QStringLiteral("ktv.tcf"), ValidSet);
    h.showConnected();
    const ParameterBlock before = toolBlock(h.tool());
    ASSERT_EQ(h.tool().parameterLayout(), 3);
    ASSERT_FALSE(h.tool().files().empty());
    h.prompts.clear();
    h.tool().clearReceived();

    tickAllOptions(h.ui());
    h.ui().BtnWriteParaSatz->click();

    const std::vector<int> read = concat({repeated(0x60, 7), {0x57, 0x03, 0x02}});
    EXPECT_EQ(codes(h.tool()), concat({read, repeated(0x61, 7), {0x62}, read, {0x21, 0x23, 0x11, 0x55, 0x54, 0x58, 0x56}}));

    const ParameterBlock after = toolBlock(h.tool());
    EXPECT_EQ(after.Kennung, 0x201u);
    EXPECT_EQ(parameterText(after.Text), QStringLiteral("KTV Standard"));
    EXPECT_EQ(after.Ruecklaufzeit, 2500u);
    EXPECT_EQ(after.MinTemp, -10);
    EXPECT_EQ(after.AbschaltdruckMax, 720);
    EXPECT_EQ(after.MaschNr, before.MaschNr);
    EXPECT_EQ(after.AwKalVal, before.AwKalVal);
    EXPECT_EQ(after.LayoutVersion, before.LayoutVersion);
    // The options as the tool took them: the service counter gets the interval just written.
    EXPECT_EQ(h.tool().info().ServiceCount, 10000);
    EXPECT_EQ(h.tool().info().CycleCount, 0);
    EXPECT_EQ(h.tool().info().MotorTimeMs, 0);
    EXPECT_EQ(h.tool().warranty(), SimWarranty{});
    EXPECT_TRUE(h.tool().files().empty());
    EXPECT_EQ(h.tool().toolDateTime(), h.clock.now());

    ASSERT_EQ(h.prompts.messages().size(), 1u);
    EXPECT_EQ(h.prompts.messages()[0].text, LangText(LangGerman, 81));
    EXPECT_EQ(h.ui().EditRlz->text(), QStringLiteral("2.5"));  // shown again after the transfer
}

TEST(ParameterSetTransferButton, AnInvalidSetIsRefusedAndTheTickedStoreIsStillErased)
{
    MainWindowHarness h;
    h.writeAppFile(QStringLiteral("edited.tcf"), ValidSet + "EditMinTemp=5\n");
    h.showConnected();
    const SimParameterBytes before = h.tool().parameterBlock();
    h.prompts.clear();
    h.tool().clearReceived();

    h.ui().CbWriteParaDelData->setChecked(true);
    h.ui().BtnWriteParaSatz->click();

    EXPECT_EQ(codes(h.tool()), concat({repeated(0x60, 7), {0x57, 0x03, 0x02, 0x11}}));
    EXPECT_EQ(h.tool().parameterBlock(), before);
    EXPECT_TRUE(h.tool().files().empty());
    ASSERT_EQ(h.prompts.messages().size(), 1u);
    EXPECT_EQ(h.prompts.messages()[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(h.prompts.messages()[0].text, LangText(LangGerman, 83));
    EXPECT_EQ(h.prompts.messages()[0].icon, PromptIcon::Exclamation);
}

TEST(ParameterSetTransferButton, WithoutASelectedSetNothingHappens)
{
    MainWindowHarness h;
    h.showConnected();  // no sets beside the program
    h.prompts.clear();
    h.tool().clearReceived();
    tickAllOptions(h.ui());
    h.ui().BtnWriteParaSatz->click();
    EXPECT_TRUE(h.tool().receivedRequests().empty());
    EXPECT_TRUE(h.prompts.shown().empty());
}

namespace {
// Closes TSelKennungDlg the way the handler says and returns what exec would have returned.
std::function<int(QDialog&)> kennungDialog(std::function<void(TSelKennungDlg&)> action)
{
    return [action](QDialog& d) {
        auto& dlg = dynamic_cast<TSelKennungDlg&>(d);
        dlg.show();
        action(dlg);
        return dlg.result();
    };
}
}  // namespace

TEST(ParameterSetSaveButton, WritesTheEditsWithTheChosenIdentifier)
{
    MainWindowHarness h({.scenario = SimScenario::Sensor});
    h.showConnected();
    THauptDialog& w = h.window();
    const ParameterBlock tool = toolBlock(h.tool());
    ASSERT_EQ(w.state().parameterBlock.Flags, 1);
    h.ui().EditRlz->setText(QStringLiteral("3.2"));
    h.prompts.clear();

    const QString path = h.appDir() + QStringLiteral("/saved.tcf");
    h.prompts.answerFile(path);
    h.prompts.answerDialog(kennungDialog([](TSelKennungDlg& d) { d.close(); }));  // the close button
    h.ui().BtnSavePara->click();

    ASSERT_EQ(h.prompts.shown().size(), 2u);
    const auto& save = h.prompts.shown()[0];
    EXPECT_EQ(save.kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(save.file.title, QStringLiteral("Speichern"));
    EXPECT_EQ(save.file.initialDir, h.appDir());
    EXPECT_EQ(save.file.defaultExtension, QStringLiteral("TCF"));
    EXPECT_EQ(save.file.fileName, QStringLiteral("*.tcf"));
    EXPECT_EQ(h.prompts.shown()[1].caption, QStringLiteral("TSelKennungDlg"));
    EXPECT_EQ(h.prompts.shown()[1].text, QStringLiteral("Kennung"));

    const ParameterSetFile f(path);
    EXPECT_TRUE(f.checksumMatches());
    EXPECT_EQ(f.readInt(QStringLiteral("Kennung")), 2);
    EXPECT_TRUE(readFile(path).contains("\nKennung=0x00000002\n"));
    EXPECT_EQ(f.readInt(QStringLiteral("Ruecklaufzeit")), 3200);
    EXPECT_EQ(f.readInt(QStringLiteral("Flags")), 0);  // the edits never carry the flags
    EXPECT_EQ(f.readText(QStringLiteral("Text"), 63), parameterText(tool.Text));
    EXPECT_EQ(f.readInt(QStringLiteral("ServiceIntervall")), static_cast<std::int32_t>(tool.ServiceIntervall));
    // The window's block keeps the tool's identifier; the edits went into it, the tool was not written.
    EXPECT_EQ(w.state().parameterBlock.Kennung, tool.Kennung);
    EXPECT_EQ(w.state().parameterBlock.Flags, 0);
    EXPECT_EQ(toolBlock(h.tool()), tool);
}

TEST(ParameterSetSaveButton, TheIdentifierButtons)
{
    const struct {
        const char* button;
        int kennung;
    } cases[] = {{"Button2", 0x101}, {"Button1", 0x201}, {"Button3", 0x002}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        MainWindowHarness h;
        h.show();
        const QString path = h.appDir() + QStringLiteral("/x.tcf");
        h.prompts.answerFile(path);
        const QString name = QString::fromLatin1(c.button);
        h.prompts.answerDialog(kennungDialog([name](TSelKennungDlg& d) { d.findChild<QPushButton*>(name)->click(); }));
        h.ui().BtnSavePara->click();
        EXPECT_EQ(ParameterSetFile(path).readInt(QStringLiteral("Kennung")), c.kennung);
    }
}

TEST(ParameterSetSaveButton, CancelledDialogChangesNothing)
{
    MainWindowHarness h({.scenario = SimScenario::Sensor});
    h.showConnected();
    h.prompts.clear();
    h.prompts.answerFile(std::nullopt);
    h.ui().BtnSavePara->click();
    EXPECT_EQ(h.prompts.shown().size(), 1u);  // no identifier dialog
    EXPECT_EQ(h.window().state().parameterBlock.Flags, 1);  // the edits were not taken
    EXPECT_EQ(QDir(h.appDir()).entryList({QStringLiteral("*.tcf")}, QDir::Files), QStringList());
}

TEST(ParameterSetChecksumButton, MakesAHandEditedSetValidAndKeepsTheRestOfTheFile)
{
    MainWindowHarness h;
    QByteArray edited = ValidSet;
    edited.replace("Flags=0", "Flags=1");
    h.writeAppFile(QStringLiteral("edited.tcf"), "; for the sensor tool\n" + edited);
    const QString path = h.appDir() + QStringLiteral("/edited.tcf");
    h.show();
    ASSERT_FALSE(ParameterSetFile(path).checksumMatches());

    h.prompts.answerFile(std::nullopt);
    h.ui().BtnCalcCs->click();
    EXPECT_FALSE(ParameterSetFile(path).checksumMatches());

    h.prompts.answerFile(path);
    h.ui().BtnCalcCs->click();
    EXPECT_TRUE(ParameterSetFile(path).checksumMatches());
    const QByteArray after = readFile(path);
    EXPECT_TRUE(after.startsWith("; for the sensor tool\n[Parameter]\n"));
    EXPECT_TRUE(after.contains("\nFlags=1\n"));

    const auto& open = h.prompts.shown().back();
    EXPECT_EQ(open.kind, ScriptedPrompts::Kind::OpenFile);
    EXPECT_EQ(open.file.title, QStringLiteral("Konfigurationsdatei laden"));
    EXPECT_EQ(open.file.defaultExtension, QStringLiteral("TCF"));
    EXPECT_EQ(open.file.fileName, QStringLiteral("*.tcf"));
    EXPECT_TRUE(h.prompts.messages().empty());
}
