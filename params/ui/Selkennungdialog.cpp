// TSelKennungDlg: three buttons, each closing the dialog with its identifier.
#include "params/ui/Selkennungdialog.h"

#include "ui_Selkennungdialog.h"

TSelKennungDlg::TSelKennungDlg(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::TSelKennungDlg>())
{
    ui_->setupUi(this);
    // A sizeable border rather than a fixed dialog frame.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    connect(ui_->Button2, &QPushButton::clicked, this, [this] { done(KennungKTW); });
    connect(ui_->Button1, &QPushButton::clicked, this, [this] { done(KennungKTV); });
    connect(ui_->Button3, &QPushButton::clicked, this, [this] { done(KennungKRZ); });
}

TSelKennungDlg::~TSelKennungDlg() = default;

void TSelKennungDlg::reject()
{
    done(CancelResult);
}
