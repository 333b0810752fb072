// The parameter-set feature of the main window.
#include "params/ui/ParameterSetFeature.h"

#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterSetFile.h"
#include "params/ParameterSetList.h"
#include "params/ui/ParameterFeature.h"
#include "params/ui/Selkennungdialog.h"
#include "platform/Prompts.h"
#include "ui_Main.h"

ParameterBlock& MainBlockAccess::currentBlock()
{
    return ctx_.state.parameterBlock;
}

bool MainBlockAccess::ReadParameterBlock()
{
    return ctx_.features.params->ReadParameterBlock();
}

void MainBlockAccess::WriteParameterBlock()
{
    ctx_.features.params->WriteParameterBlock();
}

void MainBlockAccess::ShowParameterBlock()
{
    ctx_.features.params->ShowParameterBlock();
}

ParameterSetFeature::ParameterSetFeature(MainContext& ctx) : ctx_(ctx), access_(ctx)
{
    connect(ctx_.ui.BtnWriteParaSatz, &QPushButton::clicked, this, &ParameterSetFeature::BtnWriteParaSatzClick);
    connect(ctx_.ui.BtnSavePara, &QPushButton::clicked, this, &ParameterSetFeature::BtnSaveParaClick);
    connect(ctx_.ui.BtnCalcCs, &QPushButton::clicked, this, &ParameterSetFeature::BtnCalcCsClick);
}

void ParameterSetFeature::ListParameterSets()
{
    QComboBox& box = *ctx_.ui.CbConfigFiles;
    box.clear();
    const ParameterSetListing listing = listParameterSets(ctx_.paths.appDir);
    auto& paths = ctx_.state.ParameterSetPaths;
    paths.fill(QString());
    for (std::size_t i = 0; i < listing.entries.size() && i < paths.size(); ++i) {
        box.addItem(listing.entries[i].text);
        paths[i] = listing.entries[i].path;
    }
    box.setCurrentIndex(listing.selected);
}

TransferResult ParameterSetFeature::TransferParameterSet(const QString& path)
{
    return ::TransferParameterSet(access_, ctx_.prompts, ctx_.state.LanguageIndex, path);
}

void ParameterSetFeature::BtnWriteParaSatzClick()
{
    const int index = ctx_.ui.CbConfigFiles->currentIndex();
    const auto& paths = ctx_.state.ParameterSetPaths;
    if (index < 0 || index >= static_cast<int>(paths.size()) || paths[static_cast<std::size_t>(index)].isEmpty())
        return;
    const Ui::THauptDialog& ui = ctx_.ui;
    ParameterSetOptions options;
    options.dateTime = ui.CbWriteParaDateTime->isChecked();
    options.delData = ui.CbWriteParaDelData->isChecked();
    options.delPz = ui.CbWriteParaDelPz->isChecked();
    options.delSz = ui.CbWriteParaDelSz->isChecked();
    options.delGarantie = ui.CbWriteParaDelGarantie->isChecked();
    options.delBsz = ui.CbWriteParaDelBsz->isChecked();
    writeParameterSet(access_, ctx_.link, ctx_.clock, ctx_.prompts, ctx_.state.LanguageIndex,
                      paths[static_cast<std::size_t>(index)], options);
}

void ParameterSetFeature::BtnSaveParaClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Speichern");
    request.initialDir = ctx_.paths.appDir;
    request.defaultExtension = QStringLiteral("TCF");
    request.fileName = QStringLiteral("*.tcf");
    const std::optional<QString> path = ctx_.prompts.saveFile(request);
    if (!path)
        return;
    ctx_.features.params->TakeParameterEdits();
    TSelKennungDlg dialog(&ctx_.window);
    const int kennung = ctx_.prompts.execDialog(dialog);
    // The current block keeps its own identifier; only the file gets the chosen one.
    ParameterSetFile(*path).saveFrom(ctx_.state.parameterBlock, static_cast<std::uint32_t>(kennung));
}

void ParameterSetFeature::BtnCalcCsClick()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Konfigurationsdatei laden");
    request.defaultExtension = QStringLiteral("TCF");
    request.fileName = QStringLiteral("*.tcf");
    const std::optional<QString> path = ctx_.prompts.openFile(request);
    if (!path)
        return;
    ParameterSetFile(*path).writeChecksum();
}
