// Prompts for tests: records every message, question, input box, file and print dialog and modal
// form, and answers from a script queued beforehand (unscripted questions answer No, unscripted
// input and file dialogs are cancelled, unscripted print dialogs are cancelled, unscripted forms
// are rejected).
#pragma once

#include "platform/Prompts.h"

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { Message, Question, Input, OpenFile, SaveFile, Print, Dialog };
    struct Shown {
        Kind kind;
        QString caption;  // caption or dialog title; for Dialog the form's objectName
        QString text;     // message, question or prompt; for file dialogs the proposed file name
        PromptIcon icon = PromptIcon::None;
        FileDialogRequest file;    // for OpenFile / SaveFile
        PrintDialogRequest print;  // for Print
    };

    // --- script --------------------------------------------------------------------------------
    void answerYes() { answers_.push_back(true); }
    void answerNo() { answers_.push_back(false); }
    void answerInput(std::optional<QString> text) { inputs_.push_back(std::move(text)); }
    void answerFile(std::optional<QString> path) { files_.push_back(std::move(path)); }
    void answerPrint(bool accept) { prints_.push_back(accept); }
    // The handler gets the constructed form (still hidden) and returns the result code of exec().
    void answerDialog(std::function<int(QDialog&)> handler) { dialogs_.push_back(std::move(handler)); }

    // --- what was shown ------------------------------------------------------------------------
    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<Shown> messages() const;
    const Shown* last() const { return shown_.empty() ? nullptr : &shown_.back(); }
    void clear() { shown_.clear(); }
    // True when the script has been used up completely.
    bool scriptDone() const;

    // --- Prompts -------------------------------------------------------------------------------
    void message(const QString& caption, const QString& text, PromptIcon icon) override;
    bool question(const QString& caption, const QString& text, PromptIcon icon) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt, const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    bool printDialog(QPagedPaintDevice& printer, const PrintDialogRequest& request) override;
    int execDialog(QDialog& dialog) override;

private:
    std::vector<Shown> shown_;
    std::deque<bool> answers_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> files_;
    std::deque<bool> prints_;
    std::deque<std::function<int(QDialog&)>> dialogs_;
};
