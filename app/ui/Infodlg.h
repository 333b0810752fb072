// TInfoBox: a small yes/no notice that stays open without blocking; the caller polls Answer.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class TInfoBox; }

class TInfoBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int NoAnswer = 0;
    static constexpr int AnswerYes = 6;
    static constexpr int AnswerNo = 7;
    // The longest message kept; longer texts are cut.
    static constexpr int MaxInfoTextLength = 2047;

    TInfoBox(QWidget* owner, const QString& text);
    ~TInfoBox() override;

    void FormShow();
    void BtnJaClick() { Answer = AnswerYes; }
    void BtnNeinClick() { Answer = AnswerNo; }
    // The result a dismissed box carries (the cancel code the production steps test for).
    static constexpr int DismissedResult = 2;
    // Marks the box as cancelled without closing it; the caller closes it.
    void Dismiss() { setResult(DismissedResult); }

    Ui::TInfoBox& ui() { return *ui_; }

    QString InfoText;
    int Answer = NoAnswer;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TInfoBox> ui_;
};
