// The parameter block between the tool and the controls of the main window.
#include "params/ui/ParameterFeature.h"

#include "texts/Texte.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterBlock.h"
#include "params/ParameterConversions.h"
#include "platform/Prompts.h"
#include "status/ui/LineEditText.h"

#include "ui_Main.h"

#include <QEvent>

ParameterFeature::ParameterFeature(MainContext& ctx) : ctx_(ctx)
{
    Ui::THauptDialog& ui = ctx_.ui;
    connect(ui.BtnReadPara, &QPushButton::clicked, this, [this] { BtnReadParaClick(); });
    connect(ui.BtnWritePara, &QPushButton::clicked, this, [this] { BtnWriteParaClick(); });
    connect(ui.BtnSetRlz, &QPushButton::clicked, this, [this] { BtnSetRlzClick(); });
    connect(ui.BtnSetSn, &QPushButton::clicked, this, [this] { BtnSetSnClick(); });
    for (QLineEdit* e : {ui.EditRlz, ui.EditMaxPz, ui.EditMinUbattWarnung, ui.EditMinUbattEinsch, ui.EditRlzKunde})
        e->installEventFilter(this);
    QTabWidget* pages = ui.PageControl;
    connect(pages, &QTabWidget::currentChanged, this, [this, pages](int index) {
        if (pages->widget(index) == ctx_.ui.TS_Parameter)
            TS_ParameterShow();
    });
}

bool ParameterFeature::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut)
        CheckDecimalSeparator(watched);
    return QObject::eventFilter(watched, event);
}

void ParameterFeature::CheckDecimalSeparator(QObject* sender)
{
    auto* edit = qobject_cast<QLineEdit*>(sender);
    if (!edit)
        return;
    const QString fixed = withDecimalPoint(edit->text());
    if (fixed != edit->text())
        setShownText(edit, fixed);
}

bool ParameterFeature::ReadParameterBlock()
{
    TUsbHidInterface& link = ctx_.link;
    if (!link.Connected)
        return false;
    MainState& state = ctx_.state;
    const std::optional<ParameterBlock> block = readParameterPages(link);
    if (block) {
        state.parameterBlock = *block;
        // Kept all the same: the user may still want to see what the tool sent.
        if (!isKnownLayout(block->LayoutVersion))
            ctx_.prompts.message(QStringLiteral("Error"), LangText(state.LanguageIndex, TextId::UnknownLayout),
                                 PromptIcon::Exclamation);
    }
    WarrantyStartValue& w = state.WarrantyStart;
    link.CmdGetWarranty(w.day, w.month, w.year, w.hour, w.minute);
    QString firmware, bootloader;
    link.ReadVersions(firmware, bootloader);  // both empty unless both were read
    ctx_.ui.LblFirmwareVersion->setText(firmware);
    ctx_.ui.LblBootloaderVersion->setText(bootloader);
    return block.has_value();
}

void ParameterFeature::ShowParameterBlock()
{
    const ParameterEdits e = parameterEditTexts(ctx_.state.parameterBlock);
    Ui::THauptDialog& ui = ctx_.ui;
    setShownText(ui.EditVarianteTxt, e.EditVarianteTxt);
    setShownText(ui.EditMaschNr, e.EditMaschNr);
    setShownText(ui.EditTyp, e.EditTyp);
    ui.Lblkennung->setText(e.Lblkennung);
    setShownText(ui.EditRlz, e.EditRlz);
    setShownText(ui.EditRlzKunde, e.EditRlz);
    setShownText(ui.EditMaxPz, e.EditMaxPz);
    setShownText(ui.EditMinUbattEinsch, e.EditMinUbattEinsch);
    setShownText(ui.EditMinUbattWarnung, e.EditMinUbattWarnung);
    setShownText(ui.EditServiceIntervall, e.EditServiceIntervall);
    setShownText(ui.EditStartGarantie, e.EditStartGarantie);
    ui.LblAwNomVal->setText(e.LblAwNomVal);
    ui.LblAwKalVal->setText(e.LblAwKalVal);
    setShownText(ui.EditAwSprung, e.EditAwSprung);
    setShownText(ui.EditMinAw, e.EditMinAw);
    setShownText(ui.EditMinAwGelb, e.EditMinAwGelb);
    setShownText(ui.EditMinAwGruen, e.EditMinAwGruen);
    setShownText(ui.EditMaxAwGelb, e.EditMaxAwGelb);
    setShownText(ui.EditMaxAwGruen, e.EditMaxAwGruen);
    setShownText(ui.EditPwmBatt, e.EditPwmBatt);
    setShownText(ui.EditRucklaufPwmStart, e.EditRucklaufPwmStart);
    setShownText(ui.EditRucklaufPwmHold, e.EditRucklaufPwmHold);
    setShownText(ui.EditMinTemp, e.EditMinTemp);
    setShownText(ui.EditMaxTemp, e.EditMaxTemp);
    setShownText(ui.EditAbschaltdruckMin, e.EditAbschaltdruckMin);
    setShownText(ui.EditAbschaltdruckMax, e.EditAbschaltdruckMax);
    ui.LblCntDs0bar->setText(e.LblCntDs0bar);
    ui.LblCntDs1000bar->setText(e.LblCntDs1000bar);
    setShownText(ui.EditKolbendurchmesser, e.EditKolbendurchmesser);
}

