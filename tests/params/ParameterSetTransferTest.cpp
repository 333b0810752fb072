// The parameter-set transfer: what is checked, what reaches the block, and the option commands in order.
#include "params/ParameterSetTransfer.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "tests/params/ParameterSetFakeAccess.h"
#include "tests/support/ScriptedHidPlatform.h"
#include "tests/support/ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QByteArray ValidSet = "[Parameter]\nKennung=0x00000201\nText=KTV\nRuecklaufzeit=2500\nMaxPresszeit=10000\n"
                            "TestUBattWarnung=15000\nTestUBattMin=14000\nTestUBattPWM=50\nRucklaufPwmStart=100\n"
                            "RucklaufPwmHold=30\nAwSprung=10\nMinAw=80\nMinAwGelb=90\nMinAwGruen=95\nMaxAwGelb=110\n"
                            "MaxAwGruen=105\nServiceIntervall=10000\nStartGarantie=50\nFlags=0\nCS=9600\n";

// Remembers how many requests had gone out when a message was shown.
class OrderPrompts final : public Prompts {
public:
    explicit OrderPrompts(const ScriptedHidPlatform& hid) : hid_(hid) {}
    struct Message {
        QString caption, text;
        PromptIcon icon;
        std::size_t requestsBefore;
    };
    std::vector<Message> messages;

    void message(const QString& caption, const QString& text, PromptIcon icon) override
    {
        messages.push_back({caption, text, icon, hid_.written.size()});
    }
    bool question(const QString&, const QString&, PromptIcon) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return {}; }
    bool printDialog(QPagedPaintDevice&, const PrintDialogRequest&) override { return false; }
    int execDialog(QDialog&) override { return 0; }

private:
    const ScriptedHidPlatform& hid_;
};

struct Fixture {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 20, 30))};
    TUsbHidInterface link{hid, clock};
    OrderPrompts prompts{hid};
    FakeBlockAccess access;
    QTemporaryDir dir;

    Fixture()
    {
        hid.echo = true;
        EXPECT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        access.tool.LayoutVersion = 3;
        access.tool.ServiceIntervall = 500;
        setParameterText(access.tool.MaschNr, QStringLiteral("SN-1"));
    }
    QString file(const QByteArray& content)
    {
        const QString path = dir.filePath(QStringLiteral("set.tcf"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }
    std::vector<int> codes() const
    {
        std::vector<int> out;
        for (const Payload& p : hid.written)
            out.push_back(p[0]);
        return out;
    }
};
}  // namespace

TEST(ParameterSetTransfer, AValidSetIsWrittenIntoTheFreshBlock)
{
    Fixture f;
    const TransferResult r = TransferParameterSet(f.access, f.prompts, LangGerman, f.file(ValidSet));
    EXPECT_EQ(r, TransferResult::Written);
    EXPECT_EQ(f.access.calls, (std::vector<std::string>{"read", "write", "read", "show"}));
    ASSERT_EQ(f.access.written.size(), 1u);
    const ParameterBlock& w = f.access.written[0];
    EXPECT_EQ(w.Kennung, 0x201u);
    EXPECT_EQ(w.Ruecklaufzeit, 2500u);
    EXPECT_EQ(w.ServiceIntervall, 10000u);
    EXPECT_EQ(parameterText(w.MaschNr), QStringLiteral("SN-1"));  // the tool's own
    EXPECT_EQ(w.LayoutVersion, 3u);
    EXPECT_TRUE(f.prompts.messages.empty());  // text 81 or 82 is the block writer's
    EXPECT_TRUE(f.hid.written.empty());
}

