// The diary pages: memo, write button, page show, shared progress bar.
#include "service/ui/DiaryFeature.h"

#include "texts/Texte.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "platform/Prompts.h"
#include "ui_Main.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextDocument>

namespace {
void setupMemo(QPlainTextEdit* memo)
{
    // Fixed pitch, so that columns typed into a diary stay lined up.
    QFont font = memo->font();
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    memo->setFont(font);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}
}  // namespace

DiaryFeature::DiaryFeature(MainContext& ctx) : ctx_(ctx)
{
    auto& ui = ctx_.ui;
    setupMemo(ui.Kundentagebuch);
    setupMemo(ui.Servicetagebuch);
    connect(ui.BtnWriteKTB, &QPushButton::clicked, this, &DiaryFeature::BtnWriteKTBClick);
    connect(ui.BtnWriteSTB, &QPushButton::clicked, this, &DiaryFeature::BtnWriteSTBClick);
    connect(ui.PageControl, &QTabWidget::currentChanged, this, &DiaryFeature::pageChanged);
}

void DiaryFeature::pageChanged(int index)
{
    QWidget* page = ctx_.ui.PageControl->widget(index);
    if (page == ctx_.ui.TS_KundenTagebuch)
        TS_KundenTagebuchShow();
    else if (page == ctx_.ui.TS_ServiceTagebuch)
        TS_ServiceTagebuchShow();
}

QPlainTextEdit* DiaryFeature::memo(DiaryKind kind) const
{
    switch (kind) {
    case DiaryKind::Customer:
        return ctx_.ui.Kundentagebuch;
    case DiaryKind::Service:
        return ctx_.ui.Servicetagebuch;
    }
    return nullptr;
}

DiaryProgress DiaryFeature::progress() const
{
    QProgressBar* bar = ctx_.ui.ProgressBar;
    return {[bar](int minimum, int maximum) {
                // An empty range would turn the bar into a busy indicator that never stops.
                bar->setRange(minimum, maximum > minimum ? maximum : minimum + 1);
            },
            [bar](int position) { bar->setValue(position); }};
}

bool DiaryFeature::ReadDiary(DiaryKind kind)
{
    QPlainTextEdit* m = memo(kind);
    if (!m)
        return false;
    m->clear();
    std::string bytes;
    if (!::ReadDiary(ctx_.link, kind, bytes, progress()))
        return false;
    m->setPlainText(diaryTextFromBytes(bytes));
    return true;
}

bool DiaryFeature::WriteDiary(DiaryKind kind)
{
    QPlainTextEdit* m = memo(kind);
    if (!m)
        return false;
    // The raw text keeps no-break spaces, which the plain-text view would turn into blanks.
    const std::string bytes = diaryBytesFromText(m->document()->toRawText());
    switch (::WriteDiary(ctx_.link, kind, bytes, progress())) {
    case DiaryWriteResult::Written:
        return true;
    case DiaryWriteResult::TooLong:
        ctx_.prompts.message(QStringLiteral("Error"), LangText(ctx_.state.LanguageIndex, TextId::DiaryTooLong),
                             PromptIcon::Exclamation);
        return false;
    case DiaryWriteResult::Failed:
    case DiaryWriteResult::UnknownKind:
        break;
    }
    return false;
}

void DiaryFeature::TS_KundenTagebuchShow()
{
    ReadDiary(DiaryKind::Customer);
}

void DiaryFeature::TS_ServiceTagebuchShow()
{
    ReadDiary(DiaryKind::Service);
}

void DiaryFeature::BtnWriteKTBClick()
{
    WriteDiary(DiaryKind::Customer);
}

void DiaryFeature::BtnWriteSTBClick()
{
    WriteDiary(DiaryKind::Service);
}
