// Opens documents with the desktop's default application.
#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShell::openDocument(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
