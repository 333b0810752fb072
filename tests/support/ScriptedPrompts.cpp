// Recording, scripted prompts for tests.
#include "tests/support/ScriptedPrompts.h"

#include <QDialog>

namespace {
std::optional<QString> takeFront(std::deque<std::optional<QString>>& queue)
{
    if (queue.empty() || !queue.front().has_value()) {
        if (!queue.empty())
            queue.pop_front();
        return std::nullopt;
    }
    const QString value = *queue.front();
    queue.pop_front();
    return value;
}
}  // namespace

std::vector<ScriptedPrompts::Shown> ScriptedPrompts::messages() const
{
    std::vector<Shown> out;
    for (const auto& s : shown_)
        if (s.kind == Kind::Message)
            out.push_back(s);
    return out;
}

bool ScriptedPrompts::scriptDone() const
{
    return answers_.empty() && inputs_.empty() && files_.empty() && prints_.empty() && dialogs_.empty();
}

void ScriptedPrompts::message(const QString& caption, const QString& text, PromptIcon icon)
{
    shown_.push_back({Kind::Message, caption, text, icon, {}, {}});
}

bool ScriptedPrompts::question(const QString& caption, const QString& text, PromptIcon icon)
{
    shown_.push_back({Kind::Question, caption, text, icon, {}, {}});
    if (answers_.empty())
        return false;
    const bool a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompts::inputBox(const QString& caption, const QString& prompt, const QString& defaultText)
{
    Shown s{Kind::Input, caption, prompt, PromptIcon::None, {}, {}};
    s.file.fileName = defaultText;
    shown_.push_back(s);
    return takeFront(inputs_);
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialogRequest& request)
{
    shown_.push_back({Kind::OpenFile, request.title, request.fileName, PromptIcon::None, request, {}});
    return takeFront(files_);
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialogRequest& request)
{
    shown_.push_back({Kind::SaveFile, request.title, request.fileName, PromptIcon::None, request, {}});
    return takeFront(files_);
}

bool ScriptedPrompts::printDialog(QPagedPaintDevice&, const PrintDialogRequest& request)
{
    shown_.push_back({Kind::Print, {}, {}, PromptIcon::None, {}, request});
    if (prints_.empty())
        return false;
    const bool a = prints_.front();
    prints_.pop_front();
    return a;
}

int ScriptedPrompts::execDialog(QDialog& dialog)
{
    shown_.push_back({Kind::Dialog, dialog.objectName(), dialog.windowTitle(), PromptIcon::None, {}, {}});
    if (dialogs_.empty())
        return 0;
    auto h = std::move(dialogs_.front());
    dialogs_.pop_front();
    return h(dialog);
}
