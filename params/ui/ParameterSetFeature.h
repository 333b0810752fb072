// Binds the parameter-set controls to their logic: the list of sets and the transfer button with its
// options on the service page, saving a set and recomputing a file's checksum on the parameter tab.
#pragma once

#include "app/ui/MainContext.h"
#include "params/ParameterSetTransfer.h"

#include <QObject>

// The main window's current block and the parameter feature's read, write and show, as the
// transfer and the sensor calibration see them.
class MainBlockAccess final : public ParameterBlockAccess {
public:
    explicit MainBlockAccess(MainContext& ctx) : ctx_(ctx) {}
    ParameterBlock& currentBlock() override;
    bool ReadParameterBlock() override;
    void WriteParameterBlock() override;
    void ShowParameterBlock() override;

private:
    MainContext& ctx_;
};

class ParameterSetFeature : public QObject {
    Q_OBJECT
public:
    explicit ParameterSetFeature(MainContext& ctx);

    // Fills CbConfigFiles and ParameterSetPaths from the sets in the program's folder (once, at
    // start-up: sets added later appear after a restart).
    void ListParameterSets();
    // Checks the file and writes it into the tool (see the logic of the same name).
    TransferResult TransferParameterSet(const QString& path);

    // The selected set, then the ticked options; nothing when no set is selected.
    void BtnWriteParaSatzClick();
    // The parameter tab's edits as a set file, with the identifier chosen in TSelKennungDlg.
    void BtnSaveParaClick();
    // Writes a chosen file's checksum into it.
    void BtnCalcCsClick();

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
    MainBlockAccess access_;
};