void ParameterFeature::TakeParameterEdits()
{
    Ui::THauptDialog& ui = ctx_.ui;
    ParameterEdits e;
    e.EditVarianteTxt = ui.EditVarianteTxt->text();
    e.EditMaschNr = ui.EditMaschNr->text();
    e.EditTyp = ui.EditTyp->text();
    e.EditRlz = ui.EditRlz->text();
    e.EditMaxPz = ui.EditMaxPz->text();
    e.EditMinUbattEinsch = ui.EditMinUbattEinsch->text();
    e.EditMinUbattWarnung = ui.EditMinUbattWarnung->text();
    e.EditServiceIntervall = ui.EditServiceIntervall->text();
    e.EditStartGarantie = ui.EditStartGarantie->text();
    e.EditAwSprung = ui.EditAwSprung->text();
    e.EditMinAw = ui.EditMinAw->text();
    e.EditMinAwGelb = ui.EditMinAwGelb->text();
    e.EditMinAwGruen = ui.EditMinAwGruen->text();
    e.EditMaxAwGelb = ui.EditMaxAwGelb->text();
    e.EditMaxAwGruen = ui.EditMaxAwGruen->text();
    e.EditPwmBatt = ui.EditPwmBatt->text();
    e.EditRucklaufPwmStart = ui.EditRucklaufPwmStart->text();
    e.EditRucklaufPwmHold = ui.EditRucklaufPwmHold->text();
    e.EditMinTemp = ui.EditMinTemp->text();
    e.EditMaxTemp = ui.EditMaxTemp->text();
    e.EditAbschaltdruckMin = ui.EditAbschaltdruckMin->text();
    e.EditAbschaltdruckMax = ui.EditAbschaltdruckMax->text();
    e.EditKolbendurchmesser = ui.EditKolbendurchmesser->text();

    const QStringList debug = takeParameterEdits(ctx_.state.parameterBlock, e);
    for (const QString& text : debug)
        ctx_.prompts.message(QStringLiteral("Debug"), text, PromptIcon::Exclamation);
    // The switch-off edits show the text that was taken, with its comma replaced.
    if (ui.EditAbschaltdruckMin->text() != e.EditAbschaltdruckMin)
        setShownText(ui.EditAbschaltdruckMin, e.EditAbschaltdruckMin);
    if (ui.EditAbschaltdruckMax->text() != e.EditAbschaltdruckMax)
        setShownText(ui.EditAbschaltdruckMax, e.EditAbschaltdruckMax);
}

void ParameterFeature::reportTransfer(bool ok)
{
    ctx_.prompts.message(QStringLiteral("Info"),
                         LangText(ctx_.state.LanguageIndex, ok ? TextId::ParametersTransferred : TextId::ParametersNotTransferred),
                         ok ? PromptIcon::Information : PromptIcon::Exclamation);
}

void ParameterFeature::WriteParameterBlock()
{
    if (!ctx_.link.Connected)
        return;
    reportTransfer(writeParameterPages(ctx_.link, ctx_.state.parameterBlock));
}

void ParameterFeature::TS_ParameterShow()
{
    ReadParameterBlock();
    ShowParameterBlock();
}

void ParameterFeature::BtnReadParaClick()
{
    ReadParameterBlock();
    ShowParameterBlock();
}

void ParameterFeature::BtnWriteParaClick()
{
    TakeParameterEdits();
    WriteParameterBlock();
    ReadParameterBlock();
    ShowParameterBlock();
}

template <typename Change>
void ParameterFeature::changeOneField(Change change)
{
    if (!ctx_.link.Connected)
        return;
    if (!ReadParameterBlock()) {
        reportTransfer(false);
        return;
    }
    change(ctx_.state.parameterBlock);
    ShowParameterBlock();
    WriteParameterBlock();
    ShowParameterBlock();
}

void ParameterFeature::BtnSetRlzClick()
{
    // Taken before the read, which shows the tool's old value in the same edit.
    const std::uint32_t ms = returnTimeTextToMs(ctx_.ui.EditRlzKunde->text());
    changeOneField([ms](ParameterBlock& b) { b.Ruecklaufzeit = ms; });
}

void ParameterFeature::BtnSetSnClick()
{
    const QString serial = ctx_.ui.EditMaschNr->text();
    changeOneField([&serial](ParameterBlock& b) { setSerialNumber(b, serial); });
}
