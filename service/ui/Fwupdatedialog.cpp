// The firmware update dialog: waiting for the tool, the update run and its messages.
#include "service/ui/Fwupdatedialog.h"

#include "texts/Texte.h"
#include "app/ui/MainContext.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "platform/Prompts.h"
#include "service/FirmwareDownload.h"

#include "ui_Fwupdatedialog.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace {
const QString MessageCaption = QStringLiteral("Info");
}  // namespace

TFwUpdateDlg::TFwUpdateDlg(QWidget* owner, MainContext& ctx, const QString& presetHexPath)
    : QDialog(owner), ui_(std::make_unique<Ui::TFwUpdateDlg>()), ctx_(ctx),
      presetHexPath_(presetHexPath.left(MaxPresetPathChars))
{
    ui_->setupUi(this);
    // Sizeable: the instruction grows with the dialog.
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    connect(ui_->BtnAbbruch, &QPushButton::clicked, this, &TFwUpdateDlg::reject);
    connect(ui_->BtnUpdate, &QPushButton::clicked, this, [this] { BtnUpdateClick(); });

    update_.setObjectName(QStringLiteral("Update"));
    update_.setInterval(UpdateIntervalMs);
    connect(&update_, &QTimer::timeout, this, [this] { UpdateTimer(); });
    update_.start();

    autoRun_.setObjectName(QStringLiteral("AutoRunFertigung"));
    autoRun_.setInterval(AutoRunDelayMs);
    connect(&autoRun_, &QTimer::timeout, this, [this] { AutoRunFertigungTimer(); });
}

TFwUpdateDlg::~TFwUpdateDlg() = default;

void TFwUpdateDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFwUpdateDlg::closeEvent(QCloseEvent* event)
{
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFwUpdateDlg::reject()
{
    if (running_)
        return;
    QDialog::reject();
}

void TFwUpdateDlg::FormShow()
{
    const std::uint32_t lang = ctx_.state.LanguageIndex;
    QString instruction;
    if (!presetHexPath_.isEmpty()) {
        autoRun_.start();
        instruction = QStringLiteral("%1 %2").arg(LangText(lang, TextId::FwUpdateInstructionAutomatic), presetHexPath_);
    } else {
        instruction = LangText(lang, TextId::FwUpdateInstructionInteractive);
    }
    ui_->LblAnweisung->setText(instruction);
    setWindowTitle(LangText(lang, TextId::FwUpdateCaption));
    ui_->BtnAbbruch->setText(LangText(lang, TextId::Cancel));
    ui_->BtnUpdate->setText(LangText(lang, TextId::Update));
}

void TFwUpdateDlg::UpdateTimer()
{
    TUsbHidInterface& link = ctx_.link;
    if (!link.Connected) {
        link.Close();
        link.Open(ToolVendorId, ToolProductId, 0);
        ui_->BtnUpdate->setEnabled(false);
        return;
    }
    // Only whether the tool answers matters: a failed exchange clears Connected, and the next
    // tick disables the button and opens again.
    QString firmware;
    QString bootloader;
    link.ReadVersions(firmware, bootloader);
    ui_->BtnUpdate->setEnabled(true);
}

void TFwUpdateDlg::AutoRunFertigungTimer()
{
    autoRun_.stop();
    BtnUpdateClick();
}

void TFwUpdateDlg::BtnUpdateClick()
{
    if (running_)
        return;
    running_ = true;
    updateLog_.open(ctx_.paths.currentDir);  // without a log the run goes on
    ui_->BtnAbbruch->setEnabled(false);
    ui_->BtnUpdate->setEnabled(false);
    ui_->ProgressBar->setValue(0);
    ui_->ProgressBar->setMinimum(0);
    ui_->ProgressBar->setMaximum(FwFlash::MaxPages);
    update_.stop();

    const bool ok = DownloadFirmware();

    const std::uint32_t lang = ctx_.state.LanguageIndex;
    if (ok) {
        if (presetHexPath_.isEmpty())
            ctx_.prompts.message(MessageCaption, LangText(lang, TextId::FirmwareTransferred), PromptIcon::Information);
    } else {
        ctx_.prompts.message(MessageCaption, LangText(lang, TextId::FirmwareNotTransferred), PromptIcon::Exclamation);
    }
    ui_->BtnAbbruch->setEnabled(true);
    ui_->BtnUpdate->setEnabled(true);
    ui_->ProgressBar->setVisible(false);
    update_.start();
    updateLog_.close();
    running_ = false;
    if (ok)
        accept();
}

bool TFwUpdateDlg::DownloadFirmware()
{
    QString path = presetHexPath_;
    if (path.isEmpty()) {
        FileDialogRequest request;
        request.title = QStringLiteral("Firmware");
        request.defaultExtension = QStringLiteral("HEX");
        request.fileName = QStringLiteral("*.hex");
        // The pattern alone would hide "APP.HEX" on a case-sensitive file system.
        request.filter = QStringLiteral("*.hex *.HEX");
        const std::optional<QString> chosen = ctx_.prompts.openFile(request);
        if (!chosen)
            return false;
        path = *chosen;
    }

    DownloadObserver observer;
    observer.started = [this] { ui_->ProgressBar->setVisible(true); };
    observer.pageStarting = [this](int position, int) {
        ui_->ProgressBar->setValue(position);
        QCoreApplication::processEvents();
    };
    return ::DownloadFirmware(ctx_.link, ctx_.clock, path, ctx_.paths.currentDir, image_, updateLog_.sink(), observer);
}
