// The update log "fwupd.log": created anew for every update run in the current directory, one
// line per entry, so a failed run in the workshop or on the production line can be read back.
#pragma once

#include "service/HexFile.h"

#include <QFile>
#include <QString>

class UpdateLog {
public:
    static constexpr const char* FileName = "fwupd.log";

    UpdateLog() = default;
    ~UpdateLog() { close(); }
    UpdateLog(const UpdateLog&) = delete;
    UpdateLog& operator=(const UpdateLog&) = delete;

    // Creates (truncates) dir/fwupd.log. False when it cannot be created; the run then goes on
    // without a log and LogLine does nothing.
    bool open(const QString& dir);
    bool isOpen() const { return file_.isOpen(); }
    // The text and a line break; written through at once so the log survives a crash mid-download.
    void LogLine(const QString& text);
    void close();
    // A sink for the loader and the download that writes to this log.
    FwLogSink sink();

private:
    QFile file_;
};
