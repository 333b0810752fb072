// TSelKennungDlg: the choice of the tool-type identifier for a saved parameter set. Its result code
// is the identifier itself.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

namespace Ui { class TSelKennungDlg; }

class TSelKennungDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int KennungKTW = 0x00000101;
    static constexpr int KennungKTV = 0x00000201;
    static constexpr int KennungKRZ = 0x00000002;
    // Closing the dialog any other way gives the platform's cancel code, which the files have
    // always taken as the third identifier.
    static constexpr int CancelResult = 2;
    static_assert(CancelResult == KennungKRZ);

    explicit TSelKennungDlg(QWidget* owner);
    ~TSelKennungDlg() override;

    Ui::TSelKennungDlg& ui() { return *ui_; }

public slots:
    // The window's close button and Escape.
    void reject() override;

private:
    std::unique_ptr<Ui::TSelKennungDlg> ui_;
};
