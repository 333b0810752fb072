// The customer and service diary pages: each memo is read from the tool when its page is shown
// and when a tool has just been connected, and written back by the page's button.
#pragma once

#include "app/ui/MainContext.h"
#include "service/Diary.h"

#include <QObject>

class QPlainTextEdit;

class DiaryFeature : public QObject {
    Q_OBJECT
public:
    explicit DiaryFeature(MainContext& ctx);

    MainContext& context() { return ctx_; }

    // Empties the memo, then fills it from the tool; false (memo empty) when the read fails.
    // A value that is no diary kind returns false and leaves everything alone.
    bool ReadDiary(DiaryKind kind);
    // Sends the memo to the tool; true also when there was nothing to send or no tool. A memo
    // longer than the tool can announce is refused with a message before anything is sent.
    bool WriteDiary(DiaryKind kind);

public slots:
    void TS_KundenTagebuchShow();
    void TS_ServiceTagebuchShow();
    void BtnWriteKTBClick();
    void BtnWriteSTBClick();

private:
    QPlainTextEdit* memo(DiaryKind kind) const;
    DiaryProgress progress() const;
    void pageChanged(int index);

    MainContext& ctx_;
};
