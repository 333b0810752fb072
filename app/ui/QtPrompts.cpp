// Message boxes take their button texts from Qt's own translations, which the main window
// switches with the program's language.
#include "app/ui/QtPrompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {

QMessageBox::Icon toIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Exclamation: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

void prepare(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setWindowTitle(request.title);
    if (!request.initialDir.isEmpty())
        dialog.setDirectory(request.initialDir);
    if (!request.defaultExtension.isEmpty())
        dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.filter.isEmpty())
        dialog.setNameFilter(request.filter);
    // A proposed name that is a pattern ("*.tcf") acts as the filter, as in the native dialogs.
    if (request.fileName.contains(QLatin1Char('*')) || request.fileName.contains(QLatin1Char('?'))) {
        if (request.filter.isEmpty())
            dialog.setNameFilter(request.fileName);
    } else if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
}

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Saving overwrites without asking, as the program always did.
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    prepare(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void QtPrompts::message(const QString& caption, const QString& text, PromptIcon icon)
{
    QMessageBox box(toIcon(icon), caption, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompts::question(const QString& caption, const QString& text, PromptIcon icon)
{
    QMessageBox box(toIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::inputBox(const QString& caption, const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtPrompts::openFile(const FileDialogRequest& request)
{
    return runFileDialog(parent_, request, false);
}

std::optional<QString> QtPrompts::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(parent_, request, true);
}

bool QtPrompts::printDialog(QPagedPaintDevice& device, const PrintDialogRequest& request)
{
    auto* printer = dynamic_cast<QPrinter*>(&device);
    if (!printer)
        return false;
    QPrintDialog dialog(printer, parent_);
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintPageRange, request.pageRangeEnabled);
    options.setFlag(QAbstractPrintDialog::PrintSelection, request.selectionEnabled);
    dialog.setOptions(options);
    dialog.setMinMax(request.minPage, request.maxPage);
    printer->setFromTo(request.fromPage, request.toPage);
    return dialog.exec() == QDialog::Accepted;
}

int QtPrompts::execDialog(QDialog& dialog)
{
    return dialog.exec();
}
