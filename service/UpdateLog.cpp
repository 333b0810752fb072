// The update log file.
#include "service/UpdateLog.h"

#include <QDir>

bool UpdateLog::open(const QString& dir)
{
    close();
    file_.setFileName(QDir(dir).filePath(QString::fromLatin1(FileName)));
    return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
}

void UpdateLog::LogLine(const QString& text)
{
    if (!file_.isOpen())
        return;
    file_.write(text.toUtf8());
    file_.write("\n");
    file_.flush();
}

void UpdateLog::close()
{
    if (file_.isOpen())
        file_.close();
}

FwLogSink UpdateLog::sink()
{
    return [this](const QString& line) { LogLine(line); };
}
