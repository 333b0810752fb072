// Qt SerialPort behind SerialLines. Qt keeps the port's time-outs itself (waitFor* calls), so
// "preparing" it means leaving DTR and RTS off and no flow control on the lines.
#include "platform/QtSerialLines.h"

#include <QSerialPort>

QtSerialLines::QtSerialLines() : port_(std::make_unique<QSerialPort>()) {}
QtSerialLines::~QtSerialLines() = default;

bool QtSerialLines::open(const QString& device)
{
    port_->setPortName(device);
    return port_->open(QIODevice::ReadWrite);  // Qt opens serial ports exclusively
}

bool QtSerialLines::setModemLines(bool dtr, bool rts)
{
    const bool a = port_->setDataTerminalReady(dtr);
    const bool b = port_->setRequestToSend(rts);
    port_->clearError();
    return a && b;
}

void QtSerialLines::prepareForLibrary()
{
    port_->setFlowControl(QSerialPort::NoFlowControl);
    port_->clearError();
}

void QtSerialLines::close()
{
    if (port_->isOpen())
        port_->close();
}
