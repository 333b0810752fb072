// SerialLines on a real serial port through Qt SerialPort.
#pragma once

#include "platform/SerialLines.h"

#include <memory>

class QSerialPort;

class QtSerialLines final : public SerialLines {
public:
    QtSerialLines();
    ~QtSerialLines() override;
    bool open(const QString& device) override;
    bool setModemLines(bool dtr, bool rts) override;
    void prepareForLibrary() override;
    void close() override;

private:
    std::unique_ptr<QSerialPort> port_;
};
