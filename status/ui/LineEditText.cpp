// Full texts in length-limited edits.
#include "status/ui/LineEditText.h"

#include <QLineEdit>
#include <QVariant>
#include <algorithm>

namespace {
// The limit the form gave the edit, remembered the first time a longer text widens it.
constexpr char FormLimitProperty[] = "pressdiagFormMaxLength";
}  // namespace

void setShownText(QLineEdit* edit, const QString& text)
{
    QVariant formLimit = edit->property(FormLimitProperty);
    if (!formLimit.isValid()) {
        formLimit = edit->maxLength();
        edit->setProperty(FormLimitProperty, formLimit);
    }
    const int limit = std::max(formLimit.toInt(), static_cast<int>(text.size()));
    if (edit->maxLength() != limit)
        edit->setMaxLength(limit);
    edit->setText(text);
}