TEST(ParameterSetTransfer, AnInvalidSetIsRejectedWithTheBlockAsRead)
{
    Fixture f;
    f.access.current.ServiceIntervall = 1;  // stale copy: the transfer reads fresh first
    QByteArray edited = ValidSet;
    edited.replace("Flags=0", "Flags=1");
    const TransferResult r = TransferParameterSet(f.access, f.prompts, LangEnglish, f.file(edited));
    EXPECT_EQ(r, TransferResult::InvalidFile);
    EXPECT_EQ(f.access.calls, std::vector<std::string>{"read"});
    EXPECT_EQ(f.access.current, f.access.tool);
    ASSERT_EQ(f.prompts.messages.size(), 1u);
    EXPECT_EQ(f.prompts.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(f.prompts.messages[0].text, LangText(LangEnglish, 83));
    EXPECT_EQ(f.prompts.messages[0].icon, PromptIcon::Exclamation);
}

TEST(ParameterSetTransfer, MissingFileIsOnlyValidWithTheChecksumOfZeros)
{
    Fixture f;
    EXPECT_EQ(TransferParameterSet(f.access, f.prompts, LangGerman, f.dir.filePath("gone.tcf")),
              TransferResult::InvalidFile);
    EXPECT_EQ(TransferParameterSet(f.access, f.prompts, LangGerman, f.file("[Parameter]\nCS=54468\n")),
              TransferResult::Written);
}

TEST(ParameterSetTransfer, OptionCommandsAndTheirArguments)
{
    const auto req = [](std::initializer_list<int> list) {
        Payload p{};
        std::size_t i = 0;
        for (int b : list)
            p[i++] = static_cast<std::uint8_t>(b);
        return p;
    };
    const Payload setTime = req({0x21, 3, 10, 20, 30});
    const Payload setDate = req({0x23, 4, 10, 12, 0x07, 0xEA});
    const Payload format = req({0x11});
    const Payload cycles0 = req({0x55, 4, 0, 0, 0, 0});
    const Payload service = req({0x54, 4, 0, 0, 0x27, 0x10});  // 10000, the interval after the transfer
    const Payload warranty = req({0x58, 0});
    const Payload hours0 = req({0x56, 4, 0, 0, 0, 0});

    const struct {
        const char* name;
        ParameterSetOptions options;
        std::vector<Payload> expected;
    } cases[] = {
        {"none", {}, {}},
        {"date/time", {.dateTime = true}, {setTime, setDate}},
        {"data store", {.delData = true}, {format}},
        {"cycle counter", {.delPz = true}, {cycles0}},
        {"service counter", {.delSz = true}, {service}},
        {"warranty", {.delGarantie = true}, {warranty}},
        {"operating time", {.delBsz = true}, {hours0}},
        {"all six", {true, true, true, true, true, true}, {setTime, setDate, format, cycles0, service, warranty, hours0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        const TransferResult r = writeParameterSet(f.access, f.link, f.clock, f.prompts, LangGerman, f.file(ValidSet), c.options);
        EXPECT_EQ(r, TransferResult::Written);
        EXPECT_EQ(f.hid.written, c.expected);
    }
}

TEST(ParameterSetTransfer, OptionsStillRunAfterAnInvalidSetOnceItsMessageIsClosed)
{
    Fixture f;
    ParameterSetOptions o;
    o.delData = true;
    o.delSz = true;
    const TransferResult r = writeParameterSet(f.access, f.link, f.clock, f.prompts, LangGerman,
                                               f.file(ValidSet + "EditMinTemp=5\n"), o);
    EXPECT_EQ(r, TransferResult::InvalidFile);
    ASSERT_EQ(f.prompts.messages.size(), 1u);
    EXPECT_EQ(f.prompts.messages[0].text, LangText(LangGerman, 83));
    EXPECT_EQ(f.prompts.messages[0].requestsBefore, 0u);
    EXPECT_EQ(f.codes(), (std::vector<int>{0x11, 0x54}));
    // The service counter gets the interval the tool holds, the set never reached it.
    EXPECT_EQ(f.hid.written[1][5], 500 & 0xFF);
    EXPECT_EQ(f.hid.written[1][4], 500 >> 8);
}

TEST(ParameterSetTransfer, AFailedFreshReadWritesNothingButTheOptionsStillRun)
{
    Fixture f;
    f.access.readFails = true;
    f.access.current.LayoutVersion = 3;
    setParameterText(f.access.current.MaschNr, QStringLiteral("the previous tool"));
    ParameterSetOptions o;
    o.delData = true;
    EXPECT_EQ(writeParameterSet(f.access, f.link, f.clock, f.prompts, LangGerman, f.file(ValidSet), o),
              TransferResult::ReadFailed);
    EXPECT_EQ(f.access.calls, std::vector<std::string>{"read"});
    EXPECT_TRUE(f.access.written.empty());
    ASSERT_EQ(f.prompts.messages.size(), 1u);
    EXPECT_EQ(f.prompts.messages[0].caption, QStringLiteral("Info"));
    EXPECT_EQ(f.prompts.messages[0].text, LangText(LangGerman, 82));
    EXPECT_EQ(f.codes(), std::vector<int>{0x11});
}
