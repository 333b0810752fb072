// The notice box keeps its German captions in every language, as the production staff know it.
#include "app/ui/Infodlg.h"

#include "ui_Infodlg.h"

#include <QGuiApplication>
#include <QScreen>

TInfoBox::TInfoBox(QWidget* owner, const QString& text)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ui_(std::make_unique<Ui::TInfoBox>())
{
    ui_->setupUi(this);
    setFixedSize(size());
    InfoText = text.left(MaxInfoTextLength);
    connect(ui_->BtnJa, &QPushButton::clicked, this, [this] { BtnJaClick(); });
    connect(ui_->BtnNein, &QPushButton::clicked, this, [this] { BtnNeinClick(); });
}

TInfoBox::~TInfoBox() = default;

void TInfoBox::FormShow()
{
    ui_->LblText->setText(InfoText);
}

void TInfoBox::showEvent(QShowEvent* event)
{
    // Centred on the screen, not on the owner.
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    FormShow();
    QDialog::showEvent(event);
}
