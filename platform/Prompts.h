// Every message box, yes/no question, input box, file dialog, print dialog and modal form goes
// through Prompts, so that the product shows real dialogs and tests answer from a script.
#pragma once

#include <QString>
#include <optional>

class QDialog;            // only the widget implementation touches these
class QPagedPaintDevice;  // a QPrinter in the product

enum class PromptIcon { None, Information, Exclamation, Error, Question };

struct FileDialogRequest {
    QString title;
    QString initialDir;       // empty: the platform's choice
    QString defaultExtension; // without dot, e.g. "TCF"
    QString fileName;         // proposed name or pattern such as "*.tcf"
    QString filter;           // Qt filter string, e.g. "Parameter sets (*.tcf)"
};

struct PrintDialogRequest {
    bool pageRangeEnabled = true;  // allow choosing a page range
    bool selectionEnabled = true;  // allow "selection"
    int fromPage = 1;
    int toPage = 1;
    int minPage = 1;
    int maxPage = 1;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with one OK button.
    virtual void message(const QString& caption, const QString& text, PromptIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const QString& caption, const QString& text, PromptIcon icon = PromptIcon::Question) = 0;
    // A single-line input box; nullopt when cancelled.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt, const QString& defaultText) = 0;
    // File dialogs; nullopt when cancelled, otherwise the chosen path.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    // The system print dialog for printer (a QPrinter); true when the user confirmed.
    virtual bool printDialog(QPagedPaintDevice& printer, const PrintDialogRequest& request) = 0;
    // Runs a modal form (QDialog::exec in the product) and returns its result code.
    virtual int execDialog(QDialog& dialog) = 0;
};
